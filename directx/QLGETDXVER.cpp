#include "directx/QLGETDXVER.h"

#include <windows.h>

#include <array>

#include "directx/QLDXVersionRules.h"
#include "shell/QLDllSearch.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr size_t kLibraryCount = sizeof(kDXLibraries) / sizeof(kDXLibraries[0]);

// The libraries are system components: they are loaded from the system
// folder by full path, never from the program's or the current folder.
int Probe() {
  std::array<TQLLibrary, kLibraryCount> libraries;
  for (size_t i = 0; i < kLibraryCount; ++i)
    libraries[i].Reset(LoadLibraryFromPath(SystemLibraryPath(DXLibraryFileName(kDXLibraries[i]))));
  auto handle = [&](TQLDXLibrary l) { return libraries[static_cast<size_t>(l)].Get(); };
  TQLDXProbe probe;
  probe.Loaded = [&](TQLDXLibrary l) { return handle(l) != nullptr; };
  probe.Exports = [&](TQLDXLibrary l, const char* name) { return GetProcAddress(handle(l), name) != nullptr; };
  int version = DirectXVersionFromProbe(probe);
  for (size_t i = kLibraryCount; i-- > 0;) libraries[i].Reset();  // freed in reverse load order
  return version;
}

}  // namespace

int DetectDirectXVersion() {
  static bool detected = false;
  static int version = 0;
  if (!detected) {
    version = Probe();
    detected = true;
  }
  return version;
}
