// Run-length encoded pixel data of DIBs (RLE8 and RLE4): checking it against
// its data and its image, and expanding it into an uncompressed DIB.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/QLDIBUTL.h"

enum class TQLRLEStatus {
  Ended,        // the end-of-bitmap code was reached
  DataEnded,    // a code would read past the end of the data
  OutOfBounds,  // a run, literal or move would leave the image
};

// Walks Size bytes of RLE8 (Bits 8) or RLE4 (Bits 4) data of a Width ×
// Height image, calling Put(X, Y, Value) for each pixel a code writes, in
// order (rows bottom first; no pixel twice), and stops at the first code
// that does not fit. The pixels no code writes hold colour 0. The work
// follows the data's bytes, never the image's size.
template <typename TPut>
TQLRLEStatus WalkRLE(const uint8_t* Data, size_t Size, int32_t Width, int32_t Height, unsigned Bits, TPut&& Put) {
  // The pixel value of a run or literal: the byte, or for 4 bits its nibbles in turn.
  const auto nibble = [Bits](uint8_t Byte, int32_t I) {
    return Bits == 8 ? Byte : I % 2 == 0 ? uint8_t(Byte >> 4) : uint8_t(Byte & 0x0F);
  };
  size_t pos = 0;
  int32_t x = 0, y = 0;
  const auto fits = [&](int64_t Count) { return y < Height && x + Count <= Width; };
  while (true) {
    if (Size - pos < 2) return TQLRLEStatus::DataEnded;
    const uint8_t count = Data[pos], value = Data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run
      if (!fits(count)) return TQLRLEStatus::OutOfBounds;
      for (int32_t i = 0; i < count; ++i) Put(x++, y, nibble(value, i));
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {
      return TQLRLEStatus::Ended;
    } else if (value == 2) {  // move right and up
      if (Size - pos < 2) return TQLRLEStatus::DataEnded;
      const int32_t dx = Data[pos], dy = Data[pos + 1];
      pos += 2;
      if (x + dx > Width || y + dy >= Height) return TQLRLEStatus::OutOfBounds;
      x += dx;
      y += dy;
    } else {  // literal pixels, padded to 16 bits
      size_t bytes = Bits == 8 ? value : (value + 1u) / 2;
      bytes += bytes % 2;
      if (Size - pos < bytes) return TQLRLEStatus::DataEnded;
      if (!fits(value)) return TQLRLEStatus::OutOfBounds;
      for (int32_t i = 0; i < value; ++i) Put(x++, y, nibble(Data[pos + size_t(Bits == 8 ? i : i / 2)], i));
      pos += bytes;
    }
  }
}

// Decodes Size bytes of RLE8 (Bits 8) or RLE4 (Bits 4) data of a Width ×
// Height image into Pixels (uncompressed rows of DIBRowSize bytes, bottom row
// first, zero-filled by the caller), or only walks it when Pixels is null.
// Decoding stops at the first code that does not fit.
TQLRLEStatus DecodeRLE(const uint8_t* Data, size_t Size, int32_t Width, int32_t Height, unsigned Bits,
                       uint8_t* Pixels);

// The run-length DIB as an uncompressed 8- or 4-bit DIB with the same colour
// table. A run, literal or move that would leave the image ends the decoding
// there; data that ends before the end-of-bitmap code, or a picture beyond
// the size limit of QLDIBUTL, gives none (the latter before allocating).
TQLDIB ExpandRLE(const TQLDIB& DIB);

// A valid DIB without run-length data: expanded when it has them, else as is.
TQLDIB UncompressedDIB(const TQLDIB& DIB);

bool IsRunLength(const TQLBitmapInfoHeader& H);

// Walks the pixels of a valid run-length DIB (see WalkRLE).
template <typename TPut>
void WalkRLEPixels(const TQLDIB& DIB, TPut&& Put) {
  const TQLBitmapInfoHeader h = DIBHeader(DIB);
  WalkRLE(DIB.data() + DIBPixelOffset(h), h.SizeImage, h.Width, h.Height, h.BitCount, Put);
}
