#include "archive/QLMemoryStream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string SeekError(TQLMemoryStream& S, int32_t Offset, int32_t Origin) {
  try {
    S.Seek(Offset, Origin);
  } catch (const EQLStreamError& e) {
    return e.what();
  }
  return "no error";
}

TEST(MemoryStream, AttachedBlockBounds) {
  uint8_t block[48] = {};
  TQLMemoryStream s;
  s.Attach(block, 48);
  EXPECT_EQ(48, s.GetSize());
  EXPECT_EQ(48, s.Seek(48, 0));
  EXPECT_EQ("SEEK ERROR:00000031 00000030", SeekError(s, 49, 0));
  EXPECT_EQ(48, s.GetPosition());  // unchanged by the refused seek
  EXPECT_EQ("SEEK ERROR:FFFFFFFF 00000030", SeekError(s, -1, 0));
  uint8_t b;
  EXPECT_THROW(s.ReadByte(b), EQLStreamError);
  s.Seek(40, 0);
  uint8_t buf[16];
  EXPECT_THROW(s.ReadBuffer(buf, 9), EQLStreamError);
  EXPECT_EQ(40, s.GetPosition());
  EXPECT_THROW(s.ReadBuffer(buf, -1), EQLStreamError);
}

TEST(MemoryStream, AttachedBlockIsNeverWrittenPastOrReleased) {
  std::vector<uint8_t> block(16, 0xAA);
  {
    TQLMemoryStream s;
    s.Attach(block.data(), 16);
    s.Seek(12, 0);
    EXPECT_THROW(s.Write("12345", 5), EQLStreamError);
    s.Seek(16, 0);
    EXPECT_THROW(s.WriteByte(1), EQLStreamError);
    s.SetSize(4);  // ignored on a borrowed block
    EXPECT_EQ(16, s.GetSize());
    s.Clear();
    EXPECT_EQ(nullptr, s.Memory());
    EXPECT_FALSE(s.Attached());
    s.Attach(block.data(), 16);
  }
  EXPECT_EQ(std::vector<uint8_t>(16, 0xAA), block);
}

TEST(MemoryStream, GrowthInEightKiBSteps) {
  TQLMemoryStream small;
  small.Write("0123456789", 10);
  EXPECT_EQ(10, small.GetSize());
  EXPECT_EQ(10, small.GetPosition());
  EXPECT_EQ(8192, small.Capacity());

  std::vector<uint8_t> piece(8192, 1);
  TQLMemoryStream block;
  block.Write(piece.data(), 8192);
  EXPECT_EQ(8192, block.GetSize());
  EXPECT_EQ(16384, block.Capacity());

  TQLMemoryStream bytes;
  for (int i = 0; i < 8192; ++i) bytes.WriteByte(uint8_t(i));
  EXPECT_EQ(8192, bytes.Capacity());
  bytes.WriteByte(0);
  EXPECT_EQ(16384, bytes.Capacity());
  EXPECT_EQ(8193, bytes.GetSize());
}

TEST(MemoryStream, SetSizeZeroFillsAndReleases) {
  TQLMemoryStream s;
  s.SetSize(100);
  EXPECT_EQ(100, s.GetSize());
  EXPECT_EQ(8192, s.Capacity());
  std::vector<uint8_t> data(100, 0xFF);
  s.ReadBuffer(data.data(), 100);
  EXPECT_EQ(std::vector<uint8_t>(100, 0), data);
  s.SetSize(-5);
  EXPECT_EQ(0, s.GetSize());
  EXPECT_EQ(0, s.Capacity());
  EXPECT_EQ(nullptr, s.Memory());
}

TEST(MemoryStream, GrowingKeepsContentAndZeroesTheRest) {
  TQLMemoryStream s;
  s.Write("abc", 3);
  s.SetSize(9000);
  EXPECT_EQ(0, std::memcmp(s.Memory(), "abc", 3));
  for (int i = 3; i < 9000; ++i) ASSERT_EQ(0, s.Memory()[i]) << i;
  s.SetSize(2);
  EXPECT_EQ(8192, s.Capacity());
  EXPECT_EQ(0, std::memcmp(s.Memory(), "ab", 2));
}

TEST(MemoryStream, SeekOrigins) {
  TQLMemoryStream s;
  s.Write("0123456789", 10);
  EXPECT_EQ(6, s.Seek(-4, 1));
  EXPECT_EQ(10, s.Seek(0, 2));
  s.Seek(3, 0);
  EXPECT_EQ(8, s.Seek(-2, 2));
}

TEST(MemoryStream, WriteInTheMiddleKeepsTheSize) {
  TQLMemoryStream s;
  s.Write("0123456789", 10);
  s.Seek(2, 0);
  s.Write("ab", 2);
  EXPECT_EQ(10, s.GetSize());
  EXPECT_EQ(0, std::memcmp(s.Memory(), "01ab456789", 10));
}

}  // namespace
