// The one platform decision of the installer: is this the Windows NT family
// (platform id VER_PLATFORM_WIN32_NT) or the 95/98/Me family? Every
// platform-dependent choice asks IsNTFamily; tests may pin the answer.
#pragma once

#include <optional>

// True when the system reports the NT platform id (2), unless a test has
// pinned the answer with SetNTFamilyOverride.
bool IsNTFamily();

// Pins IsNTFamily to a family for tests (false selects the 95/98/Me
// branches); std::nullopt returns to asking the system.
void SetNTFamilyOverride(std::optional<bool> NTFamily);
