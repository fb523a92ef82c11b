#include "archive/QLRESOURCE.h"

#include <gtest/gtest.h>

#include "archive/QLCatFormat.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Trailer(int32_t Payload, int32_t Extra, const uint8_t* Signature) {
  std::string t;
  for (int32_t v : {Payload, Extra})
    for (int i = 0; i < 4; ++i) t += char(uint32_t(v) >> (8 * i));
  t.append(reinterpret_cast<const char*>(Signature), kSignatureSize);
  return t;
}

TEST(ResourceTrailer, ReadsBothSignatures) {
  TTempFolder dir;
  for (const uint8_t* sig : {TrailerSignature, TrailerTextSignature}) {
    std::string file = std::string(2000, 'p') + Trailer(1000, 77, sig);
    WriteTextFile(dir / "setup.dat", file);
    int32_t size = 0, start = 0, extra = 0;
    ASSERT_TRUE(ReadResourceTrailer(dir / "setup.dat", size, start, extra));
    EXPECT_EQ(1000, size);
    EXPECT_EQ(int32_t(file.size()) - 1040, start);
    EXPECT_EQ(77, extra);
  }
}

TEST(ResourceTrailer, FilesWithoutTrailer) {
  TTempFolder dir;
  int32_t size = 5, start = 5, extra = 5;
  EXPECT_FALSE(ReadResourceTrailer(dir / "missing.dat", size, start, extra));
  EXPECT_EQ(0, size + start + extra);

  WriteTextFile(dir / "short.dat", Trailer(0, 0, TrailerSignature).substr(1));
  EXPECT_FALSE(ReadResourceTrailer(dir / "short.dat", size, start, extra));

  WriteTextFile(dir / "plain.dat", std::string(100, 'x'));
  EXPECT_FALSE(ReadResourceTrailer(dir / "plain.dat", size, start, extra));

  // A payload said to be larger than the file, or negative.
  for (int32_t bad : {61, -1}) {
    WriteTextFile(dir / "bad.dat", std::string(20, 'x') + Trailer(bad, 0, TrailerSignature));
    EXPECT_FALSE(ReadResourceTrailer(dir / "bad.dat", size, start, extra)) << bad;
    EXPECT_EQ(0, size + start + extra);
  }
  WriteTextFile(dir / "exact.dat", std::string(20, 'x') + Trailer(20, 0, TrailerSignature));
  EXPECT_TRUE(ReadResourceTrailer(dir / "exact.dat", size, start, extra));
  EXPECT_EQ(0, start);
}

}  // namespace
