#include "shell/QLFolderSafety.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "shell/QLFileUtils.h"

namespace {

class FolderSafety : public ::testing::Test {
protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  static std::string Windows() {
    char path[MAX_PATH] = {};
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
  }
};

TEST_F(FolderSafety, SystemAndShellFoldersAndWhatIsAboveThemStay) {
  TQLFolderSafety safety;
  const std::string programFiles = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
  const std::string profile = GetSpecialFolderPath(CSIDL_PROFILE);
  ASSERT_FALSE(programFiles.empty());
  ASSERT_FALSE(profile.empty());
  for (const std::string& folder :
       {std::string("C:\\"), std::string("c:"), programFiles, programFiles + "\\", Windows(), Windows() + "\\system32",
        profile, profile.substr(0, profile.rfind('\\')), GetSpecialFolderPath(CSIDL_PERSONAL),
        GetSpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY), profile + "\\Downloads", std::string("\\\\SERVER\\SHARE")})
    EXPECT_FALSE(safety.MayRemove(folder)) << folder;
  EXPECT_FALSE(safety.MayRemove(""));
}

// Every folder the shell names by number is protected, whether the list
// came from the folder numbers or from the folder identifiers.
TEST_F(FolderSafety, EveryNumberedShellFolderIsProtected) {
  TQLFolderSafety safety;
  int named = 0;
  for (int csidl = 0; csidl <= 0x3F; ++csidl) {
    const std::string place = SpecialFolderPlace(csidl);
    if (place.empty()) continue;
    ++named;
    EXPECT_FALSE(safety.MayRemove(place)) << csidl << " " << place;
  }
  EXPECT_GT(named, 20);
}

TEST_F(FolderSafety, TheSameFolderInOtherLettersOrShortNamesStays) {
  TQLFolderSafety safety;
  std::string programFiles = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
  CharLowerBuffA(&programFiles[0], DWORD(programFiles.size()));
  EXPECT_FALSE(safety.MayRemove(programFiles));
  char shortForm[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameA(programFiles.c_str(), shortForm, MAX_PATH));
  EXPECT_FALSE(safety.MayRemove(shortForm)) << shortForm;
  EXPECT_TRUE(SamePath(shortForm, GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + "\\"));
}

TEST_F(FolderSafety, FoldersBelowThemMayGo) {
  TQLFolderSafety safety;
  EXPECT_TRUE(safety.MayRemove(GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + "\\Prismora 1.0 SE"));
  EXPECT_TRUE(safety.MayRemove(GetSpecialFolderPath(CSIDL_PERSONAL) + "\\Prismora\\UNINST"));
  EXPECT_TRUE(safety.MayRemove("D:\\Apps\\Prismora"));
  EXPECT_FALSE(SamePath("D:\\Apps\\Prismora", "D:\\Apps\\Prismora2"));
  EXPECT_FALSE(SamePath("", ""));
}

// One look per folder gives what the system's own long-path function gives,
// for paths written in short names, in other letters, with names not there,
// with wildcards, and for roots; asked in one run, so that what a path
// leaves behind cannot mislead the next.
TEST_F(FolderSafety, LongPathsAsTheSystemGivesThem) {
  const std::string folder = GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + "\\Prismora Long Paths\\Data Folder";
  ASSERT_TRUE(ForceDirectories(folder));
  char shortForm[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameA(folder.c_str(), shortForm, MAX_PATH));
  const std::string brief = shortForm;
  ASSERT_NE(folder, brief);
  std::string lower = folder;
  CharLowerBuffA(&lower[0], DWORD(lower.size()));

  TQLLongPaths longPaths;
  for (const std::string& path :
       {brief + "\\missing\\deeper", brief, brief + "\\", lower, brief + "\\..", brief + "\\*", brief + "\\Dat?",
        std::string("C:\\"), std::string("c:"), std::string("C:\\windows\\win.ini"), brief + "\\missing",
        std::string("Q:\\no drive\\x")}) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD n = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    const std::string expected = n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
    std::string got = longPaths.Of(path);
    EXPECT_EQ(0, lstrcmpiA(expected.c_str(), got.c_str())) << path << " -> " << got << ", expected " << expected;
  }
  EXPECT_EQ(folder, longPaths.Of(brief));
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA(folder.substr(0, folder.rfind('\\')).c_str());
}

// The installation's many records: each path in the form ComparablePathOf
// gives, however its folder is spelt, with one folder lookup reused.
TEST_F(FolderSafety, RecordedPathsCompareLikeSinglePaths) {
  const std::string programFiles = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
  const std::string folder = programFiles + "\\Prismora Comparable Paths";
  ASSERT_TRUE(ForceDirectories(folder));
  char shortForm[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameA(folder.c_str(), shortForm, MAX_PATH));
  std::string lower = folder;
  CharLowerBuffA(&lower[0], DWORD(lower.size()));

  TQLComparablePaths comparable;
  const std::string expected = ComparablePathOf(folder + "\\readme.txt");
  EXPECT_EQ(expected, comparable.Of(folder + "\\README.TXT"));
  EXPECT_EQ(expected, comparable.Of(std::string(shortForm) + "\\readme.txt"));
  EXPECT_EQ(expected, comparable.Of(lower + "\\ReadMe.txt"));
  EXPECT_NE(expected, comparable.Of(folder + "\\readme.txt.bak"));
  EXPECT_EQ(ComparablePathOf("C:\\boot.ini"), comparable.Of("c:\\BOOT.INI"));
  EXPECT_EQ(ComparablePathOf("C:\\"), comparable.Of("C:\\"));
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
