// File, folder and system helpers shared by the installer's units (Win32).
// Stateless; every operation reports failure through its result and shows
// no message.
#pragma once

#include <string>

// True when Path names an existing folder.
bool DirectoryExists(const std::string& Path);

// Creates Folder and all its missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& Folder);

// Deletes the file at Path after setting its attributes to archive only
// (clearing read-only, hidden and system); false when there is no such file
// or it cannot be deleted.
bool DeleteFileIfExists(const std::string& Path);

// True when Path names an existing file (not a folder).
bool FileExists(const std::string& Path);
