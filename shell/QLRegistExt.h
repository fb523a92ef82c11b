// File-type association of the runtime's content files under
// HKEY_CLASSES_ROOT: the five-row file-type table and its registration and
// removal, followed by the shell's association-changed notification.
#pragma once

#include <string>

// One row of the file-type table; an empty Ext makes the row inactive.
struct TQLRegistExt {
  std::string Ext;          // extension with its dot
  std::string ExeName;      // program below the installation folder, "\..."; empty: no open command
  std::string Icon;         // icon below the installation folder: file, comma, index
  std::string ProgID;       // file-type key
  std::string Description;  // display name of the file type
};

constexpr int RegistExtCount = 5;
extern const TQLRegistExt RegistExtTable[RegistExtCount];

// Register: writes the extension, file-type, icon and open-command keys of
// every active row for AppPath (a key that cannot be created is skipped).
// Remove: deletes them with their subkeys (AppPath unused; missing keys are
// ignored). Then tells the shell that associations changed. A value that
// cannot be written raises EQLRegistryError and the shell is not told.
void RegisterFileTypes(const TQLRegistExt* Table, int Count, const std::string& AppPath, bool Register);
