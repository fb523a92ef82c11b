#include "archive/QLDIBRLE.h"

#include <gtest/gtest.h>

#include "archive/QLColorReduction.h"

namespace {

// Decodes Data for a Width × Height image; rows bottom first as a string of
// hexadecimal pixel values, rows separated by "/".
std::string Decode(const std::vector<uint8_t>& Data, int32_t Width, int32_t Height, unsigned Bits,
                   TQLRLEStatus Expect = TQLRLEStatus::Ended) {
  uint64_t row = DIBRowSize(Width, Bits);
  std::vector<uint8_t> pixels(size_t(row) * size_t(Height), 0);
  EXPECT_EQ(int(Expect), int(DecodeRLE(Data.data(), Data.size(), Width, Height, Bits, pixels.data())));
  std::string s;
  const char* hex = "0123456789ABCDEF";
  for (int32_t y = 0; y < Height; ++y) {
    if (y) s += "/";
    for (int32_t x = 0; x < Width; ++x) {
      uint8_t b = Bits == 8 ? pixels[size_t(y * row) + size_t(x)]
                    : uint8_t(x % 2 ? pixels[size_t(y * row) + size_t(x / 2)] & 15 : pixels[size_t(y * row) + size_t(x / 2)] >> 4);
      if (Bits == 8) {
        s += hex[b >> 4];
      }
      s += hex[b & 15];
    }
  }
  return s;
}

TEST(RLE8, RunsLiteralsMovesAndEnds) {
  // Run of 3, end of line, literal of 3 (padded), move, run, end.
  EXPECT_EQ("070707000000/010203000000/000000000000",
            Decode({3, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}, 6, 3, 8));
  EXPECT_EQ("000000000000/000005050000/000000000000", Decode({0, 2, 2, 1, 2, 5, 0, 1}, 6, 3, 8));
  // An even literal has no padding; a run of the full width.
  EXPECT_EQ("0A0B0C0D/09090909", Decode({0, 4, 10, 11, 12, 13, 0, 0, 4, 9, 0, 1}, 4, 2, 8));
  // The end of the bitmap before the last row leaves the rest 0.
  EXPECT_EQ("0101/0000/0000", Decode({2, 1, 0, 1}, 2, 3, 8));
}

TEST(RLE8, CodesThatDoNotFit) {
  // Data ends inside a code, a literal or a move, or without the end code.
  Decode({2, 1, 0}, 2, 1, 8, TQLRLEStatus::DataEnded);
  Decode({0, 3, 1, 2}, 4, 1, 8, TQLRLEStatus::DataEnded);
  Decode({0, 3, 1, 2, 3}, 4, 1, 8, TQLRLEStatus::DataEnded);  // the padding byte is missing
  Decode({0, 2, 1}, 4, 2, 8, TQLRLEStatus::DataEnded);
  Decode({2, 1, 0, 0}, 2, 1, 8, TQLRLEStatus::DataEnded);
  Decode({}, 2, 1, 8, TQLRLEStatus::DataEnded);
  // Writing or moving outside the image ends the decoding there.
  EXPECT_EQ("0505/0000", Decode({2, 5, 1, 6, 0, 1}, 2, 2, 8, TQLRLEStatus::OutOfBounds));
  EXPECT_EQ("0707/0000", Decode({2, 7, 0, 3, 1, 2, 3, 0, 0, 1}, 2, 2, 8, TQLRLEStatus::OutOfBounds));
  Decode({0, 2, 3, 0, 0, 1}, 2, 2, 8, TQLRLEStatus::OutOfBounds);
  Decode({0, 2, 0, 2, 0, 1}, 2, 2, 8, TQLRLEStatus::OutOfBounds);
  EXPECT_EQ("0303/0404", Decode({2, 3, 0, 0, 2, 4, 0, 0, 1, 9, 0, 1}, 2, 2, 8, TQLRLEStatus::OutOfBounds));
  // Moving to the end of a row is allowed; writing there is not.
  Decode({0, 2, 2, 0, 0, 1}, 2, 1, 8);
  Decode({0, 2, 2, 0, 1, 1, 0, 1}, 2, 1, 8, TQLRLEStatus::OutOfBounds);
}

TEST(RLE4, RunsAlternateNibblesAndLiteralsPadToWords) {
  EXPECT_EQ("12121/00000", Decode({5, 0x12, 0, 1}, 5, 2, 4));
  // Literal of 5 nibbles takes 3 bytes, padded to 4.
  EXPECT_EQ("ABCDE/00000", Decode({0, 5, 0xAB, 0xCD, 0xE0, 0, 0, 1}, 5, 2, 4));
  // Literal of 3 nibbles takes 2 bytes, no padding; then a move and a run.
  EXPECT_EQ("34500/00077", Decode({0, 3, 0x34, 0x50, 0, 2, 0, 1, 2, 0x77, 0, 1}, 5, 2, 4));
  Decode({6, 0x12, 0, 1}, 5, 1, 4, TQLRLEStatus::OutOfBounds);
  Decode({0, 5, 0xAB, 0xCD, 0xE0}, 5, 1, 4, TQLRLEStatus::DataEnded);
}

TEST(RLEExpand, GivesAnUncompressedDIBWithTheSameTable) {
  std::vector<uint8_t> data = {0, 3, 0x12, 0x30, 0, 0, 2, 0x45, 0, 1};
  TQLBitmapInfoHeader h;
  h.Width = 3;
  h.Height = 2;
  h.BitCount = 4;
  h.Compression = dibRLE4;
  h.SizeImage = uint32_t(data.size());
  h.ColorsUsed = 2;
  TQLDIB rle = NewDIB(h);
  rle[40] = 0x11;
  rle[47] = 0x22;
  std::copy(data.begin(), data.end(), rle.begin() + 48);
  TQLDIB out = ExpandRLE(rle);
  ASSERT_FALSE(out.empty());
  TQLBitmapInfoHeader o = DIBHeader(out);
  EXPECT_EQ(0u, o.Compression);
  EXPECT_EQ(0u, o.SizeImage);
  EXPECT_EQ(2u, o.ColorsUsed);
  EXPECT_EQ((std::vector<uint8_t>{0x11, 0, 0, 0, 0, 0, 0, 0x22, 0x12, 0x30, 0, 0, 0x45, 0x00, 0, 0}),
            std::vector<uint8_t>(out.begin() + 40, out.end()));
  // A run that leaves the image keeps what was decoded before it.
  std::copy_n(std::vector<uint8_t>{4, 0x66}.begin(), 2, rle.begin() + 52);
  out = ExpandRLE(rle);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(0u, out[52]);
  EXPECT_EQ(0x12, out[48]);
  // Data that ends early discards the result.
  h.SizeImage = 4;
  TQLDIB cut = NewDIB(h);
  std::copy_n(data.begin(), 4, cut.begin() + 48);
  EXPECT_TRUE(ExpandRLE(cut).empty());
  EXPECT_TRUE(ExpandRLE(TQLDIB(10, 0)).empty());
}

// The conversions and the colour reduction take run-length pictures as
// they are (untouched pixels colour 0, the codes' pixels over them), with
// the same result as from the expanded picture.
TEST(RLEExpand, ConversionsOfRunLengthDataEqualThoseOfItsExpansion) {
  for (unsigned bits : {8u, 4u}) {
    SCOPED_TRACE(bits);
    // A run, a literal, a move up and right past untouched pixels, a run.
    const std::vector<uint8_t> data =
        bits == 8 ? std::vector<uint8_t>{3, 2, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1}
                  : std::vector<uint8_t>{3, 0x21, 0, 3, 0x12, 0x30, 0, 0, 0, 2, 2, 1, 2, 0x33, 0, 1};
    TQLBitmapInfoHeader h;
    h.Width = 7;
    h.Height = 3;
    h.BitCount = uint16_t(bits);
    h.Compression = bits == 8 ? dibRLE8 : dibRLE4;
    h.SizeImage = uint32_t(data.size());
    h.ColorsUsed = 4;
    TQLDIB rle = NewDIB(h);
    for (int i = 0; i < 4; ++i) rle[40 + 4 * size_t(i) + 2] = uint8_t(40 + 70 * i);  // red of each colour
    rle[40] = 9;  // blue of colour 0
    std::copy(data.begin(), data.end(), rle.begin() + 56);
    ASSERT_TRUE(DIBValid(rle));
    const TQLDIB expanded = ExpandRLE(rle);
    ASSERT_FALSE(expanded.empty());
    EXPECT_EQ(ConvertDIBTo24(expanded), ConvertDIBTo24(rle));
    EXPECT_EQ(ConvertDIBTo16(expanded, true), ConvertDIBTo16(rle, true));
    EXPECT_EQ(ReduceColors({expanded}), ReduceColors({rle}));
    EXPECT_EQ(250, TQLPixelReader(ConvertDIBTo24(rle)).At(3, 2).R);  // the last run, colour 3
    EXPECT_EQ(40, TQLPixelReader(ConvertDIBTo24(rle)).At(4, 2).R);   // untouched, colour 0
  }
}

}  // namespace
