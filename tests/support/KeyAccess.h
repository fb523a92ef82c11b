// Test support (Windows): who may do what with a registry key, to make a
// key that cannot be removed or changed, and to give the rights back.
#pragma once

#include <windows.h>

#include <string>

// Sets the key's access list from a security descriptor string, for
// example "D:P(A;;KR;;;WD)" (everyone reads, nobody changes or removes).
bool SetKeyAccess(HKEY Root, const std::string& Key, const char* Descriptor);
