#include "shell/QLPlatform.h"

#include <windows.h>

namespace {

std::optional<bool> NTFamilyOverride;

bool SystemIsNTFamily() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!GetVersionExA(&info)) return false;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

bool IsNTFamily() {
  if (NTFamilyOverride) return *NTFamilyOverride;
  static const bool system = SystemIsNTFamily();
  return system;
}

void SetNTFamilyOverride(std::optional<bool> NTFamily) { NTFamilyOverride = NTFamily; }
