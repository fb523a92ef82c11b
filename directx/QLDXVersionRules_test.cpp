#include "directx/QLDXVersionRules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// A machine described by the libraries that load and the exports they have.
struct TMachine {
  std::map<TQLDXLibrary, std::set<std::string>> Libraries;
  int Version() const {
    TQLDXProbe probe;
    probe.Loaded = [this](TQLDXLibrary l) { return Libraries.count(l) > 0; };
    probe.Exports = [this](TQLDXLibrary l, const char* name) { return Libraries.at(l).count(name) > 0; };
    return DirectXVersionFromProbe(probe);
  }
};

using L = TQLDXLibrary;

TEST(DirectXRules, EachRuleAlone) {
  struct TCase {
    L Library;
    const char* Export;
    int Version;
  } cases[] = {
      {L::DDraw, "DirectDrawCreate", 1},           {L::D3DIm, nullptr, 2},
      {L::DInput, "DirectInputCreateA", 3},        {L::DInput, "DirectInputCreateW", 3},
      {L::DSound, "DirectSoundCaptureEnumerateW", 5}, {L::DSound, "DirectSoundCaptureEnumerateA", 5},
      {L::DDraw, "DirectDrawEnumerateExA", 6},     {L::DDraw, "DirectDrawEnumerateExW", 6},
      {L::DMusic, nullptr, 6},                     {L::DInput, "DirectInputCreateEx", 7},
      {L::D3D8, nullptr, 8},                       {L::DPNHPast, nullptr, 8},
      {L::D3D9, nullptr, 9},
  };
  for (const TCase& c : cases) {
    TMachine m;
    m.Libraries[c.Library] = c.Export ? std::set<std::string>{c.Export} : std::set<std::string>{};
    EXPECT_EQ(c.Version, m.Version()) << DXLibraryFileName(c.Library) << " " << (c.Export ? c.Export : "");
  }
}

TEST(DirectXRules, LibrariesWithoutTheirExportsCountForNothing) {
  TMachine m;
  m.Libraries = {{L::DDraw, {}}, {L::DSound, {}}, {L::DInput, {"SomethingElse"}}};
  EXPECT_EQ(0, m.Version());
  EXPECT_EQ(0, TMachine{}.Version());
}

TEST(DirectXRules, TypicalMachines) {
  TMachine dx1{{{L::DDraw, {"DirectDrawCreate"}}}};
  EXPECT_EQ(1, dx1.Version());
  TMachine dx5{{{L::DSound, {"DirectSoundCaptureEnumerateA"}}, {L::DInput, {"DirectInputCreateA"}}}};
  EXPECT_EQ(5, dx5.Version());
  TMachine dx7{{{L::DInput, {"DirectInputCreateA", "DirectInputCreateEx"}},
                {L::DDraw, {"DirectDrawCreate", "DirectDrawEnumerateExA"}}}};
  EXPECT_EQ(7, dx7.Version());
  TMachine onlyD3D9{{{L::D3D9, {}}}};
  EXPECT_EQ(9, onlyD3D9.Version());
  TMachine dx8{{{L::DPNHPast, {}}, {L::DMusic, {}}}};
  EXPECT_EQ(8, dx8.Version());
}

TEST(DirectXRules, FileNamesInLoadOrder) {
  std::string names;
  for (L l : kDXLibraries) names += std::string(DXLibraryFileName(l)) + " ";
  EXPECT_EQ("DDRAW.DLL DSOUND.DLL D3DIM.DLL DMUSIC.DLL DINPUT.DLL D3D8.DLL D3D9.DLL DPNHPAST.DLL ", names);
}

}  // namespace
