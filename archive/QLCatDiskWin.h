// The installer's extraction on Windows: the Win32 disk policy (attributes,
// replace, exclusive creation, file times in local time), the two prompts
// through the program's message dialog, and ExtractArchive as the
// installation run calls it.
#pragma once

#include <cstdint>
#include <string>

#include "archive/QLCatExtract.h"

// Sets the creation, access and write times of Path to D taken as local
// time. False, changing nothing, when the file cannot be opened or D lies in
// 1980 or earlier, or in 2099 or later.
bool SetFileDateTime(const std::string& Path, TDateTime D);

// What an extraction came to beyond its result.
struct TQLExtractReport {
  bool Cancelled = false;       // a false result was the user's Cancel at a file in the way
  int32_t LeftForRestart = 0;   // files written beside one in use, to replace it at the next start
};

// What an installation does before the extraction changes the disk: a file
// in the way is kept aside rather than deleted, every folder made and every
// file written is written down first, and a replacement queued for the next
// start is noted. Any of them may raise an exception, which fails the walk.
class TQLDiskKeeper {
public:
  virtual ~TQLDiskKeeper() = default;
  // Whether a file is at Path, as the keeper knows from the folders it made,
  // the folders it found and what it moved and wrote since.
  virtual bool HoldsFile(const std::string& Path) = 0;
  // Moves the file at Path out of the way; false when it stays.
  virtual bool KeepAside(const std::string& Path) = 0;
  // Creates Folder and its missing parents, each noted before it is made.
  virtual void MakeFolders(const std::string& Folder) = 0;
  virtual void WillWrite(const std::string& Target, int32_t Size, TDateTime Date) = 0;
  virtual void WillReplaceAtRestart(const std::string& Written, const std::string& Target) = 0;
};

// Every entry of the archive at the stream's position below DestFolder.
// An answer to "The file cannot be extract:" of mrReplaceAtRestart (a
// declared answer no button gives) writes the new file beside the one in
// use and queues the replacement for the next start of Windows.
bool ExtractArchive(const std::string& DestFolder, TQLTurboStream& Stream, const TQLExtractedProc& OnExtracted,
                    const std::string& DateText, const TQLProgressProc& OnProgress, uint64_t Identifier,
                    TQLExtractReport* Report = nullptr, TQLDiskKeeper* Keeper = nullptr);
