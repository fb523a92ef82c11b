// The shared date-time type: an IEEE-754 double counting days since
// 1899-12-30 00:00, the fraction being the local time of day. Pure
// conversions to and from calendar fields, the DOS 2-second granularity, and
// the fixed-format parse used by the extraction's DateText.
#pragma once

#include <string>

using TDateTime = double;

struct TQLDateFields {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Calendar fields of D (proleptic Gregorian): the day of its integral part
// and the time of day of the absolute value of its fraction, rounded to the
// millisecond without leaving that day.
TQLDateFields DecodeDateTime(TDateTime D);

// The date-time of the fields; false when a field is out of range.
bool EncodeDateTime(const TQLDateFields& F, TDateTime& D);

// DOS date and time words (the 2-second granularity of directory entries);
// false for dates outside 1980..2107.
bool DateTimeToDosDateTime(TDateTime D, unsigned short& Date, unsigned short& Time);
TDateTime DosDateTimeToDateTime(unsigned short Date, unsigned short Time);

// "yyyy/MM/dd", optionally followed by a blank and "hh:mm" or "hh:mm:ss".
// 0 when Text is not such a date-time.
TDateTime ParseFixedDateTime(const std::string& Text);
