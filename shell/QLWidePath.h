// Paths between the system's UTF-16 form and the ANSI text the installation
// stores (records, registry values, messages). The running program's path
// and every path the system hands out are read with the wide functions and
// narrowed here; a path that has no exact ANSI form is given by its short
// (8.3) form when that one has, and otherwise reported as unusable (empty).
#pragma once

#include <string>

// The ANSI path as the system's UTF-16 path (the ANSI code page's mapping).
std::wstring WidePathOf(const std::string& Path);

// True, with Ansi set, when every character of Path has an exact ANSI form.
bool ExactAnsiOf(const std::wstring& Path, std::string& Ansi);

// Path in ANSI text that names the same file: the exact form, else the
// short form of an existing file or folder; empty when neither exists.
std::string StorablePathOf(const std::wstring& Path);

// The running program's full path, whatever its length.
std::wstring ProgramPathW();
