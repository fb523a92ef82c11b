// The product archive in the setup program's own PQSETUP resource: its
// catalogue (entry count and size, every entry walked and checked before
// anything is touched) and its extraction. The resource is found, loaded and
// locked for one call and read in place through a TQLMemoryStream limited
// to the resource's size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "archive/QLCatDiskWin.h"
#include "archive/QLCatExtract.h"

struct TQLArchiveCatalogue {
  bool Accepted = false;  // header accepted and every entry sound
  int32_t EntryCount = 0;  // as read, whatever the outcome
  int32_t TotalSize = 0;
  size_t LongestName = 0;  // characters of the longest entry name
};

TQLArchiveCatalogue ReadSetupArchiveCatalogue(HMODULE Module);

// Extracts every entry below DestFolder; false when the resource is missing
// or the extraction fails (Report, when given, tells a user's cancel and
// the files left to the next start; Keeper, when given, is told before
// the disk is changed).
bool ExtractSetupArchive(HMODULE Module, const std::string& DestFolder, const TQLExtractedProc& OnExtracted,
                         const std::string& DateText, const TQLProgressProc& OnProgress,
                         TQLExtractReport* Report = nullptr, TQLDiskKeeper* Keeper = nullptr);
