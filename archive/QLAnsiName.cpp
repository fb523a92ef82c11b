#include "archive/QLAnsiName.h"

#include <cstdint>

namespace {

// The characters of Windows-1252 at 0x80 to 0x9F; 0 where the code page has
// none (0x81, 0x8D, 0x8F, 0x90, 0x9D). The rest of 0xA0 to 0xFF is Latin-1.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The ANSI byte for CodePoint, or -1 when Windows-1252 has none.
int AnsiByte(uint32_t CodePoint) {
  if (CodePoint < 0x80 || (CodePoint >= 0xA0 && CodePoint <= 0xFF)) return int(CodePoint);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] != 0 && kHighControls[i] == CodePoint) return 0x80 + i;
  return -1;
}

// The code point starting at Text[At], advancing At; false for bytes that
// are not UTF-8 (stray continuation bytes, overlong or cut-short sequences).
bool NextCodePoint(const std::string& Text, size_t& At, uint32_t& CodePoint) {
  const uint8_t lead = uint8_t(Text[At++]);
  int more = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
  if (more < 0 || At + size_t(more) > Text.size()) return false;
  CodePoint = more == 0 ? lead : lead & (0x3Fu >> more);
  for (int i = 0; i < more; ++i) {
    const uint8_t next = uint8_t(Text[At++]);
    if ((next & 0xC0) != 0x80) return false;
    CodePoint = CodePoint << 6 | (next & 0x3Fu);
  }
  static const uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
  return CodePoint >= kSmallest[more];
}

}  // namespace

bool Utf8ToAnsiName(const std::string& Utf8, std::string& Ansi) {
  std::string out;
  for (size_t at = 0; at < Utf8.size();) {
    uint32_t codePoint = 0;
    int byte = NextCodePoint(Utf8, at, codePoint) ? AnsiByte(codePoint) : -1;
    if (byte < 0) {
      Ansi.clear();
      return false;
    }
    out += char(byte);
  }
  Ansi = std::move(out);
  return true;
}
