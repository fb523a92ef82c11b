#include "archive/QLTurboStream.h"

#include <gtest/gtest.h>

#include "archive/QLMemoryStream.h"

namespace {

// A descendant that overrides nothing: every abstract slot must refuse.
class TBareStream : public TQLTurboStream {};

std::vector<uint8_t> Bytes(TQLMemoryStream& S) { return {S.Memory(), S.Memory() + S.GetSize()}; }

TEST(TurboStream, AbstractSlotsRaiseOverrideError) {
  TBareStream s;
  uint8_t b = 0;
  EXPECT_THROW(s.GetSize(), EQLStreamError);
  EXPECT_THROW(s.ReadBuffer(&b, 1), EQLStreamError);
  EXPECT_THROW(s.Write(&b, 1), EQLStreamError);
  try {
    s.Seek(0, 0);
    FAIL();
  } catch (const EQLStreamError& e) {
    EXPECT_STREQ("override error", e.what());
  }
}

TEST(TurboStream, StringEncoding) {
  TQLMemoryStream s;
  s.WriteString("");
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), Bytes(s));
  s.WriteString("abc");
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}), Bytes(s));
  s.Seek(0, 0);
  EXPECT_EQ("", s.ReadStr());
  EXPECT_EQ("abc", s.ReadStr());
  EXPECT_EQ(s.GetSize(), s.GetPosition());
}

TEST(TurboStream, StringWithZeroByteComesBackCut) {
  TQLMemoryStream s;
  s.WriteString(std::string("ab\0cd", 5));
  s.Seek(0, 0);
  EXPECT_EQ("ab", s.ReadStr());
  EXPECT_EQ(9, s.GetPosition());  // all five bytes consumed
}

TEST(TurboStream, StringListsAppendToTheList) {
  TQLMemoryStream s;
  s.WriteStrings({"one", "", "three"});
  s.Seek(0, 0);
  std::vector<std::string> list{"kept"};
  s.ReadStrings(list);
  EXPECT_EQ((std::vector<std::string>{"kept", "one", "", "three"}), list);
}

TEST(TurboStream, WideStringLines) {
  TQLMemoryStream s;
  s.WriteWideString(u"");
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), Bytes(s));

  TQLMemoryStream two;
  two.WriteWideString(u"A\r\nB");
  EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0, 2, 0, 0, 0, 'A', 0, 2, 0, 0, 0, 'B', 0}), Bytes(two));

  TQLMemoryStream trailing;
  trailing.WriteWideString(u"A\r\n");
  EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0, 2, 0, 0, 0, 'A', 0, 0, 0, 0, 0}), Bytes(trailing));
}

TEST(TurboStream, WideStringRoundTrips) {
  for (std::u16string text : {std::u16string(u""), std::u16string(u"A\r\n"), std::u16string(u"\r\n\r\n"),
                              std::u16string(u"lone\rCR and\nLF\r\n\x65E5\x672C")}) {
    TQLMemoryStream s;
    s.WriteWideString(text);
    s.Seek(0, 0);
    std::u16string back = u"junk";
    s.ReadWideString(back);
    EXPECT_EQ(text, back);
  }
}

TEST(TurboStream, TaggedWritesAndWords) {
  TQLMemoryStream s;
  s.WriteTaggedString(7, "x");
  s.WriteWordTaggedBuffer(0x0102, "yz", 2);
  EXPECT_EQ(2, s.WriteTaggedBuffer(9, "pq", 2));
  EXPECT_EQ((std::vector<uint8_t>{7, 1, 0, 0, 0, 'x', 2, 1, 'y', 'z', 9, 'p', 'q'}), Bytes(s));
}

TEST(TurboStream, PeekLeavesThePosition) {
  TQLMemoryStream s;
  s.WriteString("hello");
  s.Seek(4, 0);
  char buf[3];
  EXPECT_EQ(4, s.Peek(buf, 3));
  EXPECT_EQ(std::string("hel"), std::string(buf, 3));
  EXPECT_EQ(4, s.GetPosition());
}

TEST(TurboStream, SeekTargetOrigins) {
  TQLMemoryStream s;
  s.WriteString("abcdef");  // 10 bytes
  s.Seek(4, 0);
  EXPECT_EQ(7, s.SeekTarget(7, 0));
  EXPECT_EQ(6, s.SeekTarget(2, 1));
  // Origin 2 measures from the end, not from the position.
  EXPECT_EQ(10, s.SeekTarget(0, 2));
  EXPECT_EQ(8, s.SeekTarget(-2, 2));
}

// Lengths and counts the stream cannot hold are refused before anything is
// allocated or read.
TEST(TurboStream, TypedReadersRefuseBadLengths) {
  const std::vector<std::vector<uint8_t>> cases = {
      {0xFF, 0xFF, 0xFF, 0xFF},              // negative string length
      {5, 0, 0, 0, 'a', 'b'},                // longer than what is left
      {0xFF, 0xFF, 0xFF, 0x7F},              // 2 GiB
  };
  for (const auto& bytes : cases) {
    TQLMemoryStream s;
    s.Attach(bytes.data(), int32_t(bytes.size()));
    std::string out;
    EXPECT_THROW(s.ReadString(out), EQLStreamError);
    s.Seek(0, 0);
    std::vector<std::string> list;
    EXPECT_THROW(s.ReadStrings(list), EQLStreamError);
    EXPECT_TRUE(list.empty());
    s.Seek(0, 0);
    std::u16string w;
    EXPECT_THROW(s.ReadWideString(w), EQLStreamError);
  }
  const uint8_t oddLine[] = {1, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 'b'};
  TQLMemoryStream s;
  s.Attach(oddLine, sizeof oddLine);
  std::u16string w;
  EXPECT_THROW(s.ReadWideString(w), EQLStreamError);
}

}  // namespace
