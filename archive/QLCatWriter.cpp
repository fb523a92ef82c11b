#include "archive/QLCatWriter.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "archive/QLAnsiName.h"
#include "archive/QLBlockPipeline.h"
#include "archive/QLCatDec.h"
#include "archive/QLCatFormat.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kPiece = 65536;
constexpr int32_t kBlockSize = 262144;
constexpr int32_t kBlocksPerThread = 32;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, FileCloser>;

TDateTime LocalModificationTime(const std::string& Path) {
  struct stat st {};
  if (stat(Path.c_str(), &st) != 0) throw EQLStreamError("cannot read the date of " + Path);
  std::time_t t = st.st_mtime;
  const std::tm* local = std::localtime(&t);
  TQLDateFields f;
  TDateTime d = 0;
  if (local) {
    f.Year = local->tm_year + 1900;
    f.Month = local->tm_mon + 1;
    f.Day = local->tm_mday;
    f.Hour = local->tm_hour;
    f.Minute = local->tm_min;
    // Directory entries keep times at a 2-second granularity; an archive date
    // on that grid is the date the installed file will show, so the
    // uninstaller can tell an unchanged file from a changed one.
    f.Second = std::min(local->tm_sec, 59) / 2 * 2;
    EncodeDateTime(f, d);
  }
  return d;
}

// What compressing one file gave.
struct TDeflated {
  int64_t Read = 0;
  int64_t Compressed = 0;
  uint32_t CheckValue = kCheckValueStart;
};

// Compressed bytes written straight into the archive, a block at a time.
class TStreamSink : public TQLBlockSink {
public:
  explicit TStreamSink(TQLTurboStream& Out) : FOut(Out), FBlock(size_t(kBlockSize)) {}
  uint8_t* Data() override { return FBlock.data(); }
  int32_t Capacity() override { return int32_t(FBlock.size()); }
  void Emit(int32_t Count) override { FOut.Write(FBlock.data(), Count); }

private:
  TQLTurboStream& FOut;
  std::vector<uint8_t> FBlock;
};

// Deflates the source file into the sink's blocks. The blocks, and so the
// bytes, are the same whichever sink takes them.
void DeflateFile(const TQLCatSource& Source, int Level, TQLBlockSink& Sink, TDeflated& Result) {
  TFile in(std::fopen(Source.Path.c_str(), "rb"));
  if (!in) throw EQLStreamError("cannot open " + Source.Path);
  z_stream z{};
  if (deflateInit(&z, Level) != Z_OK) throw EQLStreamError("zlib cannot start compressing");
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, deflateEnd);
  std::vector<uint8_t> input(kPiece);
  uint8_t* block = nullptr;
  int32_t used = 0;
  const auto emit = [&] {
    Result.CheckValue = UpdateCheckValue(Result.CheckValue, block, size_t(used));
    Result.Compressed += used;
    if (Result.Compressed > INT32_MAX) throw EQLStreamError(Source.Path + ": compressed data larger than 2 GiB");
    Sink.Emit(used);
    block = nullptr;
    used = 0;
  };
  int flush = Z_NO_FLUSH;
  do {
    size_t n = std::fread(input.data(), 1, input.size(), in.get());
    if (std::ferror(in.get())) throw EQLStreamError("cannot read " + Source.Path);
    Result.Read += int64_t(n);
    if (Result.Read > INT32_MAX)
      throw EQLStreamError(Source.Path + ": larger than 2 GiB, which the archive cannot hold");
    flush = std::feof(in.get()) ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = input.data();
    z.avail_in = uInt(n);
    do {
      if (!block) block = Sink.Data();
      z.next_out = block + used;
      z.avail_out = uInt(Sink.Capacity() - used);
      deflate(&z, flush);
      used = Sink.Capacity() - int32_t(z.avail_out);
      if (z.avail_out == 0) emit();
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  if (used > 0) emit();
}

// The entry's fields before its data, both sizes left 0 for FinishEntry.
// Returns where the entry starts.
int32_t StartEntry(TQLTurboStream& Out, const TQLCatSource& Source) {
  if (!IsSafeEntryName(Source.Name)) throw EQLStreamError("unsafe entry name: " + Source.Name);
  if (Source.Name.size() > size_t(INT32_MAX)) throw EQLStreamError("name too long: " + Source.Name);
  const int32_t start = Out.GetPosition();
  Out.WriteInt32(0);  // UncompressedSize
  Out.WriteDouble(Source.FileDateTime);
  Out.WriteInt32(int32_t(Source.Name.size()));
  Out.Write(Source.Name.data(), int32_t(Source.Name.size()));
  Out.WriteInt32(0);  // CompressedSize
  return start;
}

// The CheckValue after the data, and both sizes patched in.
void FinishEntry(TQLTurboStream& Out, const TQLCatSource& Source, int32_t Start, const TDeflated& D,
                 TQLCatWriteSummary& Summary) {
  Out.WriteUInt32(D.CheckValue);
  const int32_t end = Out.GetPosition();
  Out.Seek(Start, 0);
  Out.WriteInt32(int32_t(D.Read));
  Out.Seek(Start + 16 + int32_t(Source.Name.size()), 0);
  Out.WriteInt32(int32_t(D.Compressed));
  Out.Seek(end, 0);
  Summary.TotalSize += D.Read;
  Summary.CompressedTotal += D.Compressed;
  if (Summary.TotalSize > INT32_MAX) throw EQLStreamError("the files add up to more than 2 GiB");
}

void WriteEntriesInTurn(TQLTurboStream& Out, const std::vector<TQLCatSource>& Sources, int Level,
                        TQLCatWriteSummary& Summary, const TQLPackedProc& OnPacked) {
  TStreamSink sink(Out);
  for (size_t i = 0; i < Sources.size(); ++i) {
    int32_t start = StartEntry(Out, Sources[i]);
    TDeflated d;
    DeflateFile(Sources[i], Level, sink, d);
    FinishEntry(Out, Sources[i], start, d, Summary);
    if (OnPacked) OnPacked(int32_t(i) + 1, int32_t(Sources.size()));
  }
}

// Files compressed on Threads workers while this thread writes their
// blocks in the sources' order.
void WriteEntriesCompressedAhead(TQLTurboStream& Out, const std::vector<TQLCatSource>& Sources, int Level,
                                 int32_t Threads, TQLCatWriteSummary& Summary, const TQLPackedProc& OnPacked) {
  std::vector<TDeflated> results(Sources.size());
  TQLBlockPipeline compressors({Threads, kBlockSize, kBlocksPerThread});
  for (size_t i = 0; i < Sources.size(); ++i) {
    const TQLCatSource* source = &Sources[i];
    TDeflated* result = &results[i];
    compressors.Post([source, result, Level](TQLBlockSink& Sink) { DeflateFile(*source, Level, Sink, *result); });
  }
  for (size_t i = 0; i < Sources.size(); ++i) {
    int32_t start = StartEntry(Out, Sources[i]);
    const uint8_t* block = nullptr;
    while (int32_t n = compressors.NextBlock(block, nullptr)) Out.Write(block, n);
    compressors.EndHead();
    FinishEntry(Out, Sources[i], start, results[i], Summary);
    if (OnPacked) OnPacked(int32_t(i) + 1, int32_t(Sources.size()));
  }
}

}  // namespace

std::vector<TQLCatSource> CollectFolder(const std::string& Folder) {
  std::vector<TQLCatSource> sources;
  std::error_code ec;
  if (!fs::is_directory(Folder, ec)) throw EQLStreamError("not a folder: " + Folder);
  for (fs::recursive_directory_iterator it(Folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    TQLCatSource s;
    s.Path = it->path().string();
    const std::string name = fs::relative(it->path(), Folder, ec).generic_string();
    if (!Utf8ToAnsiName(name, s.Name))
      throw EQLStreamError("a name outside the ANSI code page (Windows-1252): " + name);
    std::replace(s.Name.begin(), s.Name.end(), '/', '\\');
    s.FileDateTime = LocalModificationTime(s.Path);
    sources.push_back(std::move(s));
  }
  if (ec) throw EQLStreamError("cannot list " + Folder + ": " + ec.message());
  std::sort(sources.begin(), sources.end(),
            [](const TQLCatSource& a, const TQLCatSource& b) { return a.Name < b.Name; });
  return sources;
}

TQLCatWriteSummary WriteArchive(TQLTurboStream& Out, const std::vector<TQLCatSource>& Sources, int Level) {
  return WriteArchive(Out, Sources, Level, 1, nullptr);
}

TQLCatWriteSummary WriteArchive(TQLTurboStream& Out, const std::vector<TQLCatSource>& Sources, int Level,
                                int32_t Threads, const TQLPackedProc& OnPacked) {
  if (Level < 0 || Level > 9) throw EQLStreamError("compression level must be 0 to 9");
  if (Sources.size() > size_t(INT32_MAX / kEntryFixedSize)) throw EQLStreamError("too many files");
  TQLCatWriteSummary summary;
  const int32_t start = Out.GetPosition();
  Out.Write(ArchiveSignature, kSignatureSize);
  Out.WriteInt32(0);
  Out.WriteUInt64(ArchiveIdentifier);
  Out.WriteInt32(0);
  if (Threads > 1 && Sources.size() > 1)
    WriteEntriesCompressedAhead(Out, Sources, Level, Threads, summary, OnPacked);
  else
    WriteEntriesInTurn(Out, Sources, Level, summary, OnPacked);
  summary.EntryCount = int32_t(Sources.size());
  const int32_t end = Out.GetPosition();
  Out.Seek(start + kSignatureSize, 0);
  Out.WriteInt32(summary.EntryCount);
  Out.WriteUInt64(ArchiveIdentifier);
  Out.WriteInt32(int32_t(summary.TotalSize));
  Out.Seek(end, 0);
  return summary;
}
