#include "archive/QLDateTime.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr long kMsPerDay = 86400000L;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 1899-12-30 to the given civil date (Howard Hinnant's algorithm,
// shifted from the Unix epoch: 1899-12-30 is day -25569 there).
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468 - 25569;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

// Reads a number as scanf's "%<Width>d" does: white space skipped, then at
// most Width characters of an optional sign and digits, one digit at least.
bool ScanNumber(const char*& P, int Width, int& Value) {
  while (std::isspace(static_cast<unsigned char>(*P))) ++P;
  const char* q = P;
  const bool negative = *q == '-';
  if (*q == '+' || *q == '-') ++q;
  int value = 0;
  const char* digits = q;
  while (q - P < Width && std::isdigit(static_cast<unsigned char>(*q))) value = value * 10 + (*q++ - '0');
  if (q == digits) return false;
  Value = negative ? -value : value;
  P = q;
  return true;
}

// Steps over the character Mark; false when another one stands at P.
bool ScanMark(const char*& P, char Mark) {
  if (*P != Mark) return false;
  ++P;
  return true;
}

}  // namespace

TQLDateFields DecodeDateTime(TDateTime D) {
  TQLDateFields f;
  if (!std::isfinite(D) || std::fabs(D) > 3.0e6) return f;
  // The integral part is the day (negative values count days backwards);
  // the absolute value of the fraction is the time of day, which counts
  // forwards on either side. The time is rounded to the millisecond within
  // its own day: a fraction just short of 1 is 23:59:59.999, never the start
  // of a neighbouring day.
  double whole = std::trunc(D);
  long days = long(whole);
  long ms = std::min(std::lround(std::fabs(D - whole) * kMsPerDay), kMsPerDay - 1);
  CivilFromDays(days, f.Year, f.Month, f.Day);
  f.Hour = int(ms / 3600000L);
  f.Minute = int(ms / 60000L % 60);
  f.Second = int(ms / 1000 % 60);
  f.Millisecond = int(ms % 1000);
  return f;
}

bool EncodeDateTime(const TQLDateFields& F, TDateTime& D) {
  if (F.Year < 1 || F.Year > 9999 || F.Month < 1 || F.Month > 12 || F.Day < 1 ||
      F.Day > DaysInMonth(F.Year, F.Month) || F.Hour < 0 || F.Hour > 23 || F.Minute < 0 ||
      F.Minute > 59 || F.Second < 0 || F.Second > 59 || F.Millisecond < 0 || F.Millisecond > 999)
    return false;
  double days = double(DaysFromCivil(F.Year, F.Month, F.Day));
  double time = (((F.Hour * 60.0 + F.Minute) * 60.0 + F.Second) * 1000.0 + F.Millisecond) / kMsPerDay;
  D = days >= 0 ? days + time : days - time;
  return true;
}

bool DateTimeToDosDateTime(TDateTime D, unsigned short& Date, unsigned short& Time) {
  TQLDateFields f = DecodeDateTime(D);
  if (f.Year < 1980 || f.Year > 2107) return false;
  Date = static_cast<unsigned short>((f.Year - 1980) << 9 | f.Month << 5 | f.Day);
  Time = static_cast<unsigned short>(f.Hour << 11 | f.Minute << 5 | f.Second / 2);
  return true;
}

TDateTime DosDateTimeToDateTime(unsigned short Date, unsigned short Time) {
  TQLDateFields f;
  f.Year = 1980 + (Date >> 9);
  f.Month = Date >> 5 & 15;
  f.Day = Date & 31;
  f.Hour = Time >> 11;
  f.Minute = Time >> 5 & 63;
  f.Second = (Time & 31) * 2;
  TDateTime d = 0;
  return EncodeDateTime(f, d) ? d : 0;
}

TDateTime ParseFixedDateTime(const std::string& Text) {
  TQLDateFields f;
  const char* p = Text.c_str();
  if (!ScanNumber(p, 4, f.Year) || !ScanMark(p, '/') || !ScanNumber(p, 2, f.Month) || !ScanMark(p, '/') ||
      !ScanNumber(p, 2, f.Day))
    return 0;
  if (*p == ' ') {
    if (!ScanNumber(p, 2, f.Hour) || !ScanMark(p, ':') || !ScanNumber(p, 2, f.Minute)) return 0;
    f.Second = 0;
    const char* seconds = p;
    if (ScanMark(seconds, ':') && ScanNumber(seconds, 2, f.Second)) p = seconds;
  }
  if (*p != '\0') return 0;
  TDateTime d = 0;
  return EncodeDateTime(f, d) ? d : 0;
}
