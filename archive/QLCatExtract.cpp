#include "archive/QLCatExtract.h"

#include <deque>
#include <vector>

#include "archive/QLCatDec.h"
#include "archive/QLEntryBlocks.h"
#include "archive/QLSharedStream.h"
#include "archive/QLThreadCount.h"

bool SuppressCreateErrors = false;

namespace {

constexpr int32_t kPiece = 32768;
constexpr int32_t kMaxDecoders = 16;
constexpr int32_t kBlocksPerDecoder = 8;

void Report(const TQLExtractContext& C, int32_t Position, int32_t Max, bool Overall) {
  if (C.OnProgress) C.OnProgress(Position, Max, Overall);
}

std::string WithBackslash(const std::string& Folder) {
  if (!Folder.empty() && Folder.back() == '\\') return Folder;
  return Folder + '\\';
}

std::string FolderOf(const std::string& Path) { return Path.substr(0, Path.rfind('\\') + 1); }

// Reports the entry's compressed bytes piece by piece, as a copy of them
// would move. The data are decoded in place, so nothing is copied.
void ReportPassOver(int32_t C, const TQLExtractContext& Context) {
  int32_t moved = 0;
  Report(Context, 0, C, false);
  do {
    moved += C - moved < kPiece ? C - moved : kPiece;
    Report(Context, moved, C, false);
  } while (moved < C);
}

enum class TClearing { Cleared, Cancelled, Skipped, ReplaceLater };

// Clears the way for the target, asking about a file that cannot be deleted.
TClearing ClearTarget(const std::string& Target, TQLExtractContext& Context) {
  while (Context.Disk.FileExists(Target)) {
    if (Context.Disk.MakeWay(Target)) continue;
    switch (Context.Prompts.AskCannotExtract("The file cannot be extract:\r\r" + Target)) {
      case TQLInUseAnswer::Cancel: return TClearing::Cancelled;
      case TQLInUseAnswer::Ignore: return TClearing::Skipped;
      case TQLInUseAnswer::ReplaceAtRestart: return TClearing::ReplaceLater;
      case TQLInUseAnswer::Retry: break;
    }
  }
  return TClearing::Cleared;
}

// The name the new file is written under when the one in the way is replaced
// at the next start: free of any earlier such file, or empty.
std::string PendingName(const std::string& Target, TQLExtractContext& Context) {
  const std::string pending = Target + kPendingReplaceSuffix;
  if (Context.Disk.FileExists(pending) && !Context.Disk.MakeWay(pending)) return std::string();
  return pending;
}

// One report per decoder read the block is made of.
void ReportBlock(const TQLExtractContext& Context, int64_t Before, int32_t Count, int32_t Max) {
  for (int32_t done = 0; done < Count;) {
    done += Count - done < kPiece ? Count - done : kPiece;
    Report(Context, int32_t(Before + done), Max, false);
  }
}

// Writes the entry's decoded blocks into the target, and dates it through
// the open file where the disk can (Dated). Returns the size written; throws
// on any failure, leaving no file behind.
int32_t WriteTarget(TQLEntryBlocks& Data, const TQLCatEntry& Entry, const std::string& Target, TDateTime Date,
                    const TQLExtractContext& Context, bool& Dated) {
  std::unique_ptr<TQLOutputFile> file = Context.Disk.CreateOutputFile(Target);
  if (!file) throw EQLStreamError("cannot create " + Target);
  Report(Context, 0, Entry.UncompressedSize, false);
  int64_t written = 0;
  const auto keepReporting = [&] { Report(Context, int32_t(written), Entry.UncompressedSize, false); };
  for (;;) {
    const uint8_t* block = nullptr;
    int32_t n = Data.Next(block, keepReporting);
    if (n == 0) break;
    ReportBlock(Context, written, n, Entry.UncompressedSize);
    if (written + n > INT32_MAX) throw EQLStreamError("entry too large: " + Target);
    if (!file->Write(block, n)) throw EQLStreamError("cannot write " + Target);
    written += n;
  }
  Report(Context, int32_t(written), Entry.UncompressedSize, false);  // the decoder's last, empty read
  Dated = file->SetDate(Date);
  if (!file->Close()) throw EQLStreamError("cannot close " + Target);
  Report(Context, int32_t(written), Entry.UncompressedSize, false);
  return int32_t(written);
}

// Everything for one entry after its header: folders, reports, the replace
// loop, the file and its date. False when the user cancels.
bool ExtractEntry(const TQLCatEntry& Entry, TQLEntryBlocks& Data, const std::string& Folder, std::string& FullName,
                  TQLExtractContext& Context, int32_t Count, int32_t Index, int32_t& Size, TDateTime& FileDate) {
  Size = 0;
  FullName.clear();
  const std::string target = Folder + Entry.Name;
  Context.Disk.ForceFolder(FolderOf(target));
  ReportPassOver(Entry.CompressedSize, Context);
  Report(Context, 2 * Index - 1, 2 * Count - 2, true);

  const TClearing clearing = ClearTarget(target, Context);
  if (clearing == TClearing::Cancelled) return false;
  if (clearing == TClearing::Skipped) return true;
  const bool later = clearing == TClearing::ReplaceLater;
  const std::string written = later ? PendingName(target, Context) : target;
  const TDateTime date = ExtractedFileDate(Context.DateText, Entry.FileDateTime);
  bool complete = false;
  bool dated = false;
  if (!written.empty()) Context.Disk.WillWrite(target, Entry.UncompressedSize, date);
  try {
    if (written.empty()) throw EQLStreamError("cannot create " + target + kPendingReplaceSuffix);
    Size = WriteTarget(Data, Entry, written, date, Context, dated);
    complete = true;
  } catch (const EQLStreamError&) {
    // The disk's and the data's own failures cost this file alone; anything
    // else (memory, the library, a handler) ends the walk.
    Size = 0;
    if (!SuppressCreateErrors && Context.Prompts.AskCannotCreate("File Cannt create:\r\r" + target))
      SuppressCreateErrors = true;
  }
  if (!dated) Context.Disk.SetFileDateTime(written, date);
  FileDate = Entry.FileDateTime;
  FullName = target;
  if (later) {
    // Not written or not queued: reported under the name that holds nothing.
    if (!complete || !Context.Disk.ReplaceAtRestart(written, target)) {
      if (!written.empty()) Context.Disk.ClearAttributesAndDelete(written);
      FullName = target + kPendingReplaceSuffix;
    }
  }
  return true;
}

// The entry at the stream's position, decoded on this thread into Buffer.
bool ExtractEntryHere(TQLTurboStream& Stream, const std::string& DestFolder, std::string& FullName,
                      TQLExtractContext& Context, int32_t Count, int32_t Index, int32_t& Size, TDateTime& FileDate,
                      std::vector<uint8_t>& Buffer) {
  Size = 0;
  FullName.clear();
  TQLCatEntry entry = ReadEntryHeader(Stream);
  const int32_t dataStart = Stream.GetPosition();
  TQLInlineEntryBlocks blocks(Stream, dataStart, entry.CompressedSize, Buffer);
  if (!ExtractEntry(entry, blocks, WithBackslash(DestFolder), FullName, Context, Count, Index, Size, FileDate))
    return false;
  Stream.Seek(dataStart + entry.CompressedSize, 0);
  Stream.ReadUInt32();  // CheckValue: integrity rests on the zlib stream here
  return true;
}

bool ExtractOneByOne(const std::string& DestFolder, TQLTurboStream& Stream, const TQLExtractedProc& OnExtracted,
                     TQLExtractContext& Context, int32_t Count) {
  std::vector<uint8_t> buffer;  // the walk's own, reused from entry to entry
  for (int32_t index = 0; index < Count; ++index) {
    std::string fullName;
    int32_t size = 0;
    TDateTime fileDate = 0;
    if (!ExtractEntryHere(Stream, DestFolder, fullName, Context, Count, index, size, fileDate, buffer)) return false;
    if (OnExtracted && !fullName.empty()) OnExtracted(fullName, size, fileDate);
    Report(Context, 2 * index, 2 * Count - 2, true);
  }
  return true;
}

// Entries read ahead of the one being written, each posted to the decoders.
// A header that cannot be read stops the reading; its failure is raised when
// the walk reaches it.
class TEntriesAhead {
public:
  TEntriesAhead(TQLSharedStream& Shared, TQLBlockPipeline& Decoders, int32_t First, int32_t Count)
      : FShared(Shared), FDecoders(Decoders), FNext(First), FLeft(Count) {}

  void ReadAhead(size_t Depth) {
    while (FLeft > 0 && !FBroken && FAhead.size() < Depth) {
      try {
        int32_t dataStart = 0;
        TQLCatEntry entry = FShared.ReadEntryAt(FNext, dataStart);
        FNext = dataStart + entry.CompressedSize + 4;
        int32_t c = entry.CompressedSize;
        TQLSharedStream& shared = FShared;
        FDecoders.Post([&shared, dataStart, c](TQLBlockSink& Sink) {
          TQLStreamSlice slice(shared, dataStart, c);
          DecodeEntryIntoBlocks(slice, c, Sink);
        });
        FAhead.push_back(std::move(entry));
        --FLeft;
      } catch (...) {
        FBroken = std::current_exception();
      }
    }
  }
  TQLCatEntry Take() {
    if (FAhead.empty()) std::rethrow_exception(FBroken);
    TQLCatEntry entry = std::move(FAhead.front());
    FAhead.pop_front();
    return entry;
  }
  int32_t End() const { return FNext; }

private:
  TQLSharedStream& FShared;
  TQLBlockPipeline& FDecoders;
  int32_t FNext, FLeft;
  std::deque<TQLCatEntry> FAhead;
  std::exception_ptr FBroken;
};

// Entries decoded by the decoders while this thread writes them, reports
// and asks, in the archive's order.
bool ExtractDecodingAhead(const std::string& DestFolder, TQLTurboStream& Stream, TQLSharedStream& Shared,
                          TQLBlockPipeline& Decoders, const TQLExtractedProc& OnExtracted,
                          TQLExtractContext& Context, int32_t Count, int32_t Threads) {
  TEntriesAhead ahead(Shared, Decoders, Stream.GetPosition(), Count);
  TQLPipelineEntryBlocks blocks(Decoders);
  const std::string folder = WithBackslash(DestFolder);
  for (int32_t index = 0; index < Count; ++index) {
    ahead.ReadAhead(size_t(2 * Threads + 2));
    TQLCatEntry entry = ahead.Take();
    std::string fullName;
    int32_t size = 0;
    TDateTime fileDate = 0;
    bool goOn = ExtractEntry(entry, blocks, folder, fullName, Context, Count, index, size, fileDate);
    Decoders.EndHead();
    if (!goOn) return false;
    if (OnExtracted && !fullName.empty()) OnExtracted(fullName, size, fileDate);
    Report(Context, 2 * index, 2 * Count - 2, true);
  }
  Stream.Seek(ahead.End(), 0);
  return true;
}

// The decoder threads, or none when the system starts no thread.
std::unique_ptr<TQLBlockPipeline> StartDecoders(int32_t Threads) {
  try {
    return std::make_unique<TQLBlockPipeline>(TQLPipelineShape{Threads, kEntryBlockSize, kBlocksPerDecoder});
  } catch (const EQLThreadStartError&) {
    return nullptr;
  }
}

int32_t DecoderThreads(int32_t Count) {
  int32_t threads = ExtractThreadCount();
  if (threads > kMaxDecoders) threads = kMaxDecoders;
  return Count < 2 ? 1 : threads;
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
  std::vector<uint8_t> buffer;
  return ExtractEntryHere(Stream, DestFolder, FullName, Context, Count, Index, Size, FileDate, buffer);
}

bool ExtractArchive(const std::string& DestFolder, TQLTurboStream& Stream, const TQLExtractedProc& OnExtracted,
                    TQLExtractContext& Context, uint64_t Identifier) {
  try {
    int32_t count = 0, total = 0;
    if (!ReadArchiveHeader(Stream, count, total, Identifier)) return false;
    int32_t threads = DecoderThreads(count);
    if (threads > 1) {
      TQLSharedStream shared(Stream);  // outlives the decoders, which read through it
      if (std::unique_ptr<TQLBlockPipeline> decoders = StartDecoders(threads))
        return ExtractDecodingAhead(DestFolder, Stream, shared, *decoders, OnExtracted, Context, count, threads);
    }
    return ExtractOneByOne(DestFolder, Stream, OnExtracted, Context, count);
  } catch (const std::exception& e) {
    Context.Failure = e.what();
    return false;
  } catch (...) {
    Context.Failure = "an unknown error";
    return false;
  }
}
