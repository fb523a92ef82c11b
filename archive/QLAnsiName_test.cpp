#include "archive/QLAnsiName.h"

#include <gtest/gtest.h>

namespace {

std::string Ansi(const std::string& Utf8) {
  std::string out = "untouched";
  return Utf8ToAnsiName(Utf8, out) ? out : "refused:" + out;
}

TEST(AnsiName, AsciiAndLatinLettersBecomeOneByteEach) {
  EXPECT_EQ("Data\\README.TXT", Ansi("Data\\README.TXT"));
  EXPECT_EQ("caf\xE9 \xC4pfel.txt", Ansi("caf\xC3\xA9 \xC3\x84pfel.txt"));   // é, Ä
  EXPECT_EQ("\x80 \x9F \x8A", Ansi("\xE2\x82\xAC \xC5\xB8 \xC5\xA0"));      // €, Ÿ, Š
}

TEST(AnsiName, CharactersOutsideTheCodePageAreRefused) {
  EXPECT_EQ("refused:", Ansi("\xCE\xB1.txt"));            // Greek alpha
  EXPECT_EQ("refused:", Ansi("\xE6\x96\x87.txt"));        // CJK
  EXPECT_EQ("refused:", Ansi("\xF0\x9F\x98\x80"));        // outside the basic plane
  EXPECT_EQ("refused:", Ansi("\xC2\x81"));                // U+0081: no character at 0x81
}

TEST(AnsiName, BytesThatAreNotUtf8AreRefused) {
  EXPECT_EQ("refused:", Ansi("caf\xE9"));                 // already 8-bit
  EXPECT_EQ("refused:", Ansi("\xC3"));                    // cut short
  EXPECT_EQ("refused:", Ansi("\xC0\xAE"));                // overlong "."
  EXPECT_EQ("refused:", Ansi("\xA9"));                    // stray continuation byte
}

}  // namespace
