#include "archive/QLCatWriter.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "archive/QLCatDec.h"
#include "archive/QLCatFormat.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kPiece = 65536;

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

// Deflates the file into Out; returns the compressed size, updates CheckValue.
int64_t DeflateFile(std::FILE* In, const std::string& Path, TQLTurboStream& Out, int Level, int64_t& Read,
                    uint32_t& CheckValue) {
  z_stream z{};
  if (deflateInit(&z, Level) != Z_OK) throw EQLStreamError("zlib cannot start compressing");
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, deflateEnd);
  std::vector<uint8_t> in(kPiece), out(kPiece);
  int64_t written = 0;
  int flush = Z_NO_FLUSH;
  do {
    size_t n = std::fread(in.data(), 1, in.size(), In);
    if (std::ferror(In)) throw EQLStreamError("cannot read " + Path);
    Read += int64_t(n);
    if (Read > INT32_MAX) throw EQLStreamError(Path + ": larger than 2 GiB, which the archive cannot hold");
    flush = std::feof(In) ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = in.data();
    z.avail_in = uInt(n);
    do {
      z.next_out = out.data();
      z.avail_out = uInt(out.size());
      deflate(&z, flush);
      int32_t have = int32_t(out.size() - z.avail_out);
      CheckValue = UpdateCheckValue(CheckValue, out.data(), size_t(have));
      written += have;
      if (written > INT32_MAX) throw EQLStreamError(Path + ": compressed data larger than 2 GiB");
      Out.Write(out.data(), have);
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  return written;
}

void WriteEntry(TQLTurboStream& Out, const TQLCatSource& Source, int Level, TQLCatWriteSummary& Summary) {
  if (!IsSafeEntryName(Source.Name)) throw EQLStreamError("unsafe entry name: " + Source.Name);
  if (Source.Name.size() > size_t(INT32_MAX)) throw EQLStreamError("name too long: " + Source.Name);
  TFile in(std::fopen(Source.Path.c_str(), "rb"));
  if (!in) throw EQLStreamError("cannot open " + Source.Path);
  const int32_t start = Out.GetPosition();
  Out.WriteInt32(0);  // UncompressedSize, patched below
  Out.WriteDouble(Source.FileDateTime);
  Out.WriteInt32(int32_t(Source.Name.size()));
  Out.Write(Source.Name.data(), int32_t(Source.Name.size()));
  const int32_t sizeAt = Out.GetPosition();
  Out.WriteInt32(0);  // CompressedSize, patched below
  int64_t read = 0;
  uint32_t check = kCheckValueStart;
  int64_t compressed = DeflateFile(in.get(), Source.Path, Out, Level, read, check);
  Out.WriteUInt32(check);
  const int32_t end = Out.GetPosition();
  Out.Seek(start, 0);
  Out.WriteInt32(int32_t(read));
  Out.Seek(sizeAt, 0);
  Out.WriteInt32(int32_t(compressed));
  Out.Seek(end, 0);
  Summary.TotalSize += read;
  Summary.CompressedTotal += compressed;
  if (Summary.TotalSize > INT32_MAX) throw EQLStreamError("the files add up to more than 2 GiB");
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
    s.Name = fs::relative(it->path(), Folder, ec).generic_string();
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
  if (Level < 0 || Level > 9) throw EQLStreamError("compression level must be 0 to 9");
  if (Sources.size() > size_t(INT32_MAX / kEntryFixedSize)) throw EQLStreamError("too many files");
  TQLCatWriteSummary summary;
  const int32_t start = Out.GetPosition();
  Out.Write(ArchiveSignature, kSignatureSize);
  Out.WriteInt32(0);
  Out.WriteUInt64(ArchiveIdentifier);
  Out.WriteInt32(0);
  for (const TQLCatSource& s : Sources) WriteEntry(Out, s, Level, summary);
  summary.EntryCount = int32_t(Sources.size());
  const int32_t end = Out.GetPosition();
  Out.Seek(start + kSignatureSize, 0);
  Out.WriteInt32(summary.EntryCount);
  Out.WriteUInt64(ArchiveIdentifier);
  Out.WriteInt32(int32_t(summary.TotalSize));
  Out.Seek(end, 0);
  return summary;
}
