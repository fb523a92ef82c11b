#include "directx/QLDXVersionRules.h"

namespace {

// One sign of a generation: a library that loaded, or one of its exports.
struct TRule {
  TQLDXLibrary Library;
  const char* Export;  // nullptr: the library loading is the sign
  int Version;
};

// In ascending order of version, so the last rule that holds wins.
const TRule kRules[] = {
    {TQLDXLibrary::DDraw, "DirectDrawCreate", 1},
    {TQLDXLibrary::D3DIm, nullptr, 2},
    {TQLDXLibrary::DInput, "DirectInputCreateA", 3},
    {TQLDXLibrary::DInput, "DirectInputCreateW", 3},
    {TQLDXLibrary::DSound, "DirectSoundCaptureEnumerateW", 5},
    {TQLDXLibrary::DSound, "DirectSoundCaptureEnumerateA", 5},
    {TQLDXLibrary::DDraw, "DirectDrawEnumerateExA", 6},
    {TQLDXLibrary::DDraw, "DirectDrawEnumerateExW", 6},
    {TQLDXLibrary::DMusic, nullptr, 6},
    {TQLDXLibrary::DInput, "DirectInputCreateEx", 7},
    {TQLDXLibrary::D3D8, nullptr, 8},
    {TQLDXLibrary::DPNHPast, nullptr, 8},
    {TQLDXLibrary::D3D9, nullptr, 9},
};

}  // namespace

const char* DXLibraryFileName(TQLDXLibrary Library) {
  switch (Library) {
    case TQLDXLibrary::DDraw: return "DDRAW.DLL";
    case TQLDXLibrary::DSound: return "DSOUND.DLL";
    case TQLDXLibrary::D3DIm: return "D3DIM.DLL";
    case TQLDXLibrary::DMusic: return "DMUSIC.DLL";
    case TQLDXLibrary::DInput: return "DINPUT.DLL";
    case TQLDXLibrary::D3D8: return "D3D8.DLL";
    case TQLDXLibrary::D3D9: return "D3D9.DLL";
    case TQLDXLibrary::DPNHPast: return "DPNHPAST.DLL";
  }
  return "";
}

int DirectXVersionFromProbe(const TQLDXProbe& Probe) {
  int version = 0;
  for (const TRule& rule : kRules) {
    if (!Probe.Loaded(rule.Library)) continue;
    if (rule.Export && !Probe.Exports(rule.Library, rule.Export)) continue;
    version = rule.Version;
  }
  return version;
}
