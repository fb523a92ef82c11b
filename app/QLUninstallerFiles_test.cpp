#include "app/QLUninstallerFiles.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "shell/QLFileUtils.h"
#include "shell/QLRegistry.h"
#include "tests/support/TempFolder.h"

namespace {

// The delete requests for the next start, as "\??\path" entries.
std::string PendingDeletes() {
  TQLRegistry r(HKEY_LOCAL_MACHINE);
  if (!r.OpenKeyReadOnly("SYSTEM\\CurrentControlSet\\Control\\Session Manager")) return "";
  const std::vector<uint8_t> data = r.ReadBinaryData("PendingFileRenameOperations");
  return std::string(data.begin(), data.end());
}

bool Pending(const std::string& Path) {
  return PendingDeletes().find("\\??\\" + Path + std::string(2, '\0')) != std::string::npos;
}

class UninstallerFiles : public ::testing::Test {
protected:
  // An installation folder with its uninstaller (and a replacement copy).
  std::string Installation(const std::string& Name) {
    const std::string root = Dir / Name;
    WriteTextFile(root + "\\UNINST\\UNINST.EXE", "uninstaller of " + Name);
    WriteTextFile(root + "\\UNINST\\UNINST.000", "copy waiting for the next start");
    return root;
  }
  TTempFolder Dir;
  TQLFolderSafety Safety;
};

TEST_F(UninstallerFiles, OtherUninstallersGoNowAndNothingOfTheRunningProgram) {
  const std::string current = Installation("Current"), earlier = Installation("Earlier");
  const std::string running = Dir / "Downloads\\UNINST.EXE";
  WriteTextFile(running, "a copy started from elsewhere");
  TQLUninstallerOutcome outcome = RemoveUninstallers({current, earlier}, running, Safety);
  EXPECT_FALSE(outcome.OwnFileQueued);
  EXPECT_FALSE(outcome.OthersQueued);
  EXPECT_FALSE(PathExists(current));
  EXPECT_FALSE(PathExists(earlier));
  EXPECT_TRUE(PathExists(running));
  EXPECT_FALSE(Pending(running));
  EXPECT_FALSE(Pending(Dir / "Downloads"));
}

TEST_F(UninstallerFiles, TheRunningUninstallerGoesAtTheNextStart) {
  const std::string current = Installation("Current"), earlier = Installation("Earlier");
  WriteTextFile(earlier + "\\mine.txt", "the user's");
  std::string running = current + "\\uninst\\uninst.exe";  // the same file in other letters
  TQLUninstallerOutcome outcome = RemoveUninstallers({current, earlier}, running, Safety);
  EXPECT_TRUE(outcome.OwnFileQueued);
  EXPECT_FALSE(outcome.OthersQueued);
  EXPECT_TRUE(Pending(running));
  EXPECT_TRUE(Pending(current + "\\UNINST"));
  EXPECT_TRUE(Pending(current));
  EXPECT_FALSE(PathExists(current + "\\UNINST\\UNINST.000"));
  EXPECT_FALSE(PathExists(earlier + "\\UNINST"));
  EXPECT_EQ("the user's", ReadTextFile(earlier + "\\mine.txt"));  // the folder stays for it
}

TEST_F(UninstallerFiles, AnUninstallerInUseIsLeftToTheNextStart) {
  const std::string earlier = Installation("Earlier");
  const std::string uninstaller = earlier + "\\UNINST\\UNINST.EXE";
  HANDLE held = CreateFileA(uninstaller.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  TQLUninstallerOutcome outcome = RemoveUninstallers({earlier}, Dir / "elsewhere.exe", Safety);
  CloseHandle(held);
  EXPECT_TRUE(outcome.OthersQueued);
  EXPECT_TRUE(Pending(uninstaller));
  EXPECT_TRUE(Pending(earlier + "\\UNINST"));
  EXPECT_TRUE(Pending(earlier));
}

TEST_F(UninstallerFiles, AProtectedInstallationFolderIsNeverQueued) {
  const std::string windows = GetSpecialFolderPath(CSIDL_WINDOWS);
  ASSERT_FALSE(windows.empty());
  TQLUninstallerOutcome outcome = RemoveUninstallers({windows}, windows + "\\UNINST\\UNINST.EXE", Safety);
  EXPECT_TRUE(outcome.OwnFileQueued);
  EXPECT_TRUE(Pending(windows + "\\UNINST"));
  EXPECT_FALSE(Pending(windows));
}

}  // namespace
