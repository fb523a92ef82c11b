#include "archive/QLNumberText.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberText, HexadecimalIsUpperCaseAndZeroPadded) {
  EXPECT_EQ("00", HexText(0, 2));
  EXPECT_EQ(".FFF", "." + HexText(0xFFF, 3));
  EXPECT_EQ("App0000002A", "App" + HexText(42, 8));
  EXPECT_EQ("FFFFFFFF", HexText(0xFFFFFFFFu, 8));
  EXPECT_EQ("1234", HexText(0x1234, 2));  // never cut
}

TEST(NumberText, DecimalPadsWithZerosOrBlanks) {
  EXPECT_EQ("2026", DecimalText(2026, 4));
  EXPECT_EQ("0007", DecimalText(7, 4));
  EXPECT_EQ("-07", DecimalText(-7, 3));
  EXPECT_EQ("     123", DecimalText(123, 8, ' '));
  EXPECT_EQ("  -5", DecimalText(-5, 4, ' '));
  EXPECT_EQ("4294967295", DecimalText(4294967295LL, 8, ' '));
  EXPECT_EQ("-9223372036854775808", DecimalText(INT64_MIN, 1));
}

TEST(NumberText, FixedPointHasTwoDecimalsRoundedHalfToEven) {
  EXPECT_EQ("  3.58", FixedText(3750352 / 1048576.0, 6));
  EXPECT_EQ("0.12", FixedText(0.125, 1));
  EXPECT_EQ("0.38", FixedText(0.375, 1));
  EXPECT_EQ("   -0.00", FixedText(-1 / 1048576.0, 8));
  EXPECT_EQ("10240.00", FixedText(10240, 8));
  EXPECT_EQ("-2.50", FixedText(-2.5, 1));
}

}  // namespace
