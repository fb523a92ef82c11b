// The destination check against the real system: its own folders, the code
// page, unreachable drives and shares, a file in the way, a read-only drive
// (R:, where the test session mounts one), and that the check itself leaves
// nothing behind.
#include "app/QLDestinationCheck.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>

#include "shell/QLFileUtils.h"
#include "tests/support/DialogScript.h"
#include "tests/support/TempFolder.h"

namespace {

using R = TQLDestinationRefusal;

constexpr size_t kLongestName = 12;

R Check(const std::string& Folder) { return CheckDestination(WidePathOf(Folder), kLongestName); }

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

// A drive letter no drive answers to.
std::string AbsentDrive() {
  for (char letter = 'Z'; letter > 'D'; --letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) return root;
  }
  return "";
}

// Whether Folder holds nothing at all.
bool Empty(const std::string& Folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((Folder + "*").c_str(), &entry);
  bool empty = true;
  if (find == INVALID_HANDLE_VALUE) return true;
  do empty = empty && (std::string(entry.cFileName) == "." || std::string(entry.cFileName) == "..");
  while (FindNextFileA(find, &entry));
  FindClose(find);
  return empty;
}

class DestinationCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  TTempFolder Temp;
};

TEST_F(DestinationCheck, TheSystemsOwnFoldersAreRefused) {
  const std::string documents = GetSpecialFolderPath(CSIDL_PERSONAL);
  const std::string profile = GetSpecialFolderPath(CSIDL_PROFILE);
  const std::string programFiles = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
  ASSERT_FALSE(documents.empty() || profile.empty() || programFiles.empty());
  EXPECT_EQ(R::SystemFolder, Check(WindowsFolder()));
  EXPECT_EQ(R::SystemFolder, Check(WindowsFolder() + "\\Prismora"));
  EXPECT_EQ(R::SystemFolder, Check(WindowsFolder() + "\\system32\\Prismora"));
  EXPECT_EQ(R::Root, Check("C:\\"));
  EXPECT_EQ(R::ProgramFiles, Check(programFiles));
  EXPECT_EQ(R::Profile, Check(profile + "\\"));
  EXPECT_EQ(R::ShellFolder, Check(documents));
  EXPECT_EQ(R::ShellFolder, Check(GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY)));
  // Inside them is where a program belongs.
  EXPECT_EQ(R::None, Check(programFiles + "\\Prismora 1.0 SE"));
  EXPECT_EQ(R::None, Check(documents + "\\Prismora"));
}

TEST_F(DestinationCheck, NamesAndLengthsTheInstallationCannotUse) {
  EXPECT_EQ(R::OutsideCodePage, CheckDestination(TQLWideText(L"C:\\\u4e0b\u8f7d\\Prismora"), kLongestName));
  EXPECT_EQ(R::NotFullPath, Check("Prismora"));
  const std::string deep = Temp / std::string(MaxDestinationLength(kLongestName) - Temp.Path().size(), 'a');
  EXPECT_EQ(R::None, Check(deep));
  EXPECT_EQ(R::TooLong, Check(deep + "b"));
  EXPECT_EQ(R::TooLong, CheckDestination(WidePathOf(deep), kLongestName + 20));
}

TEST_F(DestinationCheck, PlacesThatCannotBeReachedOrWritten) {
  EXPECT_EQ(R::Unreachable, Check("\\\\nohost\\share\\x"));
  const std::string absent = AbsentDrive();
  ASSERT_FALSE(absent.empty());
  EXPECT_EQ(R::Unreachable, Check(absent + "Prismora"));
  WriteTextFile(Temp / "taken", "a file");
  EXPECT_EQ(R::FileInTheWay, Check(Temp / "taken"));
  EXPECT_EQ(R::FileInTheWay, Check(Temp / "taken\\Prismora"));
  if (GetDriveTypeA("R:\\") <= DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no read-only drive R: on this machine";
  EXPECT_EQ(R::ReadOnly, Check("R:\\Prismora"));
}

// The write test neither leaves its file nor makes the folder.
TEST_F(DestinationCheck, AnAcceptedFolderIsLeftAsItWas) {
  EXPECT_EQ(R::None, Check(Temp / "New\\Prismora"));
  EXPECT_FALSE(PathExists(Temp / "New"));
  EXPECT_TRUE(Empty(Temp.Path()));
  ASSERT_TRUE(CreateDirectoryA((Temp / "Existing").c_str(), nullptr));
  EXPECT_EQ(R::None, Check(Temp / "Existing"));
  EXPECT_TRUE(Empty(Temp / "Existing\\"));
}

TEST_F(DestinationCheck, ARefusalIsToldAndAnAcceptedFolderIsNot) {
  TDialogScript script({mrOk});
  EXPECT_FALSE(DestinationAccepted(WidePathOf(WindowsFolder()), kLongestName));
  EXPECT_TRUE(DestinationAccepted(WidePathOf(Temp / "Prismora"), kLongestName));
  ASSERT_EQ(1u, script.Requests.size());
  EXPECT_EQ(mtError, script.Requests[0].Kind);
  EXPECT_EQ(DestinationRefusalMessage(R::SystemFolder, kLongestName), script.Requests[0].Text);
}

}  // namespace
