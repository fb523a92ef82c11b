#include "archive/QLCatExtract.h"

#include <vector>

#include "archive/QLCatDec.h"
#include "archive/QLZStream.h"

bool SuppressCreateErrors = false;

namespace {

constexpr int32_t kPiece = 32768;

void Report(const TQLExtractContext& C, int32_t Position, int32_t Max, bool Overall) {
  if (C.OnProgress) C.OnProgress(Position, Max, Overall);
}

std::string WithBackslash(const std::string& Folder) {
  if (!Folder.empty() && Folder.back() == '\\') return Folder;
  return Folder + '\\';
}

std::string FolderOf(const std::string& Path) { return Path.substr(0, Path.rfind('\\') + 1); }

// Passes over the entry's compressed bytes in pieces, as the copy into the
// entry buffer would, reporting each piece. The data are decoded in place
// later, so nothing is copied.
void PassOverData(TQLTurboStream& Stream, int32_t C, const TQLExtractContext& Context) {
  int32_t start = Stream.GetPosition();
  int32_t moved = 0;
  Report(Context, 0, C, false);
  do {
    int32_t piece = C - moved < kPiece ? C - moved : kPiece;
    moved += piece;
    Stream.Seek(start + moved, 0);
    Report(Context, moved, C, false);
  } while (moved < C);
}

// Clears the way for the target. False when the user cancels; Skip is set
// when the user ignores a file that cannot be deleted.
bool ClearTarget(const std::string& Target, TQLExtractContext& Context, bool& Skip) {
  Skip = false;
  while (Context.Disk.FileExists(Target)) {
    if (Context.Disk.ClearAttributesAndDelete(Target)) continue;
    switch (Context.Prompts.AskCannotExtract("The file cannot be extract:\r\r" + Target)) {
      case TQLInUseAnswer::Cancel: return false;
      case TQLInUseAnswer::Ignore: Skip = true; return true;
      case TQLInUseAnswer::Retry: break;
    }
  }
  return true;
}

// Decodes the entry's data into the target. Returns the size written; throws
// on any failure, leaving no file behind.
int32_t WriteTarget(TQLTurboStream& Stream, const TQLCatEntry& Entry, const std::string& Target,
                    const TQLExtractContext& Context) {
  static std::vector<uint8_t> buffer(kPiece);
  std::unique_ptr<TQLOutputFile> file = Context.Disk.CreateOutputFile(Target);
  if (!file) throw EQLStreamError("cannot create " + Target);
  TQLZDecompressStream z(Stream, Entry.CompressedSize);
  Report(Context, 0, Entry.UncompressedSize, false);
  int64_t written = 0;
  for (;;) {
    int32_t n = z.Read(buffer.data(), kPiece);
    Report(Context, int32_t(z.Position()), Entry.UncompressedSize, false);
    if (n == 0) break;
    if (!file->Write(buffer.data(), n)) throw EQLStreamError("cannot write " + Target);
    written += n;
    if (written > INT32_MAX) throw EQLStreamError("entry too large: " + Target);
  }
  if (!file->Close()) throw EQLStreamError("cannot close " + Target);
  Report(Context, int32_t(written), Entry.UncompressedSize, false);
  return int32_t(written);
}

}  // namespace

TDateTime ExtractedFileDate(const std::string& DateText, TDateTime ArchiveDate) {
  if (DateText.empty()) return ArchiveDate;
  TDateTime d = ParseFixedDateTime(DateText);
  return d == 0 ? ArchiveDate : d;
}

bool ExtractArchiveEntry(TQLTurboStream& Stream, const std::string& DestFolder, std::string& FullName,
                         TQLExtractContext& Context, int32_t Count, int32_t Index, int32_t& Size,
                         TDateTime& FileDate) {
  Size = 0;
  FullName.clear();
  const std::string folder = WithBackslash(DestFolder);
  TQLCatEntry entry = ReadEntryHeader(Stream);
  const std::string target = folder + entry.Name;
  Context.Disk.ForceFolder(FolderOf(target));

  const int32_t dataStart = Stream.GetPosition();
  PassOverData(Stream, entry.CompressedSize, Context);
  Report(Context, 2 * Index - 1, 2 * Count - 2, true);

  bool skip = false;
  if (!ClearTarget(target, Context, skip)) return false;
  const int32_t checkValueAt = dataStart + entry.CompressedSize;
  if (skip) {
    Stream.Seek(checkValueAt + 4, 0);
    return true;
  }

  Stream.Seek(dataStart, 0);
  try {
    Size = WriteTarget(Stream, entry, target, Context);
  } catch (const std::exception&) {
    Size = 0;
    if (!SuppressCreateErrors && Context.Prompts.AskCannotCreate("File Cannt create:\r\r" + target))
      SuppressCreateErrors = true;
  }

  Context.Disk.SetFileDateTime(target, ExtractedFileDate(Context.DateText, entry.FileDateTime));
  FileDate = entry.FileDateTime;
  Stream.Seek(checkValueAt, 0);
  Stream.ReadUInt32();  // CheckValue: integrity rests on the zlib stream here
  FullName = target;
  return true;
}

bool ExtractArchive(const std::string& DestFolder, TQLTurboStream& Stream, const TQLExtractedProc& OnExtracted,
                    TQLExtractContext& Context, uint64_t Identifier) {
  try {
    int32_t count = 0, total = 0;
    if (!ReadArchiveHeader(Stream, count, total, Identifier)) return false;
    for (int32_t index = 0; index < count; ++index) {
      std::string fullName;
      int32_t size = 0;
      TDateTime fileDate = 0;
      if (!ExtractArchiveEntry(Stream, DestFolder, fullName, Context, count, index, size, fileDate)) return false;
      if (OnExtracted && !fullName.empty()) OnExtracted(fullName, size, fileDate);
      Report(Context, 2 * index, 2 * count - 2, true);
    }
    return true;
  } catch (...) {
    return false;
  }
}
