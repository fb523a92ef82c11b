#include "archive/QLDateTime.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTime, DecodesKnownDays) {
  TQLDateFields f = DecodeDateTime(0);
  EXPECT_EQ(1899, f.Year);
  EXPECT_EQ(12, f.Month);
  EXPECT_EQ(30, f.Day);
  f = DecodeDateTime(38443.4375);  // 2005-04-01 10:30
  EXPECT_EQ(2005, f.Year);
  EXPECT_EQ(4, f.Month);
  EXPECT_EQ(1, f.Day);
  EXPECT_EQ(10, f.Hour);
  EXPECT_EQ(30, f.Minute);
  EXPECT_EQ(0, f.Second);
  f = DecodeDateTime(36585.999999);  // 2000-02-29 just before midnight
  EXPECT_EQ(2, f.Month);
  EXPECT_EQ(29, f.Day);
  EXPECT_EQ(23, f.Hour);
}

TEST(DateTime, NegativeValuesStayOnTheirDay) {
  // Before 1899-12-30 the integral part is the day and the fraction's
  // absolute value the time: -1.25 is 1899-12-29 06:00.
  TQLDateFields f = DecodeDateTime(-1.25);
  EXPECT_EQ(29, f.Day);
  EXPECT_EQ(6, f.Hour);
  // A time that rounds up to midnight stays at the end of its own day.
  for (TDateTime d : {-1.9999999999, 1.9999999999}) {
    f = DecodeDateTime(d);
    EXPECT_EQ(d < 0 ? 29 : 31, f.Day) << d;
    EXPECT_EQ(23, f.Hour) << d;
    EXPECT_EQ(59, f.Second) << d;
    EXPECT_EQ(999, f.Millisecond) << d;
  }
}

TEST(DateTime, EncodeRoundTripsAndRefusesBadFields) {
  TQLDateFields f{2024, 2, 29, 13, 5, 59, 250};
  TDateTime d = 0;
  ASSERT_TRUE(EncodeDateTime(f, d));
  TQLDateFields back = DecodeDateTime(d);
  EXPECT_EQ(f.Year, back.Year);
  EXPECT_EQ(f.Day, back.Day);
  EXPECT_EQ(f.Second, back.Second);
  EXPECT_EQ(f.Millisecond, back.Millisecond);
  for (TQLDateFields bad : {TQLDateFields{2023, 2, 29}, TQLDateFields{2024, 13, 1}, TQLDateFields{2024, 1, 0},
                            TQLDateFields{2024, 1, 1, 24}, TQLDateFields{2024, 1, 1, 0, 60}})
    EXPECT_FALSE(EncodeDateTime(bad, d));
}

TEST(DateTime, DosGranularityIsTwoSeconds) {
  TDateTime d = 0;
  ASSERT_TRUE(EncodeDateTime({2010, 6, 15, 8, 20, 31, 700}, d));
  unsigned short date = 0, time = 0;
  ASSERT_TRUE(DateTimeToDosDateTime(d, date, time));
  TQLDateFields f = DecodeDateTime(DosDateTimeToDateTime(date, time));
  EXPECT_EQ(30, f.Second);
  EXPECT_EQ(20, f.Minute);
  EXPECT_EQ(15, f.Day);
  EXPECT_FALSE(DateTimeToDosDateTime(1000, date, time));  // 1902
}

TEST(DateTime, FixedFormatParse) {
  TDateTime expected = 0;
  ASSERT_TRUE(EncodeDateTime({2005, 4, 1, 10, 30, 0, 0}, expected));
  EXPECT_DOUBLE_EQ(expected, ParseFixedDateTime("2005/04/01 10:30"));
  ASSERT_TRUE(EncodeDateTime({2005, 4, 1, 10, 30, 15, 0}, expected));
  EXPECT_DOUBLE_EQ(expected, ParseFixedDateTime("2005/04/01 10:30:15"));
  ASSERT_TRUE(EncodeDateTime({2005, 4, 1}, expected));
  EXPECT_DOUBLE_EQ(expected, ParseFixedDateTime("2005/4/1"));
  for (const char* bad : {"", "abc", "2005-04-01", "2005/02/30", "2005/04/01 25:00", "2005/04/01x",
                          "2005/04/01 10", "01/04/2005 10:30:00 PM"})
    EXPECT_EQ(0, ParseFixedDateTime(bad)) << bad;
}

}  // namespace
