// Fuzz target: the date-time type. The input is read as a date-time value
// (the first 8 bytes) and as a fixed date text (the rest). A decoded value
// lies on the day its integral part names, at the time of day its fraction
// names, and encodes back to within a millisecond; a parsed text decodes to
// its own fields; DOS date-times keep their 2-second grid.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/QLDateTime.h"

namespace {

[[noreturn]] void Fail(const char* What, TDateTime D) {
  std::fprintf(stderr, "%s: %.17g\n", What, D);
  std::abort();
}

void CheckValue(TDateTime D) {
  TQLDateFields f = DecodeDateTime(D);
  if (f.Year == 0) return;  // outside the range the type decodes
  TDateTime day = 0;
  if (!EncodeDateTime({f.Year, f.Month, f.Day}, day)) return;  // a year the fields cannot carry
  if (day != std::trunc(D)) Fail("decoded to another day", D);
  TDateTime back = 0;
  if (!EncodeDateTime(f, back)) Fail("decoded fields do not encode", D);
  // Between -1 and 0 the value and its absolute value name the same moment.
  TDateTime same = std::trunc(D) == 0 ? std::fabs(D) : D;
  if (std::fabs(back - same) > 1.001 / 86400000) Fail("does not encode back", D);
  unsigned short date = 0, time = 0;
  if (DateTimeToDosDateTime(D, date, time)) {
    TQLDateFields dos = DecodeDateTime(DosDateTimeToDateTime(date, time));
    if (dos.Year != f.Year || dos.Day != f.Day || dos.Second != f.Second / 2 * 2) Fail("DOS date-time", D);
  }
}

void CheckText(const std::string& Text) {
  TDateTime d = ParseFixedDateTime(Text);
  if (d == 0) return;
  int year = 0, month = 0, day = 0;
  if (std::sscanf(Text.c_str(), "%4d/%2d/%2d", &year, &month, &day) != 3) Fail("parsed a non-date", d);
  TQLDateFields f = DecodeDateTime(d);
  if (f.Year != year || f.Month != month || f.Day != day || f.Millisecond != 0) Fail("parsed text", d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size >= 8) {
    TDateTime d = 0;
    std::memcpy(&d, Data, 8);
    CheckValue(d);
    CheckValue(std::nearbyint(d * 1000) / 1000);
  }
  CheckText(std::string(reinterpret_cast<const char*>(Data), Size));
  return 0;
}
