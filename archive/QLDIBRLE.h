// Run-length encoded pixel data of DIBs (RLE8 and RLE4): checking it against
// its data and its image, and expanding it into an uncompressed DIB.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "archive/QLDIBUTL.h"

enum class TQLRLEStatus {
  Ended,        // the end-of-bitmap code was reached
  DataEnded,    // a code would read past the end of the data
  OutOfBounds,  // a run, literal or move would leave the image
};

// Walks Size bytes of RLE8 (Bits 8) or RLE4 (Bits 4) data of a Width ×
// Height image, calling Put(Context, X, Y, Value) for each pixel a code
// writes, in order (rows bottom first; no pixel twice), and stops at the
// first code that does not fit. The pixels no code writes hold colour 0.
// The work follows the data's bytes, never the image's size.
using TQLRLEPut = void (*)(void* Context, int32_t X, int32_t Y, uint8_t Value);
TQLRLEStatus WalkRLE(const uint8_t* Data, size_t Size, int32_t Width, int32_t Height, unsigned Bits, TQLRLEPut Put,
                     void* Context);

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

// Walks the pixels of a valid run-length DIB (see WalkRLE), calling
// Put(X, Y, Value) for each.
template <typename TPut>
void WalkRLEPixels(const TQLDIB& DIB, TPut&& Put) {
  const TQLBitmapInfoHeader h = DIBHeader(DIB);
  const auto put = [](void* Context, int32_t X, int32_t Y, uint8_t Value) {
    (*static_cast<std::remove_reference_t<TPut>*>(Context))(X, Y, Value);
  };
  WalkRLE(DIB.data() + DIBPixelOffset(h), h.SizeImage, h.Width, h.Height, h.BitCount, put, &Put);
}
