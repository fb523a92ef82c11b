// Writing QLCAT archives for the tools that build a setup: the files of a
// folder collected as entries, each compressed as one zlib stream and
// streamed straight into the output. Sizes that do not fit the format's
// signed 32-bit fields are refused, never wrapped. Raises EQLStreamError.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/QLDateTime.h"
#include "archive/QLTurboStream.h"

struct TQLCatSource {
  std::string Name;  // relative, with backslashes
  std::string Path;  // where the bytes are read from
  TDateTime FileDateTime = 0;
};

struct TQLCatWriteSummary {
  int32_t EntryCount = 0;
  int64_t TotalSize = 0;
  int64_t CompressedTotal = 0;
};

// Every file below Folder, named relative to it with backslashes and in
// ANSI (the UTF-8 names converted; one outside it raises), sorted by
// name so that the same folder always packs the same way; dates are the
// files' modification times in local time, at the 2-second granularity of
// directory entries.
std::vector<TQLCatSource> CollectFolder(const std::string& Folder);

// Called after each entry written: Done of Count entries.
using TQLPackedProc = std::function<void(int32_t Done, int32_t Count)>;

// Writes the archive to Out at its position (normally an empty stream).
// Level is the zlib level, 0 to 9. With Threads above 1 the files are
// compressed on that many threads at once; the archive is the same byte for
// byte, and memory stays within a fixed number of blocks per thread.
TQLCatWriteSummary WriteArchive(TQLTurboStream& Out, const std::vector<TQLCatSource>& Sources, int Level);
TQLCatWriteSummary WriteArchive(TQLTurboStream& Out, const std::vector<TQLCatSource>& Sources, int Level,
                                int32_t Threads, const TQLPackedProc& OnPacked);
