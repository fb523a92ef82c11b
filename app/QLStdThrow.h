// The standard library's throw helpers, for the shipped programs alone.
// libstdc++ keeps every std::__throw_* function in one object, which links
// every standard exception class and the strings they carry; the programs
// define here the few their code and the library's string code call, so that
// object stays out. Memory exhaustion stays std::bad_alloc; the others raise
// EQLLibraryError with a fixed text (no catch site of the programs names a
// standard exception class). Never linked into a test program. A link that
// pulls libstdc++'s object in after all does not fail by itself (under
// link-time optimisation the library's definitions silently win): the
// programs' build reads their link map and fails then
// (cmake/QLRuntimeReplacements.cmake).
#pragma once

#include "archive/QLError.h"

class EQLLibraryError : public EQLError {
public:
  using EQLError::EQLError;
};
