#include "archive/QLColorReduction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

// A 24-bit DIB whose pixel (x, y) has the colour Colour(x, y).
template <typename F>
TQLDIB Picture(int32_t W, int32_t H, F Colour) {
  TQLBitmapInfoHeader h;
  h.Width = W;
  h.Height = H;
  h.BitCount = 24;
  TQLDIB d = NewDIB(h);
  uint64_t row = DIBRowSize(W, 24);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      TQLRGB c = Colour(x, y);
      uint8_t* p = d.data() + 40 + y * row + 3 * x;
      p[0] = c.B, p[1] = c.G, p[2] = c.R;
    }
  return d;
}

TQLRGB Entry(const TQLDIB& D, uint32_t I) { return {D[40 + 4 * I + 2], D[40 + 4 * I + 1], D[40 + 4 * I]}; }

TEST(ColorReduction, FewColoursKeepTheirCells) {
  const TQLRGB colours[] = {{255, 0, 0}, {0, 128, 255}, {40, 40, 40}};
  TQLDIB d = Picture(6, 2, [&](int32_t X, int32_t) { return colours[X % 3]; });
  std::vector<TQLDIB> out = ReduceColors({d});
  ASSERT_EQ(1u, out.size());
  TQLBitmapInfoHeader h = DIBHeader(out[0]);
  EXPECT_EQ(8, h.BitCount);
  EXPECT_EQ(256u, h.ColorsUsed);
  EXPECT_EQ(6, h.Width);
  ASSERT_TRUE(DIBValid(out[0]));
  TQLPixelReader reader(out[0]);
  std::set<uint32_t> used;
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      TQLRGB c = reader.At(x, y), want = colours[x % 3];
      EXPECT_EQ(want.R >> 3 << 3, c.R);
      EXPECT_EQ(want.G >> 3 << 3, c.G);
      EXPECT_EQ(want.B >> 3 << 3, c.B);
      used.insert(reader.Index(x, y));
    }
  EXPECT_EQ(3u, used.size());
  for (uint32_t i = 3; i < 256; ++i) EXPECT_EQ(0, Entry(out[0], i).R + Entry(out[0], i).G + Entry(out[0], i).B);
}

TEST(ColorReduction, ManyColoursStayClose) {
  // 64 × 64 distinct colours over the whole cube.
  TQLDIB d = Picture(64, 64, [](int32_t X, int32_t Y) {
    return TQLRGB{uint8_t(X * 4), uint8_t(Y * 4), uint8_t((X + Y) * 2)};
  });
  std::vector<TQLDIB> out = ReduceColors({d});
  ASSERT_TRUE(DIBValid(out[0]));
  TQLPixelReader reader(out[0]);
  std::set<uint32_t> used;
  int worst = 0;
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) {
      TQLRGB c = reader.At(x, y);
      worst = std::max({worst, std::abs(c.R - x * 4), std::abs(c.G - y * 4), std::abs(c.B - (x + y) * 2)});
      used.insert(reader.Index(x, y));
    }
  EXPECT_GT(used.size(), 200u);
  EXPECT_LT(worst, 48);
}

TEST(ColorReduction, OnePaletteForAllPicturesAndNoneForInvalid) {
  TQLDIB red = Picture(2, 2, [](int32_t, int32_t) { return TQLRGB{255, 0, 0}; });
  TQLDIB blue = Picture(3, 1, [](int32_t, int32_t) { return TQLRGB{0, 0, 255}; });
  std::vector<TQLDIB> out = ReduceColors({red, TQLDIB(12, 0), blue});
  ASSERT_EQ(3u, out.size());
  EXPECT_TRUE(out[1].empty());
  ASSERT_FALSE(out[0].empty());
  ASSERT_FALSE(out[2].empty());
  EXPECT_TRUE(std::equal(out[0].begin() + 40, out[0].begin() + 40 + 1024, out[2].begin() + 40));
  EXPECT_EQ(248, TQLPixelReader(out[0]).At(1, 1).R);
  EXPECT_EQ(248, TQLPixelReader(out[2]).At(2, 0).B);
  EXPECT_TRUE(ReduceColors({}).empty());
}

TEST(ColorReduction, NoneForAPictureWhoseResultPassesTheSizeLimit) {
  // 16,384 x 8,192 at 4 bits is 64 MiB; its 8-bit reduction would be twice that.
  TQLBitmapInfoHeader h;
  h.Width = 16384;
  h.Height = 8192;
  h.BitCount = 4;
  h.Compression = dibRLE4;
  h.SizeImage = 2;
  h.ColorsUsed = 2;
  TQLDIB big = NewDIB(h);
  big[49] = 1;  // end of bitmap
  ASSERT_TRUE(DIBValid(big));
  TQLDIB red = Picture(2, 2, [](int32_t, int32_t) { return TQLRGB{255, 0, 0}; });
  std::vector<TQLDIB> out = ReduceColors({big, red});
  EXPECT_TRUE(out[0].empty());
  EXPECT_FALSE(out[1].empty());
}

}  // namespace
