// The DirectX generation as a pure function of what the probe found: which
// component libraries loaded and which of their exports exist.
#pragma once

#include <functional>

enum class TQLDXLibrary { DDraw, DSound, D3DIm, DMusic, DInput, D3D8, D3D9, DPNHPast };

// What the probe saw; Exports is asked only about libraries that loaded.
struct TQLDXProbe {
  std::function<bool(TQLDXLibrary Library)> Loaded;
  std::function<bool(TQLDXLibrary Library, const char* Name)> Exports;
};

// The probe's libraries in load order, and their file names.
constexpr TQLDXLibrary kDXLibraries[] = {TQLDXLibrary::DDraw, TQLDXLibrary::DSound, TQLDXLibrary::D3DIm,
                                         TQLDXLibrary::DMusic, TQLDXLibrary::DInput, TQLDXLibrary::D3D8,
                                         TQLDXLibrary::D3D9, TQLDXLibrary::DPNHPast};
const char* DXLibraryFileName(TQLDXLibrary Library);

// 0, 1, 2, 3, 5, 6, 7, 8 or 9: the highest generation whose sign is present.
int DirectXVersionFromProbe(const TQLDXProbe& Probe);
