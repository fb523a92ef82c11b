#include "plugin/QLPluginPaths.h"

#include <cmath>
#include <vector>

namespace {

// Which bytes are trail bytes of double-byte characters, walking from the
// start as the code page requires.
std::vector<bool> TrailBytes(const std::string& S, const TQLIsLeadByte& IsLeadByte) {
  std::vector<bool> trail(S.size(), false);
  for (size_t i = 0; i < S.size(); ++i) {
    if (IsLeadByte && IsLeadByte(static_cast<unsigned char>(S[i])) && i + 1 < S.size()) trail[++i] = true;
  }
  return trail;
}

std::string ExecutablePath(const std::string& Text) {
  if (Text[0] != '"') return Text;
  size_t close = Text.find('"', 1);
  return Text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

// Digits from P on, added to Value; how many were read.
int ReadDigits(const char*& P, const char* End, double& Value) {
  int count = 0;
  for (; P != End && *P >= '0' && *P <= '9'; ++P, ++count) Value = Value * 10 + (*P - '0');
  return count;
}

// The whole of [P, End) as a decimal number with "." as the decimal mark:
// an optional "-", digits with an optional fraction, an optional exponent.
bool ReadDecimal(const char* P, const char* End, double& Value) {
  const bool negative = P != End && *P == '-';
  if (negative) ++P;
  double mantissa = 0;
  int digits = ReadDigits(P, End, mantissa), scale = 0;
  if (P != End && *P == '.') {
    ++P;
    scale = -ReadDigits(P, End, mantissa);
    digits -= scale;
  }
  if (digits == 0) return false;
  if (P != End && (*P == 'e' || *P == 'E')) {
    ++P;
    const bool down = P != End && *P == '-';
    if (P != End && (*P == '-' || *P == '+')) ++P;
    double exponent = 0;
    if (ReadDigits(P, End, exponent) == 0) return false;
    scale += int(std::fmin(exponent, 9999)) * (down ? -1 : 1);
  }
  if (P != End) return false;
  double power = 1;  // exact up to 1e22, which covers every version seen
  for (int i = std::abs(scale); i > 0 && power < HUGE_VAL; --i) power *= 10;
  Value = (negative ? -1 : 1) * (scale < 0 ? mantissa / power : mantissa * power);
  return true;
}

}  // namespace

std::string PluginFolderOfBrowserText(const std::string& Text, const TQLDirectoryExists& DirectoryExists,
                                      const TQLIsLeadByte& IsLeadByte) {
  if (Text.empty()) return "";
  const std::string path = ExecutablePath(Text);
  const std::vector<bool> trail = TrailBytes(path, IsLeadByte);
  for (size_t i = path.size(); i-- > 1;) {
    if (path[i] != '\\' || trail[i]) continue;
    const std::string folder = path.substr(0, i);
    if (!DirectoryExists(folder)) continue;
    const std::string plugins = folder + "\\PLUGINS";
    return DirectoryExists(plugins) ? plugins : "";
  }
  return "";
}

double ParseInternetExplorerVersion(const std::string& Text) {
  if (Text.empty()) return 0;
  std::string major = Text;
  size_t first = major.find('.');
  if (first != std::string::npos) {
    size_t second = major.find('.', first + 1);
    if (second != std::string::npos) major.erase(second);
  }
  // The number as written, whatever the locale's decimal mark; the whole
  // text must be the number.
  size_t start = major.find_first_not_of(" \t\r\n\v\f");
  if (start == std::string::npos) return 0;
  if (major[start] == '+' && start + 1 < major.size() && major[start + 1] != '-') ++start;
  const char* end = major.data() + major.size();
  double value = 0;
  if (!ReadDecimal(major.data() + start, end, value) || !std::isfinite(value)) return 0;
  return value;
}
