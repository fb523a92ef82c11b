// The destination check against the real system where the end-to-end
// tests do not reach: the profile and shell folders, a drive no drive
// answers to, a file in the way, a read-only drive (R:, where the test
// session mounts one), and that the check itself leaves nothing behind.
#include "app/QLDestinationCheck.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>

#include "shell/QLFileUtils.h"
#include "tests/support/TempFolder.h"

namespace {

using R = TQLDestinationRefusal;

R Check(const std::string& Folder) { return CheckDestination(WidePathOf(Folder), 12); }

class DestinationCheck : public ::testing::Test {
protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  TTempFolder Temp;
};

TEST_F(DestinationCheck, ShellFoldersThemselvesAreRefusedAndTheirSubfoldersAccepted) {
  const std::string profile = GetSpecialFolderPath(CSIDL_PROFILE);
  const std::string desktop = GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
  ASSERT_FALSE(profile.empty() || desktop.empty());
  EXPECT_EQ(R::Profile, Check(profile + "\\"));
  EXPECT_EQ(R::ShellFolder, Check(desktop));
  EXPECT_EQ(R::None, Check(profile + "\\Prismora"));
  EXPECT_EQ(R::None, Check(desktop + "\\Prismora"));
}

TEST_F(DestinationCheck, PlacesThatCannotBeReachedOrWritten) {
  char absent = 'Z';
  while (absent > 'D' && GetDriveTypeA((std::string(1, absent) + ":\\").c_str()) != DRIVE_NO_ROOT_DIR) --absent;
  ASSERT_GT(absent, 'D') << "every drive letter is taken";
  EXPECT_EQ(R::Unreachable, Check(std::string(1, absent) + ":\\Prismora"));
  WriteTextFile(Temp / "taken", "a file");
  EXPECT_EQ(R::FileInTheWay, Check(Temp / "taken"));
  EXPECT_EQ(R::FileInTheWay, Check(Temp / "taken\\Prismora"));
  if (GetDriveTypeA("R:\\") <= DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no read-only drive R: on this machine";
  EXPECT_EQ(R::ReadOnly, Check("R:\\Prismora"));
}

// The write test neither leaves its file nor makes the folder.
TEST_F(DestinationCheck, AnAcceptedFolderIsLeftAsItWas) {
  ASSERT_TRUE(CreateDirectoryA((Temp / "Existing").c_str(), nullptr));
  EXPECT_EQ(R::None, Check(Temp / "New\\Prismora"));
  EXPECT_EQ(R::None, Check(Temp / "Existing"));
  WIN32_FIND_DATAA entry;
  for (const std::string& pattern : {Temp / "*.*", Temp / "Existing\\*.*"}) {
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
      const std::string name = entry.cFileName;
      EXPECT_TRUE(name == "." || name == ".." || name == "Existing") << name;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
}

}  // namespace
