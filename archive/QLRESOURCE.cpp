#include "archive/QLRESOURCE.h"

#include <cstdio>
#include <memory>

#include "archive/QLCatFormat.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

int32_t LE32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

bool ReadResourceTrailer(const std::string& Path, int32_t& PayloadSize, int32_t& PayloadStart,
                         int32_t& TrailerExtra) {
  PayloadSize = PayloadStart = TrailerExtra = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(Path.c_str(), "rb"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  long size = std::ftell(file.get());
  if (size < kTrailerSize || size > INT32_MAX) return false;
  uint8_t trailer[kTrailerSize];
  if (std::fseek(file.get(), size - kTrailerSize, SEEK_SET) != 0 ||
      std::fread(trailer, 1, kTrailerSize, file.get()) != size_t(kTrailerSize))
    return false;
  if (!IsTrailerSignature(trailer + 8)) return false;
  int32_t payload = LE32(trailer);
  if (payload < 0 || payload > size - kTrailerSize) return false;
  PayloadSize = payload;
  TrailerExtra = LE32(trailer + 4);
  PayloadStart = int32_t(size - kTrailerSize - payload);
  return true;
}
