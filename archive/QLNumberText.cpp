#include "archive/QLNumberText.h"

#include <cmath>

namespace {

std::string PaddedLeft(std::string Text, int Width, char Pad) {
  if (int(Text.size()) < Width) Text.insert(0, size_t(Width) - Text.size(), Pad);
  return Text;
}

std::string UnsignedText(uint64_t Value) {
  std::string text;
  do {
    text.insert(text.begin(), char('0' + Value % 10));
    Value /= 10;
  } while (Value != 0);
  return text;
}

}  // namespace

std::string HexText(uint32_t Value, int Digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[Value & 15]);
    Value >>= 4;
  } while (Value != 0);
  return PaddedLeft(text, Digits, '0');
}

std::string DecimalText(int64_t Value, int Width, char Pad) {
  const uint64_t magnitude = Value < 0 ? 0 - uint64_t(Value) : uint64_t(Value);
  if (Value >= 0) return PaddedLeft(UnsignedText(magnitude), Width, Pad);
  if (Pad == '0') return "-" + PaddedLeft(UnsignedText(magnitude), Width - 1, '0');
  return PaddedLeft("-" + UnsignedText(magnitude), Width, Pad);
}

std::string FixedText(double Value, int Width) {
  const double hundredths = std::nearbyint(std::fabs(Value) * 100);
  const uint64_t whole = uint64_t(hundredths);
  std::string text = UnsignedText(whole / 100) + "." + DecimalText(int64_t(whole % 100), 2);
  if (std::signbit(Value)) text.insert(0, "-");
  return PaddedLeft(text, Width, ' ');
}
