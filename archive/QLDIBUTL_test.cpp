#include "archive/QLDIBUTL.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "archive/QLDIBRLE.h"
#include "archive/QLMemoryStream.h"

namespace {

void Put16(std::vector<uint8_t>& B, uint32_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}
void Put32(std::vector<uint8_t>& B, uint32_t V) {
  Put16(B, V & 0xFFFF);
  Put16(B, V >> 16);
}

// A bitmap file: file header, Header (its size field first), Table, Pixels.
std::vector<uint8_t> BitmapFile(const std::vector<uint8_t>& Header, const std::vector<uint8_t>& Table,
                                const std::vector<uint8_t>& Pixels) {
  std::vector<uint8_t> f = {'B', 'M'};
  uint32_t offset = uint32_t(14 + Header.size() + Table.size());
  Put32(f, uint32_t(offset + Pixels.size()));
  Put32(f, 0);
  Put32(f, offset);
  f.insert(f.end(), Header.begin(), Header.end());
  f.insert(f.end(), Table.begin(), Table.end());
  f.insert(f.end(), Pixels.begin(), Pixels.end());
  return f;
}

std::vector<uint8_t> InfoHeader(int32_t W, int32_t H, uint16_t Bits, uint32_t Compression = 0, uint32_t Used = 0,
                                uint32_t SizeImage = 0, uint32_t Size = 40) {
  std::vector<uint8_t> h;
  Put32(h, Size);
  Put32(h, uint32_t(W));
  Put32(h, uint32_t(H));
  Put16(h, 1);
  Put16(h, Bits);
  Put32(h, Compression);
  Put32(h, SizeImage);
  Put32(h, 2835);
  Put32(h, 2835);
  Put32(h, Used);
  Put32(h, 7);
  h.resize(Size < 40 ? Size : 40);
  return h;
}

// Version 4/5 header of Size bytes with the given masks.
std::vector<uint8_t> V5Header(int32_t W, int32_t H, uint16_t Bits, uint32_t Compression, uint32_t R, uint32_t G,
                              uint32_t B, uint32_t A, uint32_t Size = 124) {
  std::vector<uint8_t> h = InfoHeader(W, H, Bits, Compression, 0, 0, Size);
  Put32(h, R);
  Put32(h, G);
  Put32(h, B);
  Put32(h, A);
  h.resize(Size, 0);
  return h;
}

TQLDIB Load(const std::vector<uint8_t>& File) {
  TQLMemoryStream s;
  s.Attach(File.data(), int32_t(File.size()));
  if (File.size() > 5) s.Seek(5, 0);  // the loader starts from the beginning by itself
  return LoadBitmapFromStream(s);
}

std::vector<uint8_t> Palette(int Count, int Entry) {
  std::vector<uint8_t> t;
  for (int i = 0; i < Count; ++i) {
    t.push_back(uint8_t(i * 16));      // blue
    t.push_back(uint8_t(255 - i));     // green
    t.push_back(uint8_t(i * 3 + 1));   // red
    if (Entry == 4) t.push_back(0);
  }
  return t;
}

std::vector<uint8_t> Pixels(const TQLDIB& D) {
  TQLBitmapInfoHeader h = DIBHeader(D);
  return {D.begin() + ptrdiff_t(DIBPixelOffset(h)), D.end()};
}

TEST(DIBLoader, CoreHeaderEqualsItsFortyByteTwin) {
  std::vector<uint8_t> pixels = {0x01, 0x23, 0x40, 0x00, 0xFE, 0xDC, 0xB0, 0x00};  // 5 x 2, 4 bits
  std::vector<uint8_t> core;
  Put32(core, 12);
  Put16(core, 5);
  Put16(core, 2);
  Put16(core, 1);
  Put16(core, 4);
  TQLDIB fromCore = Load(BitmapFile(core, Palette(16, 3), pixels));
  TQLDIB fromInfo = Load(BitmapFile(InfoHeader(5, 2, 4), Palette(16, 4), pixels));
  ASSERT_FALSE(fromCore.empty());
  EXPECT_EQ(fromInfo, fromCore);
  TQLBitmapInfoHeader h = DIBHeader(fromCore);
  EXPECT_EQ(40u, h.Size);
  EXPECT_EQ(5, h.Width);
  EXPECT_EQ(16u, h.ColorsUsed);
  EXPECT_EQ(0u, h.SizeImage);
  EXPECT_EQ(0, h.XPelsPerMeter);
  EXPECT_EQ(0u, h.ColorsImportant);
  EXPECT_EQ(40u + 64u + 8u, fromCore.size());
  EXPECT_EQ(pixels, Pixels(fromCore));
  TQLRGB c = TQLPixelReader(fromCore).At(2, 1);  // index 0xD
  EXPECT_EQ(13 * 3 + 1, c.R);
  EXPECT_EQ(255 - 13, c.G);
  EXPECT_EQ(13 * 16, c.B);
}

TEST(DIBLoader, ColorsUsedRules) {
  // 8 bits and no count: the full 256-entry table.
  TQLDIB d = Load(BitmapFile(InfoHeader(3, 1, 8), Palette(256, 4), {1, 2, 255, 0}));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(256u, DIBHeader(d).ColorsUsed);
  // A 1-bit image with one colour whose pixels use index 1: two entries, the second black.
  d = Load(BitmapFile(InfoHeader(8, 1, 1, 0, 1), {9, 8, 7, 0}, {0x40, 0, 0, 0}));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(2u, DIBHeader(d).ColorsUsed);
  EXPECT_EQ((std::vector<uint8_t>{9, 8, 7, 0, 0, 0, 0, 0}), std::vector<uint8_t>(d.begin() + 40, d.begin() + 48));
  EXPECT_EQ((std::vector<uint8_t>{0x40, 0, 0, 0}), Pixels(d));
  // ... and stays at one colour when only index 0 is used (padding bits do not count).
  d = Load(BitmapFile(InfoHeader(7, 1, 1, 0, 1), {9, 8, 7, 0}, {0x01, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(1u, DIBHeader(d).ColorsUsed);
  // A 4-bit image with 3 colours using index 9: ten entries.
  d = Load(BitmapFile(InfoHeader(2, 1, 4, 0, 3), Palette(3, 4), {0x29, 0, 0, 0}));
  EXPECT_EQ(10u, DIBHeader(d).ColorsUsed);
  // More than eight bits: no colour table, whatever the header says.
  d = Load(BitmapFile(InfoHeader(1, 1, 24, 0, 2), Palette(2, 4), {1, 2, 3, 0}));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(0u, DIBHeader(d).ColorsUsed);
  EXPECT_EQ(44u, d.size());
  // More colours than the bit count allows: refused.
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(1, 1, 1, 0, 3), Palette(3, 4), {0, 0, 0, 0})).empty());
}

TEST(DIBLoader, ShortHeadersLeaveMissingFieldsZero) {
  // A 16-byte header: size, width, height, planes and bits only.
  std::vector<uint8_t> h = InfoHeader(2, 1, 8, 0, 0, 0, 16);
  TQLDIB d = Load(BitmapFile(h, Palette(256, 4), {5, 6, 0, 0}));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(256u, DIBHeader(d).ColorsUsed);
  EXPECT_EQ((std::vector<uint8_t>{5, 6, 0, 0}), Pixels(d));
}

TEST(DIBLoader, BitFieldHeadersOf16And32Bits) {
  // 16 bits, 5-6-5 masks, no alpha mask: packed again as 5-5-5.
  std::vector<uint8_t> px;
  Put16(px, 0xF800);  // red
  Put16(px, 0x07E0);  // green
  Put16(px, 0x001F);  // blue
  Put16(px, 0x0000);  // padding
  TQLDIB d = Load(BitmapFile(V5Header(3, 1, 16, 3, 0xF800, 0x07E0, 0x001F, 0, 108), {}, px));
  ASSERT_FALSE(d.empty());
  TQLBitmapInfoHeader h = DIBHeader(d);
  EXPECT_EQ(16, h.BitCount);
  EXPECT_EQ(0u, h.Compression);
  EXPECT_EQ(0u, h.ColorsUsed);
  std::vector<uint8_t> expect;
  Put16(expect, 0x7C00);
  Put16(expect, 0x03E0);
  Put16(expect, 0x001F);
  Put16(expect, 0);
  EXPECT_EQ(expect, Pixels(d));
  // With an alpha mask the result stays 32-bit (blue, green, red, 0).
  d = Load(BitmapFile(V5Header(3, 1, 16, 3, 0x0F00, 0x00F0, 0x000F, 0xF000), {}, {0x0F, 0xFF, 0x10, 0xF0, 0x00, 0x08, 0, 0}));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(32, DIBHeader(d).BitCount);
  EXPECT_EQ((std::vector<uint8_t>{255, 0, 255, 0, 0, 17, 0, 0, 0, 0, 136, 0}), Pixels(d));
  // 32 bits with masks in an unusual order.
  px.clear();
  Put32(px, 0x000000FF);
  Put32(px, 0x00FF8000);
  d = Load(BitmapFile(V5Header(2, 1, 32, 3, 0x000000FF, 0x0000FF00, 0x00FF0000, 0), {}, px));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(32, DIBHeader(d).BitCount);
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 0, 255, 128, 0, 0}), Pixels(d));
  // A version 5 header with 24 bits, or without bit fields, is refused.
  EXPECT_TRUE(Load(BitmapFile(V5Header(1, 1, 24, 0, 0, 0, 0, 0), {}, {1, 2, 3, 0})).empty());
  EXPECT_TRUE(Load(BitmapFile(V5Header(1, 1, 16, 0, 0, 0, 0, 0), {}, {1, 2, 3, 0})).empty());
  EXPECT_TRUE(Load(BitmapFile(V5Header(1, 1, 16, 3, 0x7C00, 0x3E0, 0x1F, 0, 48), {}, {1, 2, 3, 0})).empty());
}

TEST(DIBLoader, FortyByteBitFieldsKeepTheirMasks) {
  std::vector<uint8_t> masks;
  Put32(masks, 0xF800);
  Put32(masks, 0x07E0);
  Put32(masks, 0x001F);
  TQLDIB d = Load(BitmapFile(InfoHeader(1, 1, 16, 3), masks, {0x1F, 0x00, 0, 0}));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(3u, DIBHeader(d).Compression);
  EXPECT_EQ(40u + 12u + 4u, d.size());
  TQLRGB c = TQLPixelReader(d).At(0, 0);
  EXPECT_EQ(0, c.R);
  EXPECT_EQ(255, c.B);
}

TEST(DIBLoader, MalformedFilesAreRefused) {
  const std::vector<uint8_t> good = BitmapFile(InfoHeader(3, 2, 8, 0, 2), Palette(2, 4), {0, 1, 1, 0, 1, 0, 0, 0});
  ASSERT_FALSE(Load(good).empty());
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_TRUE(Load(std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n))).empty()) << n;
  auto changed = [&](size_t At, uint8_t V) {
    std::vector<uint8_t> f = good;
    f[At] = V;
    return Load(f);
  };
  EXPECT_TRUE(changed(0, 'X').empty());        // signature
  EXPECT_TRUE(changed(6, 1).empty());          // reserved words
  EXPECT_TRUE(changed(8, 1).empty());
  EXPECT_TRUE(changed(10, 0x20).empty());      // pixel offset inside the table
  EXPECT_TRUE(changed(10, 0x90).empty());      // pixel offset past the end
  EXPECT_TRUE(changed(14, 11).empty());        // header sizes 11 and 125
  EXPECT_TRUE(changed(14, 125).empty());
  EXPECT_TRUE(changed(18, 0).empty());         // width 0
  EXPECT_TRUE(changed(25, 0xFF).empty());      // negative height
  EXPECT_TRUE(changed(28, 7).empty());         // 7 bits per pixel
  EXPECT_TRUE(changed(30, 4).empty());         // compression 4
  EXPECT_TRUE(changed(30, 2).empty());         // RLE4 with 8 bits
  EXPECT_TRUE(changed(46, 0x40).empty());      // colour table past the pixels
  // Width × height beyond any image: refused before anything is allocated.
  std::vector<uint8_t> huge = BitmapFile(InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 32), {}, {1, 2, 3, 4});
  EXPECT_TRUE(Load(huge).empty());
  huge = BitmapFile(InfoHeader(0x10000, 0x10000, 8, 1, 0, 2), Palette(256, 4), {0, 1});
  EXPECT_TRUE(Load(huge).empty());
}

TEST(DIBLoader, PicturesBeyondTheSizeLimitAreRefused) {
  // Run-length files declare any size in a few bytes: up to 64 MiB decoded
  // they load, whatever their width or height; beyond that they are refused.
  const std::vector<uint8_t> end = {0, 1};
  auto rle8 = [&](int32_t W, int32_t H) { return Load(BitmapFile(InfoHeader(W, H, 8, 1, 2), Palette(2, 4), end)); };
  TQLDIB edge = rle8(8192, 8192);
  ASSERT_FALSE(edge.empty());
  EXPECT_FALSE(rle8(16384, 4).empty());
  EXPECT_FALSE(rle8(16385, 1).empty());
  EXPECT_FALSE(rle8(64 << 20, 1).empty());
  EXPECT_TRUE(rle8((64 << 20) + 1, 1).empty());
  EXPECT_FALSE(rle8(4, 16 << 20).empty());
  EXPECT_TRUE(rle8(4, (16 << 20) + 1).empty());
  EXPECT_TRUE(rle8(8192, 8193).empty());
  EXPECT_TRUE(rle8(46340, 46340).empty());
  EXPECT_TRUE(rle8(83886086, 4).empty());
  EXPECT_FALSE(Load(BitmapFile(InfoHeader(4, 16449539, 4, 2, 2), Palette(2, 4), end)).empty());
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(4, (16 << 20) + 1, 4, 2, 2), Palette(2, 4), end)).empty());
  // A conversion whose result would pass the limit makes none.
  EXPECT_TRUE(ConvertDIBTo24(edge).empty());
  EXPECT_FALSE(ConvertDIBTo24(rle8(16384, 4)).empty());
}

// The core header's width and height are unsigned 16-bit values: every
// such picture within the decoded-size limit loads and converts.
TEST(DIBLoader, WideCoreHeaderPicturesLoad) {
  auto core = [](uint16_t W, uint16_t H, uint16_t Bits) {
    std::vector<uint8_t> h;
    Put32(h, 12);
    Put16(h, W);
    Put16(h, H);
    Put16(h, 1);
    Put16(h, Bits);
    return h;
  };
  // 1 bit, 40,000 pixels wide (5,000 bytes a row): its last pixel set.
  std::vector<uint8_t> rows(2 * 5000, 0);
  rows[5000 + 4999] = 0x01;
  TQLDIB wide = Load(BitmapFile(core(40000, 2, 1), Palette(2, 3), rows));
  ASSERT_FALSE(wide.empty());
  EXPECT_EQ(40000, DIBHeader(wide).Width);
  TQLDIB wide24 = ConvertDIBTo24(wide);
  ASSERT_FALSE(wide24.empty());
  EXPECT_EQ(4, TQLPixelReader(wide24).At(39999, 1).R);  // colour 1
  EXPECT_EQ(1, TQLPixelReader(wide24).At(39998, 1).R);  // colour 0
  // 8 bits, 65,535 by 2 and 2 by 65,535.
  EXPECT_FALSE(Load(BitmapFile(core(65535, 2, 8), Palette(256, 3), std::vector<uint8_t>(2 * 65536))).empty());
  EXPECT_FALSE(Load(BitmapFile(core(2, 65535, 8), Palette(256, 3), std::vector<uint8_t>(4 * 65535))).empty());
  // 65,535 a side at 8 bits is 4 GiB decoded: refused.
  EXPECT_TRUE(Load(BitmapFile(core(65535, 65535, 8), Palette(256, 3), {})).empty());
}

TEST(DIBLoader, RunLengthDataIsCheckedAndKeptAsStored) {
  const std::vector<uint8_t> rle = {3, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};  // 3 x 2
  TQLDIB d = Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, uint32_t(rle.size())), Palette(8, 4), rle));
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(rle.size(), DIBHeader(d).SizeImage);
  EXPECT_EQ(rle, Pixels(d));
  // Image size 0: the data up to the end of the file.
  d = Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, 0), Palette(8, 4), rle));
  EXPECT_EQ(rle.size(), DIBHeader(d).SizeImage);
  // A stated image size beyond the file, data that ends without the end code,
  // and runs or moves that leave the image are refused.
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, 13), Palette(8, 4), rle)).empty());
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, 10), Palette(8, 4), rle)).empty());
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, 0), Palette(8, 4), {4, 7, 0, 1})).empty());
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, 0), Palette(8, 4), {0, 2, 0, 2, 0, 1})).empty());
  EXPECT_TRUE(Load(BitmapFile(InfoHeader(3, 2, 8, 1, 8, 0), Palette(8, 4), {0, 5, 1, 2, 3, 4, 5, 0, 0, 1})).empty());
}

TEST(DIBConversions, To24AndTo16) {
  // 4-bit through the colour table.
  TQLDIB d = Load(BitmapFile(InfoHeader(3, 1, 4), Palette(16, 4), {0x1F, 0x20, 0, 0}));
  TQLDIB rgb = ConvertDIBTo24(d);
  ASSERT_FALSE(rgb.empty());
  TQLBitmapInfoHeader h = DIBHeader(rgb);
  EXPECT_EQ(24, h.BitCount);
  EXPECT_EQ(0u, h.ColorsUsed);
  EXPECT_EQ((std::vector<uint8_t>{16, 254, 4, 240, 240, 46, 32, 253, 7, 0, 0, 0}), Pixels(rgb));
  // 24 to 16-bit 5-5-5, plain and as bit fields, and back.
  TQLDIB plain = ConvertDIBTo16(rgb, false), fields = ConvertDIBTo16(rgb, true);
  ASSERT_FALSE(plain.empty());
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(0u, DIBHeader(plain).Compression);
  EXPECT_EQ(3u, DIBHeader(fields).Compression);
  EXPECT_EQ((std::vector<uint8_t>{0x00, 0x7C, 0, 0, 0xE0, 0x03, 0, 0, 0x1F, 0, 0, 0}),
            std::vector<uint8_t>(fields.begin() + 40, fields.begin() + 52));
  std::vector<uint8_t> px = Pixels(plain);
  EXPECT_EQ(px, Pixels(fields));
  EXPECT_EQ(uint16_t((4 >> 3) << 10 | (254 >> 3) << 5 | (16 >> 3)), uint16_t(px[0] | px[1] << 8));
  TQLDIB back = ConvertDIBTo24(fields);
  ASSERT_FALSE(back.empty());
  EXPECT_EQ(255 * (254 >> 3) / 31, Pixels(back)[1]);
  // White stays white through 5-5-5.
  TQLDIB white = Load(BitmapFile(InfoHeader(1, 1, 24), {}, {255, 255, 255, 0}));
  EXPECT_EQ((std::vector<uint8_t>{255, 255, 255, 0}), Pixels(ConvertDIBTo24(ConvertDIBTo16(white, false))));
  // 32-bit uncompressed.
  TQLDIB wide = Load(BitmapFile(InfoHeader(1, 1, 32), {}, {1, 2, 3, 99}));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 0}), Pixels(ConvertDIBTo24(wide)));
  // Run-length data is expanded first.
  TQLDIB rle = Load(BitmapFile(InfoHeader(2, 1, 8, 1, 4, 0), Palette(4, 4), {2, 3, 0, 1}));
  EXPECT_EQ((std::vector<uint8_t>{48, 252, 10, 48, 252, 10, 0, 0}), Pixels(ConvertDIBTo24(rle)));
  EXPECT_TRUE(ConvertDIBTo24(TQLDIB()).empty());
  EXPECT_TRUE(ConvertDIBTo24(TQLDIB(39, 0)).empty());
}

TEST(DIBLoader, BackgroundPicture) {
  std::ifstream in(QL_RESOURCES_DIR "/background.bmp", std::ios::binary);
  ASSERT_TRUE(in) << QL_RESOURCES_DIR;
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TQLDIB d = Load(file);
  ASSERT_FALSE(d.empty());
  TQLBitmapInfoHeader h = DIBHeader(d);
  EXPECT_EQ(531, h.Width);
  EXPECT_EQ(250, h.Height);
  EXPECT_EQ(8, h.BitCount);
  EXPECT_EQ(1u, h.Compression);
  EXPECT_EQ(256u, h.ColorsUsed);
  uint32_t stored = file[34] | file[35] << 8 | file[36] << 16 | uint32_t(file[37]) << 24;
  EXPECT_EQ(stored, h.SizeImage);
  EXPECT_EQ(file.size() - 14 - 40 - 1024, h.SizeImage);
  EXPECT_EQ(40u + 1024u + stored, d.size());
  TQLDIB rgb = ConvertDIBTo24(d);
  ASSERT_FALSE(rgb.empty());
  TQLPixelReader top(rgb);
  TQLRGB corner = top.At(0, 249);  // top-left: the light end of the gradient
  EXPECT_EQ(232, corner.R);
  EXPECT_EQ(250, corner.B);
}

}  // namespace
