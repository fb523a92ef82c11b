// Fuzz target: the run-length decoder. The input is a packed DIB (40-byte
// header, colour table, data) whose compression is forced to RLE8 or RLE4;
// it is checked, walked and expanded. An expanded picture must be a valid
// uncompressed DIB of the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/QLDIBRLE.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < DIBHeaderSize) return 0;
  TQLDIB dib(Data, Data + Size);
  TQLBitmapInfoHeader h = DIBHeader(dib);
  h.Size = 40;
  h.Compression = h.BitCount == 4 ? dibRLE4 : dibRLE8;
  h.BitCount = h.Compression == dibRLE4 ? 4 : 8;
  if (h.ColorsUsed == 0 || h.ColorsUsed > (1u << h.BitCount)) h.ColorsUsed = 1u << h.BitCount;
  SetDIBHeader(dib, h);
  size_t data = DIBPixelOffset(h);
  if (data <= dib.size()) {
    size_t size = h.SizeImage <= dib.size() - data ? h.SizeImage : dib.size() - data;
    DecodeRLE(dib.data() + data, size, h.Width, h.Height, h.BitCount, nullptr);
  }
  bool valid = DIBValid(dib);
  TQLDIB expanded = ExpandRLE(dib);
  if (expanded.empty()) {
    if (valid) std::abort();  // data that check out always expand
    return 0;
  }
  TQLBitmapInfoHeader e = DIBHeader(expanded);
  if (!DIBValid(expanded) || e.Width != h.Width || e.Height != h.Height || e.Compression != dibRGB) std::abort();
  return 0;
}
