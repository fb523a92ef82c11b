#include <gtest/gtest.h>
#include <windows.h>

#include "directx/QLDSETUPP.h"
#include "directx/QLGETDXVER.h"
#include "shell/QLDllSearch.h"
#include "tests/support/DialogScript.h"
#include "tests/support/StandIns.h"
#include "tests/support/TempFolder.h"

namespace {

// A library planted as DDRAW.DLL beside the test program, which leaves a
// marker file when anything loads it. Wine is told to prefer a DDRAW.DLL it
// finds over its own, as Windows does, so the plant is a real danger.
class TPlantedDDraw {
public:
  TPlantedDDraw() : FPath(TestProgramFolder() + "DDRAW.DLL"), FMarker(FDir / "planted-loaded") {
    CopyStandIn("standin_planted.dll", FPath);
    SetProcessVariable("QL_PLANTED_MARKER", FMarker);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExA(key, "ddraw", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
      RegCloseKey(key);
    }
  }
  ~TPlantedDDraw() {
    SetProcessVariable("QL_PLANTED_MARKER", "");
    DeleteFileA(FPath.c_str());
  }
  bool Loaded() const { return PathExists(FMarker); }
  void Forget() const { DeleteFileA(FMarker.c_str()); }

private:
  TTempFolder FDir;
  std::string FPath, FMarker;
};

TEST(DirectXDetection, SystemLibrariesOnlyAndCached) {
  TPlantedDDraw planted;
  // A library named without a path finds the plant...
  HMODULE bare = LoadLibraryA("DDRAW.DLL");
  ASSERT_NE(nullptr, bare);
  ASSERT_TRUE(planted.Loaded());
  FreeLibrary(bare);
  planted.Forget();
  // ...the probe does not.
  int version = DetectDirectXVersion();
  EXPECT_FALSE(planted.Loaded());
  EXPECT_GE(version, 7);  // the system's own DirectX libraries
  EXPECT_EQ(version, DetectDirectXVersion());
  // Nor does a name without a path once the search is restricted.
  RestrictDllSearchPath();
  bare = LoadLibraryA("DDRAW.DLL");
  EXPECT_FALSE(planted.Loaded());
  if (bare) FreeLibrary(bare);
}

class DirectXSetup : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(CopyStandIn("standin_dsetup.dll", Dir / "DSETUP.DLL"));
    SetProcessVariable("QL_DSETUP_RESULT", "");
  }
  void TearDown() override { SetProcessVariable("QL_DSETUP_RESULT", ""); }
  std::string Log() const { return ReadTextFile(Dir / "DSETUP.LOG"); }
  int32_t Run(int32_t Result, bool Silent) {
    SetProcessVariable("QL_DSETUP_RESULT", std::to_string(Result));
    return RunDirectXSetup(nullptr, Dir.Path(), Silent);
  }
  TTempFolder Dir;
};

TEST_F(DirectXSetup, ResultsAndTheirMessages) {
  struct TCase {
    int32_t Code;
    bool Silent;
    const char* Text;  // nullptr: no message
    TMsgDlgType Kind;
    TMsgDlgButtons Buttons;
  } cases[] = {
      {0, false, "DirectX setup normal end.", mtInformation, mbOK},
      {0, true, nullptr, mtInformation, mbOK},
      {1, false, "DirectX setup normal end.\r\rYou must restart Windows.\rYou want to restart your computer now?",
       mtInformation, mbOK | mbCancel},
      {1, true, nullptr, mtInformation, mbOK},
      {-14, false, "The upper version of DirectX is already installed.\rDirectX was not necessary to be installed.",
       mtInformation, mbOK},
      {-14, true, nullptr, mtInformation, mbOK},
      {-6, true, "Not enough disk space for installing DirectX.", mtInformation, mbOK},
      {-12, true, "DirectX setup fatal end.\r(ErrCode=-12)", mtError, mbOK},
      {-3, false, "DirectX setup fatal end.\r(ErrCode=-3)", mtError, mbOK},
  };
  for (const TCase& c : cases) {
    TDialogScript script({mrCancel});  // Cancel: no restart for code 1
    EXPECT_EQ(c.Code, Run(c.Code, c.Silent));
    if (!c.Text) {
      EXPECT_TRUE(script.Requests.empty()) << c.Code;
      continue;
    }
    ASSERT_EQ(1u, script.Requests.size()) << c.Code;
    EXPECT_EQ(c.Text, script.Requests[0].Text);
    EXPECT_EQ(c.Kind, script.Requests[0].Kind) << c.Code;
    EXPECT_EQ(c.Buttons, script.Requests[0].Buttons) << c.Code;
  }
  // Every call got the folder with its backslash and the fixed flags.
  std::string expected;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) expected += Dir.Path() + "|10010018\n";
  EXPECT_EQ(expected, Log());
}

TEST_F(DirectXSetup, MissingLibraryOrEntryPoint) {
  TTempFolder empty;
  TDialogScript script({mrOk, mrOk});
  EXPECT_EQ(2, RunDirectXSetup(nullptr, empty.Path(), true));
  ASSERT_EQ(1u, script.Requests.size());
  EXPECT_EQ("Cannot open DirectX setup file.\r\r" + empty.Path() + "DSETUP.DLL", script.Requests[0].Text);
  EXPECT_EQ(mtError, script.Requests[0].Kind);
  // A DSETUP.DLL that is some other library.
  ASSERT_TRUE(CopyStandIn("standin_nppqese.dll", empty / "DSETUP.DLL"));
  EXPECT_EQ(2, RunDirectXSetup(nullptr, empty.Path(), true));
  EXPECT_EQ(2u, script.Requests.size());
}

TEST_F(DirectXSetup, FoldersResolvedAgainstTheProgramFolder) {
  // Relative: below the program's folder, which becomes the current folder.
  const std::string relative = TestProgramFolder() + "DirectXStandIn";
  CreateDirectoryA(relative.c_str(), nullptr);
  ASSERT_TRUE(CopyStandIn("standin_dsetup.dll", relative + "\\DSETUP.DLL"));
  SetCurrentDirectoryA(Dir.Path().c_str());
  TDialogScript script({});
  EXPECT_EQ(0, RunDirectXSetup(nullptr, "DirectXStandIn", true));
  EXPECT_EQ(relative + "\\|10010018\n", ReadTextFile(relative + "\\DSETUP.LOG"));
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(TestProgramFolder(), std::string(current) + "\\");
  DeleteFileA((relative + "\\DSETUP.DLL").c_str());
  DeleteFileA((relative + "\\DSETUP.LOG").c_str());
  RemoveDirectoryA(relative.c_str());

  // Empty: DSETUP.DLL of the current folder, and an empty folder passed on.
  SetCurrentDirectoryA(Dir.Path().c_str());
  EXPECT_EQ(0, RunDirectXSetup(nullptr, "", true));
  EXPECT_EQ("|10010018\n", Log());

  // "\": the root of the program's drive.
  EXPECT_EQ(2, RunDirectXSetup(nullptr, "\\", true));
  ASSERT_EQ(1u, script.Requests.size());
  EXPECT_EQ("Cannot open DirectX setup file.\r\r" + TestProgramFolder().substr(0, 3) + "DSETUP.DLL",
            script.Requests[0].Text);
}

TEST_F(DirectXSetup, PresenceOfTheLibrary) {
  EXPECT_TRUE(DSetupPresent(Dir.Path()));
  TTempFolder empty;
  EXPECT_FALSE(DSetupPresent(empty.Path()));
}

}  // namespace
