// The extraction walk: every entry of a QLCAT archive written below a
// destination folder, with the replace loop, the two prompts, dates, progress
// and per-file notifications. Portable: the disk and the user are reached
// through the two interfaces below, which the Windows layer (QLCatDiskWin)
// and the host tool implement. Paths use backslashes, as the archive does.
// Entries are decoded ahead on ExtractThreadCount() threads (QLThreadCount)
// into a fixed set of blocks; the disk, the prompts and every handler are
// reached only from the calling thread, in the archive's order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/QLDateTime.h"
#include "archive/QLTurboStream.h"

using TQLProgressProc = std::function<void(int32_t Position, int32_t Max, bool Overall)>;
using TQLExtractedProc = std::function<void(const std::string& FullName, int32_t Size, TDateTime FileDate)>;

// The date every extracted file is given instead of the archive's, as
// "yyyy/MM/dd hh:mm"; empty, so files keep the dates the archive carries.
constexpr char FixedFileDate[] = "";

// Once the user answers All to a "File Cannt create:" prompt, later failures
// of that kind in the same run pass without a prompt. Never reset.
extern bool SuppressCreateErrors;

// A file being written; closed (and kept) by Close, deleted when destroyed
// unclosed.
class TQLOutputFile {
public:
  virtual ~TQLOutputFile() = default;
  virtual bool Write(const void* Data, int32_t Count) = 0;  // false on a short write
  // Dates the file through the open file, after the last write; false where
  // that is not done, and the walk then dates it by its path once closed.
  virtual bool SetDate(TDateTime D) {
    (void)D;
    return false;
  }
  virtual bool Close() = 0;
};

class TQLExtractDisk {
public:
  virtual ~TQLExtractDisk() = default;
  virtual bool FileExists(const std::string& Path) = 0;  // a file, not a folder
  // Sets the attributes to archive only and deletes the file.
  virtual bool ClearAttributesAndDelete(const std::string& Path) = 0;
  // Creates Folder and its missing parents; failures are not reported.
  virtual void ForceFolder(const std::string& Folder) = 0;
  // A new empty file for exclusive writing, replacing any file of that name;
  // nullptr when it cannot be created.
  virtual std::unique_ptr<TQLOutputFile> CreateOutputFile(const std::string& Path) = 0;
  virtual bool SetFileDateTime(const std::string& Path, TDateTime D) = 0;
  // Clears the way for a new file where Path exists: by default the file is
  // deleted; an installation moves it aside instead. False when it stays.
  virtual bool MakeWay(const std::string& Path) { return ClearAttributesAndDelete(Path); }
  // Told right before the file of an entry is created, with the name it is
  // reported under, its size and date: an installation records it first, so
  // no file is ever on disk unrecorded.
  virtual void WillWrite(const std::string& Target, int32_t Size, TDateTime Date) {
    (void)Target;
    (void)Size;
    (void)Date;
  }
  // Asks the system to move Written onto Target at its next start,
  // replacing it; false where that cannot be done.
  virtual bool ReplaceAtRestart(const std::string& Written, const std::string& Target) {
    (void)Written;
    (void)Target;
    return false;
  }
};

// ReplaceAtRestart: the new file is written beside the one in the way (its
// name followed by kPendingReplaceSuffix) and takes its place at the next
// start of Windows.
enum class TQLInUseAnswer { Cancel, Retry, Ignore, ReplaceAtRestart };
constexpr char kPendingReplaceSuffix[] = ".QLNEW";

class TQLExtractPrompts {
public:
  virtual ~TQLExtractPrompts() = default;
  // "The file cannot be extract:" with Cancel, Retry and Ignore.
  virtual TQLInUseAnswer AskCannotExtract(const std::string& Text) = 0;
  // "File Cannt create:" with OK and All; true for All.
  virtual bool AskCannotCreate(const std::string& Text) = 0;
};

struct TQLExtractContext {
  TQLExtractDisk& Disk;
  TQLExtractPrompts& Prompts;
  TQLProgressProc OnProgress;
  std::string DateText;
  // What ended the walk when something was raised that no prompt settles
  // (memory, the library, a handler, a broken archive); empty otherwise.
  std::string Failure = std::string();
};

// Extracts the entry at the stream's position. True when the walk may go on;
// FullName stays empty when the entry was skipped with Ignore (nothing was
// written), Size is 0 when writing failed. Only the disk's and the data's
// own failures (EQLStreamError) while the file is written are settled with
// the "File Cannt create:" prompt; anything else raised is let through. A file left to replace the one
// in the way at the next start is reported under the target's name; when
// it could not be written or queued, under the name it would have had.
bool ExtractArchiveEntry(TQLTurboStream& Stream, const std::string& DestFolder, std::string& FullName,
                         TQLExtractContext& Context, int32_t Count, int32_t Index, int32_t& Size,
                         TDateTime& FileDate);

// Walks the archive from its header. False when the header is refused, the
// archive is broken, the user cancels, or anything unexpected is raised (its
// text then in Context.Failure).
bool ExtractArchive(const std::string& DestFolder, TQLTurboStream& Stream, const TQLExtractedProc& OnExtracted,
                    TQLExtractContext& Context, uint64_t Identifier);

// The date an extracted file gets: DateText when it parses, else the archive's.
TDateTime ExtractedFileDate(const std::string& DateText, TDateTime ArchiveDate);
