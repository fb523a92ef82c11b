#include "shell/QLWidePath.h"

#include <windows.h>

#include <cwchar>

TQLWideText::TQLWideText(const wchar_t* Text, size_t Length) : FChars(Text, Text + Length) { FChars.push_back(L'\0'); }

TQLWideText::TQLWideText(const wchar_t* Text) : TQLWideText(Text, std::wcslen(Text)) {}

void TQLWideText::resize(size_t Length) {
  FChars.resize(Length + 1, L'\0');
  FChars.back() = L'\0';
}

TQLWideText& TQLWideText::operator+=(wchar_t C) {
  FChars.back() = C;
  FChars.push_back(L'\0');
  return *this;
}

TQLWideText& TQLWideText::operator+=(const TQLWideText& Text) {
  FChars.insert(FChars.end() - 1, Text.begin(), Text.end());
  return *this;
}

TQLWideText WidePathOf(const std::string& Path) {
  TQLWideText wide;
  if (Path.empty()) return wide;
  const int n = MultiByteToWideChar(CP_ACP, 0, Path.data(), int(Path.size()), nullptr, 0);
  wide.resize(size_t(n));
  MultiByteToWideChar(CP_ACP, 0, Path.data(), int(Path.size()), wide.data(), n);
  return wide;
}

bool ExactAnsiOf(const TQLWideText& Path, std::string& Ansi) {
  Ansi.clear();
  if (Path.empty()) return true;
  BOOL lossy = FALSE;
  const UINT cp = CP_ACP;
  // The UTF-8 code pages take no "default character" query: there every
  // character has a form.
  const bool utf8 = GetACP() == CP_UTF8;
  const int n = WideCharToMultiByte(cp, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, Path.data(), int(Path.size()), nullptr, 0,
                                    nullptr, utf8 ? nullptr : &lossy);
  if (n <= 0 || lossy) return false;
  Ansi.resize(size_t(n));
  WideCharToMultiByte(cp, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, Path.data(), int(Path.size()), Ansi.data(), n, nullptr,
                      nullptr);
  // A round trip must give the same path back (no character folded into
  // a look-alike).
  return WidePathOf(Ansi) == Path;
}

namespace {

std::string NarrowOf(UINT CodePage, const TQLWideText& Text) {
  if (Text.empty()) return std::string();
  const int n = WideCharToMultiByte(CodePage, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CodePage, 0, Text.data(), int(Text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::string ShownAnsiOf(const TQLWideText& Text) { return NarrowOf(CP_ACP, Text); }

std::string Utf8Of(const TQLWideText& Text) { return NarrowOf(CP_UTF8, Text); }

TQLWideText WideOfUtf8(const std::string& Utf8) {
  TQLWideText wide;
  if (Utf8.empty()) return wide;
  const int n = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), int(Utf8.size()), nullptr, 0);
  wide.resize(size_t(n > 0 ? n : 0));
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), int(Utf8.size()), wide.data(), n);
  return wide;
}

std::string StorablePathOf(const TQLWideText& Path) {
  std::string ansi;
  if (ExactAnsiOf(Path, ansi)) return ansi;
  const DWORD need = GetShortPathNameW(Path.c_str(), nullptr, 0);
  if (need == 0) return std::string();
  TQLWideText shortPath;
  shortPath.resize(need);
  const DWORD length = GetShortPathNameW(Path.c_str(), shortPath.data(), need);
  if (length == 0 || length >= need) return std::string();
  shortPath.resize(length);
  return ExactAnsiOf(shortPath, ansi) ? ansi : std::string();
}

TQLWideText ProgramPathW() {
  // The path may be longer than MAX_PATH: grow until it fits.
  for (DWORD size = MAX_PATH;; size *= 2) {
    TQLWideText path;
    path.resize(size);
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
    if (n == 0) return TQLWideText();
    if (n < size) {
      path.resize(n);
      return path;
    }
    if (size >= 32768 * 2) return TQLWideText();
  }
}
