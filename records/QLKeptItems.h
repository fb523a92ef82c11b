// What an installation keeps of what was on the machine before it: files
// moved aside (a rename on the same volume) into the installation's
// kept-files folder, registry keys and values as snapshots, small files such
// as shortcuts as their bytes; and putting each back. What is kept for the
// installation's lifetime (another product's file type, the user's own file
// at a product path) is listed in the uninstall information ("Kept" and a
// number), and the uninstall puts it back after removing the product's own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "records/QLJournalFormat.h"

// The folder files are moved aside into: AppPath\UNINST\KEPT.
std::string KeptFilesFolder(const std::string& AppPath);

// "HKLM", "HKCU" or "HKCR" as a root key; nullptr for anything else.
HKEY KeptKeyRoot(const std::string& Root);

// The key with its values and subkeys as it is now (Existed false when
// there is no such key); ValuesOnly leaves the subkeys out.
TQLKeyTree ReadKeyTree(HKEY Root, const std::string& Key, bool ValuesOnly);

// A small file (a shortcut) kept as its bytes, to be written back by PutBack.
TQLJournalEntry SavedFileEntry(const std::string& Path, bool Ours);

// Makes a kept thing as it was: a moved file moved back to its place (over
// what is there only when ReplaceExisting), a saved file written back, a
// key or its values written back as kept (a key that did not exist
// removed), a key made to hold others removed when empty. True when it is back, or when there was nothing to put back (a
// file that was never moved).
bool PutBack(const TQLJournalEntry& Entry, bool ReplaceExisting);

// Whether the kept thing is there to be put back: false for a file that
// was never moved aside (gone before the move) or is back already.
bool IsKept(const TQLJournalEntry& Entry);

// Forgets a kept thing that is not needed any more: a moved file deleted.
void DropKept(const TQLJournalEntry& Entry);

// Adds Entry to the things the uninstall puts back.
void KeepForLifetime(const TQLJournalEntry& Entry);

// Puts back everything kept for the installation's lifetime, last kept
// first, each taken off the list once it is back; the kept-files folders
// are removed when empty. Returns the places of the things that could not
// be put back (they stay on the list and where they were kept).
std::vector<std::string> RestoreKeptForLifetime(const std::vector<std::string>& InstallRoots);
