// Unattended deployment with the real setup program: a silent install with
// no display, the quiet uninstall read from the list of programs, the
// answers a silent run gives instead of waiting, "/D=" and the log. Every
// run is bounded: a silent run that waited for an answer fails the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "shell/QLFileUtils.h"
#include "shell/QLPathRules.h"
#include "shell/QLRegistry.h"
#include "shell/QLWinHandles.h"
#include "tests/support/InstallState.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/StandIns.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr DWORD kBound = 120000;  // no silent run takes near this long

std::string SetupProgram() { return TestProgramFolder() + "prismora-setup.exe"; }
std::string Payload() { return TestProgramFolder() + "..\\demo-payload\\"; }

int RegistryInteger(const std::string& Name) {
  TQLRegistry r(HKEY_LOCAL_MACHINE);
  return r.OpenKeyReadOnly(kTestUninstallKey) ? r.ReadInteger(Name).value_or(-1) : -1;
}

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

class SilentDeployment : public ::testing::Test {
protected:
  void TearDown() override {
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kTestProductKey);
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kTestUninstallKey);
    DeleteTree(Folder);
    ClearPendingOperations();
  }
  // Runs the setup with a raw argument text; the exit status, -1 on timeout.
  int Run(const std::string& Program, const std::string& Arguments) {
    TProcessDriver setup(Program, Arguments);
    return setup.WaitExit(kBound);
  }
  TTempFolder Temp;
  const std::string Folder = "C:\\Deployed Prismora";
};

TEST_F(SilentDeployment, SilentInstallWithoutDisplayThenQuietUninstall) {
  SetProcessVariable("DISPLAY", "");  // no window could be shown at all
  const std::string log = Temp / "install.log";
  // "/D=" last, unquoted, spaces kept.
  EXPECT_EQ(0, Run(SetupProgram(), "/S /LOG=" + log + " /D=" + Folder));
  const std::string installLog = ReadTextFile(log);
  ASSERT_TRUE(Contains(installLog, "exit status: 0")) << installLog;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(Payload())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(ReadTextFile(entry.path().string()) == ReadTextFile(Folder + "\\" + name)) << name;
    EXPECT_TRUE(Contains(installLog, "file written: " + Folder + "\\" + name + " (")) << name;
    ++files;
  }
  EXPECT_EQ(files, RecordedItems());
  EXPECT_TRUE(Contains(installLog, "exit status: 0"));
  EXPECT_EQ("1.0.5.12", ReadRegistryString(HKEY_LOCAL_MACHINE, kTestUninstallKey, "DisplayVersion"));
  EXPECT_EQ(Folder + "\\PQENGINE.EXE", ReadRegistryString(HKEY_LOCAL_MACHINE, kTestUninstallKey, "DisplayIcon"));
  EXPECT_GT(RegistryInteger("EstimatedSize"), 500);
  EXPECT_EQ(8u, ReadRegistryString(HKEY_LOCAL_MACHINE, kTestUninstallKey, "InstallDate").size());
  EXPECT_EQ("http://www.veldrane.example/", ReadRegistryString(HKEY_LOCAL_MACHINE, kTestUninstallKey, "URLInfoAbout"));
  EXPECT_EQ(1, RegistryInteger("NoModify"));
  EXPECT_EQ(1, RegistryInteger("NoRepair"));
  const std::string quiet = ReadRegistryString(HKEY_LOCAL_MACHINE, kTestUninstallKey, "QuietUninstallString");
  ASSERT_EQ("\"" + Folder + "\\UNINST\\UNINST.EXE\" /UNINSTALL /S", quiet);

  WriteTextFile(Folder + "\\README.TXT", "edited by the user");
  WriteTextFile(Folder + "\\my notes.txt", "the user's own file");
  const std::string uninstallLog = Temp / "uninstall.log";
  const size_t cut = quiet.find('"', 1);
  EXPECT_EQ(0, Run(quiet.substr(1, cut - 1), quiet.substr(cut + 2) + " /LOG=" + uninstallLog));
  SetProcessVariable("DISPLAY", ":0");
  EXPECT_FALSE(PathExists(Folder + "\\PQENGINE.EXE"));
  EXPECT_EQ("edited by the user", ReadTextFile(Folder + "\\README.TXT"));  // changed: kept
  EXPECT_EQ("the user's own file", ReadTextFile(Folder + "\\my notes.txt"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
  const std::string removal = ReadTextFile(uninstallLog);
  EXPECT_TRUE(Contains(removal, "This file has the possibility to be changed")) << removal;
  EXPECT_TRUE(Contains(removal, "| answer: No"));
  EXPECT_TRUE(Contains(removal, "exit status: 0"));
}

TEST_F(SilentDeployment, AFolderWhereAFileMustGoFailsTheRun) {
  ASSERT_TRUE(ForceDirectories(Folder + "\\PQENGINE.EXE"));
  const std::string log = Temp / "install.log";
  EXPECT_EQ(1603, Run(SetupProgram(), "/S /LOG=" + log + " \"/D=" + Folder + "\""));
  EXPECT_TRUE(Contains(ReadTextFile(log), "error: some files could not be created"));
  EXPECT_TRUE(Contains(ReadTextFile(log), "rollback: nothing of the run is left"));
  // The run is undone: nothing of it stays, the folder in the way does.
  EXPECT_EQ(0, RecordedItems());
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\UNINST.EXE"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
  EXPECT_TRUE(DirectoryExists(Folder + "\\PQENGINE.EXE"));
}

// A file in use during a silent reinstall: the new one is written beside it
// and takes its place at the next start; the status asks for the restart.
TEST_F(SilentDeployment, AFileInUseIsReplacedAtTheNextStart) {
  ASSERT_EQ(0, Run(SetupProgram(), "/S \"/D=" + Folder + "\""));
  const std::string readme = Folder + "\\README.TXT";
  WriteTextFile(readme, "an older read-me");
  TQLFileHandle held(CreateFileA(readme.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  const std::string log = Temp / "install.log";
  EXPECT_EQ(3010, Run(SetupProgram(), "/S /LOG=" + log + " \"/D=" + Folder + "\""));
  held.Reset();
  EXPECT_EQ("an older read-me", ReadTextFile(readme));
  EXPECT_TRUE(ReadTextFile(Payload() + "README.TXT") == ReadTextFile(readme + ".QLNEW"));
  EXPECT_TRUE(Contains(PendingOperations(), "README.TXT.QLNEW|!\\??\\" + readme + "|")) << PendingOperations();
  const std::vector<std::string> recorded = RecordedPaths();
  EXPECT_EQ(12u, recorded.size());
  EXPECT_NE(recorded.end(), std::find(recorded.begin(), recorded.end(), readme));
  EXPECT_TRUE(Contains(ReadTextFile(log), "replace queued for the next start: " + readme));
  EXPECT_TRUE(Contains(ReadTextFile(log), "exit status: 3010"));
}

TEST_F(SilentDeployment, UnusableFoldersAreRefusedNotGuessed) {
  const std::string log = Temp / "install.log";
  for (const char* folder : {"Prismora", "C:Prismora", "C:\\a\\..\\Prismora"}) {
    EXPECT_EQ(1603, Run(SetupProgram(), std::string("/S /LOG=") + log + " /D=" + folder)) << folder;
    EXPECT_TRUE(Contains(ReadTextFile(log), std::string("installation folder refused: ") + folder)) << folder;
  }
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

// Each destination the installation cannot use ends the run with 1603 and
// its own reason in the log, before anything is written: no product file,
// no uninstaller, no folder, no list entry.
TEST_F(SilentDeployment, UnusableDestinationsAreRefusedBeforeAnythingIsWritten) {
  const std::string log = Temp / "install.log";
  std::string tooLong = "C:\\Prismora";
  while (tooLong.size() < 263) tooLong += "\\" + std::string(35, 'd');  // 263 characters, 8 folders deep
  const struct {
    std::string Folder;
    const char* Reason;
  } cases[] = {
      {WindowsFolder(), "it is the Windows folder or a system folder"},
      {WindowsFolder() + "\\system32\\Prismora", "it is the Windows folder or a system folder"},
      {"C:\\", "it is the root of a drive"},
      {GetSpecialFolderPath(CSIDL_PROGRAM_FILES), "it is a program-files folder itself"},
      {GetSpecialFolderPath(CSIDL_PERSONAL), "it is a folder Windows keeps for the user"},
      {tooLong, "its path is too long for the files it will hold"},
      {"\\\\nohost\\share\\x", "it cannot be reached"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(1603, Run(SetupProgram(), "/S /LOG=" + log + " /D=" + c.Folder)) << c.Folder;
    const std::string text = ReadTextFile(log);
    EXPECT_TRUE(Contains(text, "error: installation folder refused: " + c.Folder + " (" + c.Reason)) << text;
    EXPECT_TRUE(Contains(text, "exit status: 1603")) << text;
    for (const char* written : {"\\PQENGINE.EXE", "\\README.TXT", "\\UNINST"})
      EXPECT_FALSE(PathExists(WithoutTrailingSeparators(c.Folder) + written)) << c.Folder << written;
  }
  EXPECT_FALSE(PathExists("C:\\Prismora"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestProductKey));
}

// A name outside the code page is named as such, whichever way it came.
TEST_F(SilentDeployment, AFolderOutsideTheCodePageIsRefusedAsSuch) {
  const std::string log = Temp / "install.log";
  const std::wstring folder = L"C:\\\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438 \u4e0b\u8f7d";
  std::wstring wideLog(MAX_PATH, L'\0');
  wideLog.resize(MultiByteToWideChar(CP_ACP, 0, log.c_str(), -1, wideLog.data(), MAX_PATH) - 1);
  std::wstring program(MAX_PATH, L'\0');
  program.resize(MultiByteToWideChar(CP_ACP, 0, SetupProgram().c_str(), -1, program.data(), MAX_PATH) - 1);
  {
    TProcessDriver setup(program, L"/S /LOG=" + wideLog + L" /D=" + folder);
    ASSERT_TRUE(setup.Started());
    EXPECT_EQ(1603, setup.WaitExit(kBound));
  }
  const std::string text = ReadTextFile(log);
  EXPECT_TRUE(Contains(text, "(its name has characters outside the system's code page)")) << text;
  EXPECT_FALSE(Contains(text, "full path")) << text;
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

// The test session maps a 512 KiB drive as S: where the machine lets it
// mount one: the product alone needs more.
TEST_F(SilentDeployment, TooLittleSpaceFailsBeforeAnythingIsWritten) {
  if (GetDriveTypeA("S:\\") <= DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no small drive S: on this machine";
  const std::string log = Temp / "install.log";
  EXPECT_EQ(1603, Run(SetupProgram(), "/S /LOG=" + log + " /D=S:\\Prismora"));
  EXPECT_TRUE(Contains(ReadTextFile(log), "error: not enough space"));
  EXPECT_FALSE(PathExists("S:\\Prismora"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

TEST_F(SilentDeployment, HelpShowsNothingWhenSilent) { EXPECT_EQ(0, Run(SetupProgram(), "/? /S")); }

// The uninstaller has no install side: asked to install silently, it fails
// as a setup without its archive does, logs why and writes nothing.
TEST_F(SilentDeployment, TheUninstallerAskedToInstallFailsAndSaysWhy) {
  const std::string log = Temp / "install.log";
  EXPECT_EQ(1603, Run(TestProgramFolder() + "prismora-uninst.exe", "/S /LOG=" + log + " /D=" + Folder));
  const std::string text = ReadTextFile(log);
  EXPECT_TRUE(Contains(text, "The archive file is broken or is not found.")) << text;
  EXPECT_TRUE(Contains(text, "error: archive check failed")) << text;
  EXPECT_TRUE(Contains(text, "exit status: 1603")) << text;
  EXPECT_FALSE(PathExists(Folder));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

}  // namespace
