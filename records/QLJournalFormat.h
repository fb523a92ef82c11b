// The run journal's records as bytes: what an installation run changed or
// put aside, written before the change, so that a run stopped at any moment
// can be undone and what it replaced put back. Also the registry snapshots
// the records carry, and the rules that say which kept things belong to an
// earlier installation of the product. Pure; the registry and the files are
// reached by QLRunJournal and QLKeptItems.
//
//   entry:  Kind:u8  Ours:u8  Path:text  Backup:text  Data:bytes
//   text, bytes:  Length:u32 (little-endian), then that many bytes
//   key tree (the Data of KeyKept and ValuesKept):
//           Existed:u8  ValueCount:u32 { Name:text Type:u32 Data:bytes }
//           KeyCount:u32 { Name:text tree }
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/QLRegistExt.h"

enum class TQLJournalKind : uint8_t {
  FolderMade = 1,     // Path: a folder the run created
  FileKept = 2,       // Path: a file moved aside to Backup (same volume)
  FileSaved = 3,      // Path: a small file (a shortcut) the run removed; Data: its bytes
  KeyKept = 4,        // Path: root and key; Data: the key tree as it was
  ValuesKept = 5,     // Path: root and key; Data: its values as they were, subkeys aside
  ReplaceQueued = 6,  // Path: a file in use, replaced at the next start by Backup
  FileMade = 7,       // Path: a file the run creates outside the item list (the uninstaller)
  KeyMade = 8,        // Path: root and key; a key the run created to hold another, removed when empty
  DeleteWithdrawn = 9,  // Path: a file or folder whose delete at the next start the run withdrew
};

struct TQLJournalEntry {
  TQLJournalKind Kind = TQLJournalKind::FolderMade;
  // Belongs to an earlier installation of the product: dropped when the run
  // has finished. Anything else is kept for the installation's lifetime and
  // put back by the uninstall.
  bool Ours = false;
  std::string Path;
  std::string Backup;
  std::vector<uint8_t> Data;
};

std::vector<uint8_t> EncodeJournalEntry(const TQLJournalEntry& Entry);
// Nothing when the bytes are not a whole entry of a known kind.
std::optional<TQLJournalEntry> DecodeJournalEntry(const std::vector<uint8_t>& Bytes);

struct TQLRegValue {
  std::string Name;
  uint32_t Type = 0;
  std::vector<uint8_t> Data;
};

struct TQLKeyTree {
  std::string Name;  // below the parent; empty for the kept key itself
  bool Existed = false;
  std::vector<TQLRegValue> Values;
  std::vector<TQLKeyTree> Keys;
};

std::vector<uint8_t> EncodeKeyTree(const TQLKeyTree& Tree);
// Nothing when the bytes are damaged or nest deeper than a registry can.
std::optional<TQLKeyTree> DecodeKeyTree(const std::vector<uint8_t>& Bytes);

// Whether Found exists and holds every value and subkey of Expected (more
// may be there), names compared without letter case and text values
// without their terminating zeros.
bool KeyTreeHolds(const TQLKeyTree& Found, const TQLKeyTree& Expected);

// The keys a file-type row writes below the classes root, as the row writes
// them for AppPath: the extension's key, and the file type's key with its
// icon and open command.
TQLKeyTree FileTypeExtensionTree(const TQLRegistExt& Row);
TQLKeyTree FileTypeClassTree(const TQLRegistExt& Row, const std::string& AppPath);

// "Root\Key" as kept in an entry's Path, and back. Root is "HKLM", "HKCU"
// or "HKCR"; a Path without one of them splits into nothing.
std::string KeptKeyPath(const std::string& Root, const std::string& Key);
std::optional<std::pair<std::string, std::string>> SplitKeptKeyPath(const std::string& Path);

// The name a file moved aside gets below the installation's kept-files
// folder: a folder for each 64 of them (the number over 64 as four
// hexadecimal digits), then the number as eight hexadecimal digits and
// ".KEP". Small folders keep each move cheap where looking up a name that
// is not there reads the whole folder.
constexpr uint32_t kKeptFilesPerFolder = 64;
std::string KeptFileName(uint32_t Number);
