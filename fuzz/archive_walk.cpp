// Fuzz target: the archive header and the entry walk. The input is an
// archive read in place through an attached memory stream, as the setup
// reads its resource: listed, then verified with every zlib stream decoded.
// A broken archive must be refused through a result or EQLStreamError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/QLCatDec.h"
#include "archive/QLCatFormat.h"
#include "archive/QLMemoryStream.h"

namespace {

void Walk(const uint8_t* Data, size_t Size) {
  TQLMemoryStream stream;
  stream.Attach(Data, int32_t(Size));
  int32_t count = 0, total = 0;
  if (!ReadArchiveHeader(stream, count, total, ArchiveIdentifier)) return;
  int64_t end = 0;
  ForEachEntry(stream, count, [&](const TQLCatEntryInfo& Info) {
    if (!IsSafeEntryName(Info.Entry.Name)) std::abort();  // the walk hands on only safe names
    end = int64_t(Info.DataStart) + Info.Entry.CompressedSize + 4;
    if (end > int64_t(Size)) std::abort();
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > INT32_MAX) return 0;
  try {
    Walk(Data, Size);
  } catch (const EQLStreamError&) {
  }
  TQLMemoryStream stream;
  stream.Attach(Data, int32_t(Size));
  TQLVerifyReport report = VerifyArchive(stream, ArchiveIdentifier, true);
  if (report.Ok != report.Error.empty()) std::abort();
  return 0;
}
