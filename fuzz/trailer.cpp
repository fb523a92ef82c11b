// Fuzz target: the appended-data trailer. The input is written to a file of
// its own and read back with ReadResourceTrailer; an accepted trailer must
// describe a payload that lies inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/QLRESOURCE.h"
#include "fuzz/FuzzScratch.h"

namespace {

const std::string& FilePath() {
  static const std::string path = FuzzScratchFolder() + "/file";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::FILE* f = std::fopen(FilePath().c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(Data, 1, Size, f);
  std::fclose(f);
  int32_t payloadSize = -1, payloadStart = -1, extra = -1;
  if (ReadResourceTrailer(FilePath(), payloadSize, payloadStart, extra)) {
    if (payloadSize < 0 || payloadStart < 0 || int64_t(payloadStart) + payloadSize + 40 != int64_t(Size))
      std::abort();
  } else if (payloadSize != 0 || payloadStart != 0 || extra != 0) {
    std::abort();
  }
  return 0;
}
