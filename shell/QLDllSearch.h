// Where libraries are loaded from. System libraries come from the system
// folder only, never from the program's folder or the current folder (a
// setup started from a downloads folder must not load a DLL planted there);
// libraries the program loads on purpose are named by full path and find
// their own dependencies in their own folder.
#pragma once

#include <windows.h>

#include <string>

// At start: takes the program's and the current folder out of the search
// for libraries named without a path, where the system allows it.
void RestrictDllSearchPath();

// Loads the library at an absolute path, its dependencies searched in its
// own folder and the system folder. nullptr when it cannot be loaded.
HMODULE LoadLibraryFromPath(const std::string& Path);

// The system folder + "\" + Name.
std::string SystemLibraryPath(const std::string& Name);
