#include "archive/QLDIBUTL.h"

#include <algorithm>
#include <cstring>

#include "archive/QLDIBRLE.h"
#include "archive/QLTurboStream.h"

namespace {

uint32_t Get32(const uint8_t* P) { return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24; }
uint16_t Get16(const uint8_t* P) { return uint16_t(P[0] | P[1] << 8); }
void Put32(uint8_t* P, uint32_t V) {
  for (int i = 0; i < 4; ++i) P[i] = uint8_t(V >> (8 * i));
}

bool KnownFormat(const TQLBitmapInfoHeader& H) {
  switch (H.Compression) {
    case dibRGB:
      return H.BitCount == 1 || H.BitCount == 4 || H.BitCount == 8 || H.BitCount == 16 || H.BitCount == 24 ||
             H.BitCount == 32;
    case dibRLE8: return H.BitCount == 8;
    case dibRLE4: return H.BitCount == 4;
    case dibBitFields: return H.BitCount == 16 || H.BitCount == 32;
    default: return false;
  }
}

}  // namespace

uint64_t DIBRowSize(int64_t Width, unsigned BitCount) {
  if (Width <= 0) return 0;
  return (uint64_t(Width) * BitCount + 31) / 32 * 4;
}

bool DIBSizeAccepted(int64_t Width, int64_t Height, unsigned BitCount) {
  return Width > 0 && Height > 0 && Width <= kMaxPictureSide && Height <= kMaxPictureSide &&
         DIBRowSize(Width, BitCount) * uint64_t(Height) <= kMaxPictureBytes;
}

TQLBitmapInfoHeader DIBHeader(const TQLDIB& DIB) {
  const uint8_t* p = DIB.data();
  TQLBitmapInfoHeader h;
  h.Size = Get32(p);
  h.Width = int32_t(Get32(p + 4));
  h.Height = int32_t(Get32(p + 8));
  h.Planes = Get16(p + 12);
  h.BitCount = Get16(p + 14);
  h.Compression = Get32(p + 16);
  h.SizeImage = Get32(p + 20);
  h.XPelsPerMeter = int32_t(Get32(p + 24));
  h.YPelsPerMeter = int32_t(Get32(p + 28));
  h.ColorsUsed = Get32(p + 32);
  h.ColorsImportant = Get32(p + 36);
  return h;
}

void SetDIBHeader(TQLDIB& DIB, const TQLBitmapInfoHeader& H) {
  uint8_t* p = DIB.data();
  Put32(p, H.Size);
  Put32(p + 4, uint32_t(H.Width));
  Put32(p + 8, uint32_t(H.Height));
  p[12] = uint8_t(H.Planes);
  p[13] = uint8_t(H.Planes >> 8);
  p[14] = uint8_t(H.BitCount);
  p[15] = uint8_t(H.BitCount >> 8);
  Put32(p + 16, H.Compression);
  Put32(p + 20, H.SizeImage);
  Put32(p + 24, uint32_t(H.XPelsPerMeter));
  Put32(p + 28, uint32_t(H.YPelsPerMeter));
  Put32(p + 32, H.ColorsUsed);
  Put32(p + 36, H.ColorsImportant);
}

size_t DIBColorTableSize(const TQLBitmapInfoHeader& H) { return H.ColorsUsed <= 256 ? 4 * size_t(H.ColorsUsed) : 0; }
size_t DIBMaskSize(const TQLBitmapInfoHeader& H) { return H.Compression == dibBitFields ? 12 : 0; }

uint64_t DIBImageSize(const TQLBitmapInfoHeader& H) {
  if (H.Compression == dibRLE8 || H.Compression == dibRLE4) return H.SizeImage;
  return DIBRowSize(H.Width, H.BitCount) * uint64_t(H.Height > 0 ? H.Height : 0);
}

size_t DIBPixelOffset(const TQLBitmapInfoHeader& H) { return DIBHeaderSize + DIBColorTableSize(H) + DIBMaskSize(H); }

bool DIBValid(const TQLDIB& DIB) {
  if (DIB.size() < DIBHeaderSize) return false;
  TQLBitmapInfoHeader h = DIBHeader(DIB);
  if (h.Size != DIBHeaderSize || !DIBSizeAccepted(h.Width, h.Height, h.BitCount) || !KnownFormat(h)) return false;
  if (h.BitCount <= 8 ? h.ColorsUsed == 0 || h.ColorsUsed > (1u << h.BitCount) : h.ColorsUsed != 0) return false;
  uint64_t image = DIBImageSize(h);
  if (DIB.size() < DIBPixelOffset(h) + image) return false;
  if (h.Compression != dibRLE8 && h.Compression != dibRLE4) return true;
  return DecodeRLE(DIB.data() + DIBPixelOffset(h), size_t(image), h.Width, h.Height, h.BitCount, nullptr) ==
         TQLRLEStatus::Ended;
}

TQLDIB NewDIB(const TQLBitmapInfoHeader& H) {
  TQLDIB dib(DIBPixelOffset(H) + size_t(DIBImageSize(H)), 0);
  SetDIBHeader(dib, H);
  return dib;
}

uint8_t MaskedChannel(uint32_t Pixel, uint32_t Mask) {
  if (Mask == 0) return 0;
  unsigned shift = 0;
  while (!(Mask >> shift & 1)) ++shift;
  uint64_t width = 0;
  for (uint32_t m = Mask >> shift; m & 1; m >>= 1) ++width;
  uint64_t max = (uint64_t(1) << width) - 1;
  uint64_t v = (uint64_t(Pixel) >> shift) & max;
  return uint8_t(v * 255 / max);
}

TQLPixelReader::TQLPixelReader(const TQLDIB& DIB) : FDIB(DIB), FHeader(DIBHeader(DIB)) {
  FRowSize = DIBRowSize(FHeader.Width, FHeader.BitCount);
  FPixels = DIBPixelOffset(FHeader);
  if (FHeader.BitCount <= 8) {
    FTable.resize(size_t(1) << FHeader.BitCount);
    for (uint32_t i = 0; i < FHeader.ColorsUsed && i < FTable.size(); ++i) {
      const uint8_t* c = DIB.data() + DIBHeaderSize + 4 * i;
      FTable[i] = {c[2], c[1], c[0]};
    }
  } else if (FHeader.Compression == dibBitFields) {
    for (int i = 0; i < 3; ++i) FMasks[i] = Get32(DIB.data() + DIBHeaderSize + 4 * i);
  } else if (FHeader.BitCount == 16) {
    FMasks[0] = 0x7C00, FMasks[1] = 0x03E0, FMasks[2] = 0x001F;
  } else {
    FMasks[0] = 0xFF0000, FMasks[1] = 0xFF00, FMasks[2] = 0xFF;
  }
}

const uint8_t* TQLPixelReader::RowAt(int32_t Y) const { return FDIB.data() + FPixels + uint64_t(Y) * FRowSize; }

uint32_t TQLPixelReader::Index(int32_t X, int32_t Y) const {
  const uint8_t* row = RowAt(Y);
  switch (FHeader.BitCount) {
    case 1: return row[X / 8] >> (7 - X % 8) & 1;
    case 4: return X % 2 == 0 ? row[X / 2] >> 4 : row[X / 2] & 0x0F;
    default: return row[X];
  }
}

TQLRGB TQLPixelReader::At(int32_t X, int32_t Y) const {
  const uint8_t* row = RowAt(Y);
  if (FHeader.BitCount <= 8) return FTable[Index(X, Y)];
  if (FHeader.BitCount == 24) return {row[3 * X + 2], row[3 * X + 1], row[3 * X]};
  uint32_t pixel = FHeader.BitCount == 16 ? Get16(row + 2 * X) : Get32(row + 4 * X);
  return {MaskedChannel(pixel, FMasks[0]), MaskedChannel(pixel, FMasks[1]), MaskedChannel(pixel, FMasks[2])};
}

namespace {

// One channel of pixels under a mask: its shift, its largest value and,
// for channels of up to 8 bits, a table of the scaled values.
struct TQLChannel {
  unsigned Shift = 0;
  uint32_t Max = 0;
  uint8_t Scaled[256] = {};

  explicit TQLChannel(uint32_t Mask) {
    if (Mask == 0) return;
    while (!(Mask >> Shift & 1)) ++Shift;
    unsigned width = 0;  // the lowest run of set bits
    for (uint32_t m = Mask >> Shift; m & 1; m >>= 1) ++width;
    Max = uint32_t((uint64_t(1) << width) - 1);
    if (Max <= 255)
      for (uint32_t v = 0; v <= Max; ++v) Scaled[v] = uint8_t(v * 255 / Max);
  }
  uint8_t Of(uint32_t Pixel) const {
    if (Max == 0) return 0;
    const uint32_t v = Pixel >> Shift & Max;
    return Max <= 255 ? Scaled[v] : uint8_t(uint64_t(v) * 255 / Max);
  }
};

}  // namespace

void TQLPixelReader::Row(int32_t Y, TQLRGB* Colors) const {
  const uint8_t* row = RowAt(Y);
  const int32_t w = FHeader.Width;
  switch (FHeader.BitCount) {
    case 1:
      for (int32_t x = 0; x < w; ++x) Colors[x] = FTable[row[x / 8] >> (7 - x % 8) & 1];
      return;
    case 4:
      for (int32_t x = 0; x < w; ++x) Colors[x] = FTable[x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F];
      return;
    case 8:
      for (int32_t x = 0; x < w; ++x) Colors[x] = FTable[row[x]];
      return;
    case 24:
      for (int32_t x = 0; x < w; ++x) Colors[x] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
      return;
    default: break;
  }
  const TQLChannel r(FMasks[0]), g(FMasks[1]), b(FMasks[2]);
  for (int32_t x = 0; x < w; ++x) {
    const uint32_t pixel = FHeader.BitCount == 16 ? Get16(row + 2 * x) : Get32(row + 4 * x);
    Colors[x] = {r.Of(pixel), g.Of(pixel), b.Of(pixel)};
  }
}

namespace {

// A DIB of the same size at BitCount bits, every pixel written by Put.
template <typename PutPixel>
TQLDIB Convert(const TQLDIB& DIB, uint16_t BitCount, uint32_t Compression, PutPixel Put) {
  if (!DIBValid(DIB)) return {};
  TQLBitmapInfoHeader h = DIBHeader(DIB);
  if (!DIBSizeAccepted(h.Width, h.Height, BitCount)) return {};
  TQLBitmapInfoHeader out;
  out.Width = h.Width;
  out.Height = h.Height;
  out.BitCount = BitCount;
  out.Compression = Compression;
  TQLDIB result = NewDIB(out);
  const TQLPixelReader reader(DIB);
  uint64_t rowSize = DIBRowSize(out.Width, BitCount);
  uint8_t* pixels = result.data() + DIBPixelOffset(out);
  if (IsRunLength(h)) {
    // What no code writes is colour 0: one such row, copied to every row,
    // then the codes' pixels over them.
    for (int32_t x = 0; x < h.Width; ++x) Put(pixels, x, reader.Color(0));
    for (int32_t y = 1; y < h.Height; ++y) std::memcpy(pixels + uint64_t(y) * rowSize, pixels, size_t(rowSize));
    WalkRLEPixels(DIB, [&](int32_t X, int32_t Y, uint8_t V) { Put(pixels + uint64_t(Y) * rowSize, X, reader.Color(V)); });
    return result;
  }
  std::vector<TQLRGB> colors(size_t(h.Width));
  for (int32_t y = 0; y < h.Height; ++y) {
    reader.Row(y, colors.data());
    uint8_t* row = pixels + uint64_t(y) * rowSize;
    for (int32_t x = 0; x < h.Width; ++x) Put(row, x, colors[size_t(x)]);
  }
  return result;
}

}  // namespace

TQLDIB ConvertDIBTo24(const TQLDIB& DIB) {
  return Convert(DIB, 24, dibRGB, [](uint8_t* Row, int32_t X, TQLRGB C) {
    Row[3 * X] = C.B;
    Row[3 * X + 1] = C.G;
    Row[3 * X + 2] = C.R;
  });
}

TQLDIB ConvertDIBTo16(const TQLDIB& DIB, bool BitFields) {
  TQLDIB result = Convert(DIB, 16, BitFields ? dibBitFields : dibRGB, [](uint8_t* Row, int32_t X, TQLRGB C) {
    uint16_t v = uint16_t((C.R >> 3) << 10 | (C.G >> 3) << 5 | C.B >> 3);
    Row[2 * X] = uint8_t(v);
    Row[2 * X + 1] = uint8_t(v >> 8);
  });
  if (BitFields && !result.empty()) {
    Put32(result.data() + DIBHeaderSize, 0x7C00);
    Put32(result.data() + DIBHeaderSize + 4, 0x03E0);
    Put32(result.data() + DIBHeaderSize + 8, 0x001F);
  }
  return result;
}

// ---- Bitmap files ----------------------------------------------------------
//
//   file header (14): "BM", file size, 0, 0, pixel-data offset
//   info header: size 12 (core: 16-bit width and height, planes, bits),
//                13..40 (the 40-byte layout, missing fields 0), or
//                41..124 (version 4/5: masks at +40, alpha mask at +52)
//   colour table: 3-byte entries after a core header, else 4-byte entries

namespace {

struct TQLBitmapFile {
  int64_t StreamSize = 0;
  uint32_t PixelOffset = 0;
  uint32_t HeaderSize = 0;
  TQLBitmapInfoHeader Info;
  uint32_t Masks[4] = {};  // red, green, blue, alpha of a version 4/5 header
  size_t TableOffset = 0, TableEntry = 4;
};

bool ReadExact(TQLTurboStream& S, void* Buffer, int64_t Count) {
  return Count >= 0 && Count <= 0x7FFFFFFF && S.Read(Buffer, int32_t(Count)) == Count;
}

bool ReadFileHeader(TQLTurboStream& S, TQLBitmapFile& F) {
  uint8_t b[18];
  F.StreamSize = S.GetSize();
  S.Seek(0, 0);
  if (!ReadExact(S, b, 18)) return false;
  if (Get16(b) != 0x4D42 || Get16(b + 6) != 0 || Get16(b + 8) != 0) return false;
  F.PixelOffset = Get32(b + 10);
  F.HeaderSize = Get32(b + 14);
  return true;
}

bool ReadInfoHeader(TQLTurboStream& S, TQLBitmapFile& F) {
  uint32_t h = F.HeaderSize;
  uint8_t b[124] = {};
  Put32(b, 40);
  if (h == 12) {
    uint8_t core[8];
    if (!ReadExact(S, core, 8)) return false;
    Put32(b + 4, Get16(core));
    Put32(b + 8, Get16(core + 2));
    std::memcpy(b + 12, core + 4, 4);
    F.TableOffset = 26;
    F.TableEntry = 3;
  } else if (h >= 13 && h <= 124) {
    if (!ReadExact(S, b + 4, h - 4)) return false;
    F.TableOffset = 14 + h;
  } else {
    return false;
  }
  TQLDIB raw(b, b + 40);
  F.Info = DIBHeader(raw);
  F.Info.Size = 40;
  if (h > 40) {
    // Version 4/5: bit-field images of 16 or 32 bits with their masks.
    if (h < 52 || F.Info.Compression != dibBitFields || (F.Info.BitCount != 16 && F.Info.BitCount != 32)) return false;
    for (int i = 0; i < 4; ++i) F.Masks[i] = h >= 40 + 4u * (i + 1) ? Get32(b + 40 + 4 * i) : 0;
  }
  return true;
}

// Header values against each other and against the stream.
bool Plausible(TQLBitmapFile& F) {
  TQLBitmapInfoHeader& h = F.Info;
  if (!DIBSizeAccepted(h.Width, h.Height, h.BitCount) || !KnownFormat(h)) return false;
  if (F.HeaderSize == 12 && h.Compression != dibRGB) return false;
  h.Planes = 1;
  h.XPelsPerMeter = h.YPelsPerMeter = 0;
  h.ColorsImportant = 0;
  if (h.BitCount > 8) h.ColorsUsed = 0;
  else if (h.ColorsUsed == 0) h.ColorsUsed = 1u << h.BitCount;
  else if (h.ColorsUsed > (1u << h.BitCount)) return false;
  size_t masks = F.HeaderSize <= 40 ? DIBMaskSize(h) : 0;
  uint64_t tableEnd = F.TableOffset + uint64_t(h.ColorsUsed) * F.TableEntry + masks;
  if (tableEnd > F.PixelOffset || F.PixelOffset > F.StreamSize) return false;
  if (h.Compression == dibRLE8 || h.Compression == dibRLE4) {
    if (h.SizeImage == 0) h.SizeImage = uint32_t(F.StreamSize - F.PixelOffset);
  } else {
    h.SizeImage = 0;
  }
  return true;
}

// Colour table and masks of a core or 40-byte-family file.
bool ReadTable(TQLTurboStream& S, const TQLBitmapFile& F, TQLDIB& DIB) {
  S.Seek(int32_t(F.TableOffset), 0);
  uint8_t* table = DIB.data() + DIBHeaderSize;
  size_t masks = F.HeaderSize <= 40 ? DIBMaskSize(F.Info) : 0;
  if (F.TableEntry == 4) return ReadExact(S, table, int64_t(DIBColorTableSize(F.Info) + masks));
  for (uint32_t i = 0; i < F.Info.ColorsUsed; ++i)
    if (!ReadExact(S, table + 4 * i, 3)) return false;
  return true;
}

// Raises ColorsUsed of an uncompressed 1-, 4- or 8-bit image to cover the
// highest index its pixels use; the new entries are black.
TQLDIB CoverUsedColors(TQLDIB DIB) {
  TQLBitmapInfoHeader h = DIBHeader(DIB);
  if (h.Compression != dibRGB || h.BitCount > 8 || h.ColorsUsed >= (1u << h.BitCount)) return DIB;
  TQLPixelReader reader(DIB);
  uint32_t highest = 0;
  for (int32_t y = 0; y < h.Height; ++y)
    for (int32_t x = 0; x < h.Width; ++x) highest = std::max(highest, reader.Index(x, y));
  if (highest < h.ColorsUsed) return DIB;
  TQLBitmapInfoHeader raisedHeader = h;
  raisedHeader.ColorsUsed = highest + 1;
  TQLDIB raised = NewDIB(raisedHeader);
  auto table = DIB.begin() + DIBHeaderSize, pixels = DIB.begin() + ptrdiff_t(DIBPixelOffset(h));
  std::copy(table, pixels, raised.begin() + DIBHeaderSize);
  std::copy(pixels, DIB.end(), raised.begin() + ptrdiff_t(DIBPixelOffset(raisedHeader)));
  return raised;
}

// A version 4/5 bit-field image: expanded to 32-bit (blue, green, red, 0),
// and packed again into 16-bit 5-5-5 for a 16-bit image without alpha mask.
TQLDIB ReadBitFieldImage(TQLTurboStream& S, const TQLBitmapFile& F) {
  TQLBitmapInfoHeader h = F.Info;
  uint64_t sourceRow = DIBRowSize(h.Width, h.BitCount);
  if (F.PixelOffset + sourceRow * uint64_t(h.Height) > uint64_t(F.StreamSize)) return {};
  bool to16 = h.BitCount == 16 && F.Masks[3] == 0;
  TQLBitmapInfoHeader out = h;
  out.Compression = dibRGB;
  out.BitCount = to16 ? 16 : 32;
  out.SizeImage = 0;
  TQLDIB dib = NewDIB(out);
  uint64_t outRow = DIBRowSize(out.Width, out.BitCount);
  std::vector<uint8_t> row(size_t(sourceRow), 0);
  S.Seek(int32_t(F.PixelOffset), 0);
  for (int32_t y = 0; y < h.Height; ++y) {
    if (!ReadExact(S, row.data(), int64_t(sourceRow))) return {};
    uint8_t* target = dib.data() + DIBHeaderSize + uint64_t(y) * outRow;
    for (int32_t x = 0; x < h.Width; ++x) {
      uint32_t p = h.BitCount == 16 ? Get16(&row[2 * size_t(x)]) : Get32(&row[4 * size_t(x)]);
      TQLRGB c{MaskedChannel(p, F.Masks[0]), MaskedChannel(p, F.Masks[1]), MaskedChannel(p, F.Masks[2])};
      if (to16) {
        uint16_t v = uint16_t((c.R >> 3) << 10 | (c.G >> 3) << 5 | c.B >> 3);
        target[2 * x] = uint8_t(v);
        target[2 * x + 1] = uint8_t(v >> 8);
      } else {
        Put32(target + 4 * x, uint32_t(c.B) | uint32_t(c.G) << 8 | uint32_t(c.R) << 16);
      }
    }
  }
  return dib;
}

TQLDIB LoadChecked(TQLTurboStream& S) {
  TQLBitmapFile f;
  if (!ReadFileHeader(S, f) || !ReadInfoHeader(S, f) || !Plausible(f)) return {};
  if (f.HeaderSize > 40) return ReadBitFieldImage(S, f);
  uint64_t image = DIBImageSize(f.Info);
  if (f.PixelOffset + image > uint64_t(f.StreamSize)) return {};
  TQLDIB dib = NewDIB(f.Info);
  if (!ReadTable(S, f, dib)) return {};
  S.Seek(int32_t(f.PixelOffset), 0);
  if (!ReadExact(S, dib.data() + DIBPixelOffset(f.Info), int64_t(image))) return {};
  if (!DIBValid(dib)) return {};  // run-length codes that leave the data or the image
  return CoverUsedColors(std::move(dib));
}

}  // namespace

TQLDIB LoadBitmapFromStream(TQLTurboStream& Stream) {
  try {
    return LoadChecked(Stream);
  } catch (const EQLStreamError&) {
    return {};
  }
}
