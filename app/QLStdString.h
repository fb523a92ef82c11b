// std::string's members for the shipped programs alone. libstdc++ declares
// them instantiated in its own library, where they all sit in one object
// that a program links whole; instantiated here, in code the programs'
// whole-program optimisation sees, only the members a program calls stay.
// Should anything still pull the library's object in, the two copies are
// the same code and the linker keeps one: the programs grow, nothing breaks.
#pragma once

#include <string>
