// Packed device-independent bitmaps (DIBs) in memory, and the bitmap file
// loader that makes them. A packed DIB is one block:
//
//   +0   40-byte header: size 40, width, height, planes 1, bits per pixel,
//        compression, image size, resolution 0 0, colours used, important 0
//   +40  colour table: ColorsUsed × (blue, green, red, 0) when ≤ 256
//   ...  bit fields (compression 3): red, green and blue masks, 4 bytes each
//   ...  pixel rows, bottom row first, each padded to 4 bytes; or the
//        run-length data as stored (compression 1 = RLE8, 2 = RLE4)
//
// Portable. The block is a TQLDIB owned by whoever holds it; an empty TQLDIB
// means "none". Every function checks the block before it reads it.
//
// Picture size limit: no picture is larger than 64 MiB decoded (its
// uncompressed rows at its own depth), far beyond any picture the setup
// shows; every width and height that fits it is taken (a 1-bit row of 64 MiB
// is 2^29 pixels wide, the bound on a side). The loader refuses larger
// pictures, and the run-length expansion, the conversions and the colour
// reduction refuse to make one, each before allocating anything; pixels are
// read and written a row at a time, so memory and time stay proportional
// to the input plus the accepted picture, whatever a header declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TQLTurboStream;

using TQLDIB = std::vector<uint8_t>;

enum : uint32_t { dibRGB = 0, dibRLE8 = 1, dibRLE4 = 2, dibBitFields = 3 };

struct TQLBitmapInfoHeader {
  uint32_t Size = 40;
  int32_t Width = 0, Height = 0;
  uint16_t Planes = 1, BitCount = 0;
  uint32_t Compression = dibRGB, SizeImage = 0;
  int32_t XPelsPerMeter = 0, YPelsPerMeter = 0;
  uint32_t ColorsUsed = 0, ColorsImportant = 0;
};
constexpr size_t DIBHeaderSize = 40;

struct TQLRGB {
  uint8_t R = 0, G = 0, B = 0;
};

constexpr uint64_t kMaxPictureBytes = 64u << 20;
constexpr int32_t kMaxPictureSide = int32_t(kMaxPictureBytes * 8);  // implied by the decoded size

// Row size in bytes: Width × BitCount bits rounded up to 32 bits.
uint64_t DIBRowSize(int64_t Width, unsigned BitCount);

// True when a Width × Height picture of BitCount bits is within the limit.
bool DIBSizeAccepted(int64_t Width, int64_t Height, unsigned BitCount);

// The header of a block (the block must be at least 40 bytes).
TQLBitmapInfoHeader DIBHeader(const TQLDIB& DIB);
void SetDIBHeader(TQLDIB& DIB, const TQLBitmapInfoHeader& H);

size_t DIBColorTableSize(const TQLBitmapInfoHeader& H);  // bytes
size_t DIBMaskSize(const TQLBitmapInfoHeader& H);        // 12 for bit fields
uint64_t DIBImageSize(const TQLBitmapInfoHeader& H);      // row rule, or SizeImage for RLE
size_t DIBPixelOffset(const TQLBitmapInfoHeader& H);

// True when the header describes an image this unit handles and the block
// holds all of its parts (for run-length data: codes that stay inside the
// data and the image).
bool DIBValid(const TQLDIB& DIB);

// A zero-filled block for the header, with header, table, masks and image.
TQLDIB NewDIB(const TQLBitmapInfoHeader& H);

// Reads a bitmap file from the start of Stream: the 12-byte core header,
// headers of 13 to 40 bytes, and version 4/5 headers of bit-field images of
// 16 or 32 bits. Gives none for anything it does not accept, including any
// value that would need a read or write outside the stream or the image.
TQLDIB LoadBitmapFromStream(TQLTurboStream& Stream);

// Colours of the pixels of an uncompressed DIB (through the colour table,
// 5-5-5 or the channel masks as the format requires).
class TQLPixelReader {
public:
  explicit TQLPixelReader(const TQLDIB& DIB);  // DIB: valid; uncompressed unless only Color is used
  TQLRGB At(int32_t X, int32_t Y) const;       // Y counts rows from the bottom
  // The colour index of a pixel of a 1-, 4- or 8-bit image.
  uint32_t Index(int32_t X, int32_t Y) const;
  // The colours of row Y, Width of them.
  void Row(int32_t Y, TQLRGB* Colors) const;
  // Entry Index of the colour table of a 1-, 4- or 8-bit image (black
  // beyond ColorsUsed); DIB may hold run-length data.
  TQLRGB Color(uint32_t Index) const { return FTable[Index]; }

private:
  const uint8_t* RowAt(int32_t Y) const;
  const TQLDIB& FDIB;
  TQLBitmapInfoHeader FHeader;
  uint64_t FRowSize = 0;
  size_t FPixels = 0;
  uint32_t FMasks[3] = {};
  std::vector<TQLRGB> FTable;  // the colour table, full length, black beyond ColorsUsed
};

// A channel value under Mask, scaled to 0..255 (v × 255 / (2ⁿ − 1)).
uint8_t MaskedChannel(uint32_t Pixel, uint32_t Mask);

// Any DIB as a 24-bit uncompressed DIB (run-length data expanded first).
TQLDIB ConvertDIBTo24(const TQLDIB& DIB);

// Any DIB as a 16-bit 5-5-5 DIB, uncompressed or as bit fields with the
// masks 0x7C00, 0x03E0 and 0x001F.
TQLDIB ConvertDIBTo16(const TQLDIB& DIB, bool BitFields);
