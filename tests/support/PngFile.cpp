#include "tests/support/PngFile.h"

#include <zlib.h>

#include <cstdio>
#include <memory>

namespace {

void PutBE32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int shift = 24; shift >= 0; shift -= 8) Out.push_back(uint8_t(V >> shift));
}

void PutChunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
  PutBE32(Out, uint32_t(Data.size()));
  size_t start = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  uLong crc = crc32(0L, Out.data() + start, uInt(Out.size() - start));
  PutBE32(Out, uint32_t(crc));
}

}  // namespace

bool WritePngFile(const std::string& Path, int Width, int Height, const std::vector<uint8_t>& Rgb) {
  if (Width <= 0 || Height <= 0 || Rgb.size() != size_t(Width) * size_t(Height) * 3) return false;
  std::vector<uint8_t> raw;
  for (int y = 0; y < Height; ++y) {
    raw.push_back(0);  // filter: none
    auto row = Rgb.begin() + ptrdiff_t(size_t(y) * size_t(Width) * 3);
    raw.insert(raw.end(), row, row + Width * 3);
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress(packed.data(), &packedSize, raw.data(), uLong(raw.size())) != Z_OK) return false;
  packed.resize(packedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, uint32_t(Width));
  PutBE32(ihdr, uint32_t(Height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(Path.c_str(), "wb"), std::fclose);
  return f && std::fwrite(png.data(), 1, png.size(), f.get()) == png.size();
}
