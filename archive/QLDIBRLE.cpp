#include "archive/QLDIBRLE.h"

#include <algorithm>

TQLRLEStatus DecodeRLE(const uint8_t* Data, size_t Size, int32_t Width, int32_t Height, unsigned Bits,
                       uint8_t* Pixels) {
  const uint64_t rowSize = DIBRowSize(Width, Bits);
  if (!Pixels) return WalkRLE(Data, Size, Width, Height, Bits, [](int32_t, int32_t, uint8_t) {});
  return WalkRLE(Data, Size, Width, Height, Bits, [&](int32_t X, int32_t Y, uint8_t Value) {
    uint8_t* row = Pixels + uint64_t(Y) * rowSize;
    if (Bits == 8) {
      row[X] = Value;
    } else {
      uint8_t& b = row[X / 2];
      b = X % 2 == 0 ? uint8_t((b & 0x0F) | (Value << 4)) : uint8_t((b & 0xF0) | (Value & 0x0F));
    }
  });
}

TQLDIB ExpandRLE(const TQLDIB& DIB) {
  if (DIB.size() < DIBHeaderSize) return {};
  TQLBitmapInfoHeader h = DIBHeader(DIB);
  if (!(h.Compression == dibRLE8 && h.BitCount == 8) && !(h.Compression == dibRLE4 && h.BitCount == 4)) return {};
  size_t dataOffset = DIBPixelOffset(h);
  if (!DIBSizeAccepted(h.Width, h.Height, h.BitCount) || DIB.size() < dataOffset + h.SizeImage) return {};
  TQLBitmapInfoHeader out = h;
  out.Compression = dibRGB;
  out.SizeImage = 0;
  TQLDIB result = NewDIB(out);
  std::copy(DIB.begin() + DIBHeaderSize, DIB.begin() + ptrdiff_t(dataOffset), result.begin() + DIBHeaderSize);
  TQLRLEStatus status = DecodeRLE(DIB.data() + dataOffset, h.SizeImage, h.Width, h.Height, h.BitCount,
                                  result.data() + DIBPixelOffset(out));
  if (status == TQLRLEStatus::DataEnded) return {};
  return result;
}

bool IsRunLength(const TQLBitmapInfoHeader& H) { return H.Compression == dibRLE8 || H.Compression == dibRLE4; }

TQLDIB UncompressedDIB(const TQLDIB& DIB) { return IsRunLength(DIBHeader(DIB)) ? ExpandRLE(DIB) : DIB; }
