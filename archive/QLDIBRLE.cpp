#include "archive/QLDIBRLE.h"

#include <algorithm>

namespace {

// The pixel value of a run or literal: the byte, or for 4 bits its nibbles in turn.
uint8_t Nibble(uint8_t Byte, unsigned Bits, int32_t I) {
  if (Bits == 8) return Byte;
  return I % 2 == 0 ? uint8_t(Byte >> 4) : uint8_t(Byte & 0x0F);
}

// Writes the pixels of one image.
struct TQLRLETarget {
  uint8_t* Pixels;
  uint64_t RowSize;
  unsigned Bits;

  static void Put(void* Target, int32_t X, int32_t Y, uint8_t Value) {
    const auto& t = *static_cast<const TQLRLETarget*>(Target);
    uint8_t* row = t.Pixels + uint64_t(Y) * t.RowSize;
    if (t.Bits == 8) {
      row[X] = Value;
    } else {
      uint8_t& b = row[X / 2];
      b = X % 2 == 0 ? uint8_t((b & 0x0F) | (Value << 4)) : uint8_t((b & 0xF0) | (Value & 0x0F));
    }
  }
};

void PutNothing(void*, int32_t, int32_t, uint8_t) {}

}  // namespace

TQLRLEStatus WalkRLE(const uint8_t* Data, size_t Size, int32_t Width, int32_t Height, unsigned Bits, TQLRLEPut Put,
                     void* Context) {
  size_t pos = 0;
  int32_t x = 0, y = 0;
  auto fits = [&](int64_t Count) { return y < Height && x + Count <= Width; };
  while (true) {
    if (Size - pos < 2) return TQLRLEStatus::DataEnded;
    uint8_t count = Data[pos], value = Data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run
      if (!fits(count)) return TQLRLEStatus::OutOfBounds;
      for (int32_t i = 0; i < count; ++i) Put(Context, x++, y, Nibble(value, Bits, i));
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {
      return TQLRLEStatus::Ended;
    } else if (value == 2) {  // move right and up
      if (Size - pos < 2) return TQLRLEStatus::DataEnded;
      int32_t dx = Data[pos], dy = Data[pos + 1];
      pos += 2;
      if (x + dx > Width || y + dy >= Height) return TQLRLEStatus::OutOfBounds;
      x += dx;
      y += dy;
    } else {  // literal pixels, padded to 16 bits
      size_t bytes = Bits == 8 ? value : (value + 1u) / 2;
      bytes += bytes % 2;
      if (Size - pos < bytes) return TQLRLEStatus::DataEnded;
      if (!fits(value)) return TQLRLEStatus::OutOfBounds;
      for (int32_t i = 0; i < value; ++i)
        Put(Context, x++, y, Nibble(Data[pos + size_t(Bits == 8 ? i : i / 2)], Bits, i));
      pos += bytes;
    }
  }
}

TQLRLEStatus DecodeRLE(const uint8_t* Data, size_t Size, int32_t Width, int32_t Height, unsigned Bits,
                       uint8_t* Pixels) {
  TQLRLETarget target{Pixels, DIBRowSize(Width, Bits), Bits};
  return WalkRLE(Data, Size, Width, Height, Bits, Pixels ? TQLRLETarget::Put : PutNothing, &target);
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
