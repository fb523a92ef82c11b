#include "shell/QLWidePath.h"

#include <windows.h>

#include <vector>

std::wstring WidePathOf(const std::string& Path) {
  if (Path.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, Path.data(), int(Path.size()), nullptr, 0);
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, Path.data(), int(Path.size()), wide.data(), n);
  return wide;
}

bool ExactAnsiOf(const std::wstring& Path, std::string& Ansi) {
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

std::string StorablePathOf(const std::wstring& Path) {
  std::string ansi;
  if (ExactAnsiOf(Path, ansi)) return ansi;
  const DWORD need = GetShortPathNameW(Path.c_str(), nullptr, 0);
  if (need == 0) return std::string();
  std::wstring shortPath(need, L'\0');
  const DWORD length = GetShortPathNameW(Path.c_str(), shortPath.data(), need);
  if (length == 0 || length >= need) return std::string();
  shortPath.resize(length);
  return ExactAnsiOf(shortPath, ansi) ? ansi : std::string();
}

std::wstring ProgramPathW() {
  // The path may be longer than MAX_PATH: grow until it fits.
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (n == 0) return std::wstring();
    if (n < size) return std::wstring(buffer.data(), n);
    if (size >= 32768 * 2) return std::wstring();
  }
}
