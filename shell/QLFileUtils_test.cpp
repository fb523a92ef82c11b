#include "shell/QLFileUtils.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "archive/QLCatDiskWin.h"
#include "shell/QLPlatform.h"
#include "tests/support/TempFolder.h"

namespace {

TDateTime LocalTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
  TQLDateFields fields;
  fields.Year = Year, fields.Month = Month, fields.Day = Day;
  fields.Hour = Hour, fields.Minute = Minute, fields.Second = Second;
  TDateTime d = 0;
  EXPECT_TRUE(EncodeDateTime(fields, d));
  return d;
}

// Last-write time as the system stores it, in local time.
SYSTEMTIME RawLocalWriteTime(const std::string& Path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  SYSTEMTIME st{};
  FILETIME local;
  if (GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &data) &&
      FileTimeToLocalFileTime(&data.ftLastWriteTime, &local))
    FileTimeToSystemTime(&local, &st);
  return st;
}

std::string Upper(std::string Text) {
  CharUpperBuffA(&Text[0], DWORD(Text.size()));
  return Text;
}

// Copies Source onto Dest and checks what the copy carries; leaves both
// files with normal attributes so that the temporary folder can go.
void ExpectCopied(const std::string& Source, const std::string& Dest, DWORD Attributes, TDateTime Time) {
  EXPECT_EQ(CopyFileWithTime(Source, Dest), cfCopied);
  EXPECT_EQ(ReadTextFile(Dest), ReadTextFile(Source));
  EXPECT_EQ(GetFileAttributesA(Dest.c_str()), Attributes);
  EXPECT_EQ(FileDateTimeOf(Dest), Time);
  SetFileAttributesA(Dest.c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA(Source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

class FileUtilsTest : public ::testing::Test {
 protected:
  void TearDown() override { SetNTFamilyOverride(std::nullopt); }
  TTempFolder Temp;
};

TEST_F(FileUtilsTest, CopyOntoItselfGivesThreeAndLeavesTheFileAlone) {
  std::string path = Temp / "same.txt";
  WriteTextFile(path, "original");
  ASSERT_TRUE(SetFileDateTime(path, LocalTime(2021, 3, 4, 5, 6, 8)));
  TDateTime before = FileDateTimeOf(path);

  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(Temp.Path().c_str()));
  EXPECT_EQ(CopyFileWithTime("same.txt", Upper(path)), cfCopyFailed);
  EXPECT_EQ(CopyFileWithTime(Upper(path), ".\\Same.TXT"), cfCopyFailed);
  SetCurrentDirectoryA(previous);

  EXPECT_EQ(ReadTextFile(path), "original");
  EXPECT_EQ(FileDateTimeOf(path), before);
}

TEST_F(FileUtilsTest, CopyKeepsTimeAndAttributesAndCreatesTheFolders) {
  std::string source = Temp / "source.bin";
  std::string dest = Temp / "a\\b\\c\\dest.bin";
  WriteTextFile(source, "payload");
  ASSERT_TRUE(SetFileDateTime(source, LocalTime(2019, 12, 31, 23, 59, 58)));
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

  EXPECT_EQ(CopyFileWithTime(Temp / "missing.bin", dest), cfSourceMissing);
  EXPECT_FALSE(DirectoryExists(Temp / "a"));
  ExpectCopied(source, dest, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, LocalTime(2019, 12, 31, 23, 59, 58));
}

TEST_F(FileUtilsTest, AReadOnlyDestinationIsReplacedWithTheSourcesAttributesAndTime) {
  std::string source = Temp / "new.txt";
  std::string dest = Temp / "old.txt";
  WriteTextFile(source, "new content");
  WriteTextFile(dest, "old");
  // An odd second: the copy carries the time at the 2-second DOS granularity.
  ASSERT_TRUE(SetFileDateTime(source, LocalTime(2022, 7, 8, 9, 10, 11)));
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  SYSTEMTIME before = RawLocalWriteTime(source);
  EXPECT_EQ(before.wSecond, 11);
  ExpectCopied(source, dest, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, LocalTime(2022, 7, 8, 9, 10, 10));
  SYSTEMTIME written = RawLocalWriteTime(dest);
  EXPECT_EQ(written.wMinute, 10);
  EXPECT_EQ(written.wSecond, 10);
}

TEST_F(FileUtilsTest, CopyReportsADestinationInUseAndAFailedCopy) {
  std::string source = Temp / "s.txt";
  std::string dest = Temp / "d.txt";
  WriteTextFile(source, "s");
  WriteTextFile(dest, "d");
  {
    HANDLE held = CreateFileA(dest.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyFileWithTime(source, dest), cfDestNotDeleted);
    CloseHandle(held);
  }
  EXPECT_EQ(ReadTextFile(dest), "d");
  {
    HANDLE held = CreateFileA(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyFileWithTime(source, dest), cfCopyFailed);
    CloseHandle(held);
  }
  // A drive that is not there: no folder can be made, so the copy fails.
  ASSERT_EQ(GetDriveTypeA("Q:\\"), UINT(DRIVE_NO_ROOT_DIR));
  EXPECT_FALSE(ForceDirectories("Q:\\Folder\\Sub"));
  EXPECT_EQ(CopyFileWithTime(source, "Q:\\Folder\\d.txt"), cfCopyFailed);
}

TEST_F(FileUtilsTest, FileTimesMatchTheExtractionsTimeAtTwoSecondGranularity) {
  std::string path = Temp / "dated.txt";
  WriteTextFile(path, "12345");
  ASSERT_TRUE(SetFileDateTime(path, LocalTime(2024, 5, 17, 13, 45, 30)));
  EXPECT_EQ(FileDateTimeOf(path), LocalTime(2024, 5, 17, 13, 45, 30));
  ASSERT_TRUE(SetFileDateTime(path, LocalTime(2024, 1, 2, 3, 4, 59)));  // winter time as well
  EXPECT_EQ(FileDateTimeOf(path), LocalTime(2024, 1, 2, 3, 4, 58));
  EXPECT_EQ(FileSizeOf(path), 5);
  EXPECT_EQ(FileDateTimeOf(Temp / "none.txt"), 0);
  EXPECT_EQ(FileSizeOf(Temp / "none.txt"), -1);
  EXPECT_EQ(FileSizeOf(""), -1);
}

TEST_F(FileUtilsTest, FullPathOfIsTheAbsoluteForm) {
  EXPECT_EQ(FullPathOf(""), "");
  EXPECT_EQ(FullPathOf("C:\\One\\..\\Two\\.\\file.txt"), "C:\\Two\\file.txt");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(Temp.Path().c_str()));
  EXPECT_EQ(FullPathOf("sub\\name.txt"), Temp / "sub\\name.txt");
  SetCurrentDirectoryA(previous);
}

TEST_F(FileUtilsTest, DeleteTreeKeepsHiddenFilesAndTheFoldersAboveThem) {
  std::string root = Temp / "tree";
  WriteTextFile(root + "\\top.txt", "x");
  WriteTextFile(root + "\\locked.txt", "x");
  SetFileAttributesA((root + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteTextFile(root + "\\plain\\deep\\a.txt", "x");
  WriteTextFile(root + "\\keep\\visible.txt", "x");
  WriteTextFile(root + "\\keep\\secret.txt", "x");
  SetFileAttributesA((root + "\\keep\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

  DeleteTree(root);
  EXPECT_FALSE(PathExists(root + "\\top.txt"));
  EXPECT_FALSE(PathExists(root + "\\locked.txt"));
  EXPECT_FALSE(PathExists(root + "\\plain"));
  EXPECT_FALSE(PathExists(root + "\\keep\\visible.txt"));
  EXPECT_TRUE(FileExists(root + "\\keep\\secret.txt"));
  SetFileAttributesA((root + "\\keep\\secret.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

  std::string plain = Temp / "plain\\";
  WriteTextFile(plain + "one\\two\\f.txt", "x");
  DeleteTree(plain);  // with a trailing separator
  EXPECT_FALSE(PathExists(plain));
  DeleteTree(Temp / "never-there");
  DeleteTree("");
  EXPECT_TRUE(DirectoryExists(Temp.Path()));
}

TEST_F(FileUtilsTest, SpecialFoldersAreTheShellsFolders) {
  char expected[MAX_PATH] = {};
  for (int csidl : {2, 16, 23, 25, 38}) {
    SCOPED_TRACE(csidl);
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, expected, csidl, FALSE));
    EXPECT_EQ(GetSpecialFolderPath(csidl), expected);
  }
  EXPECT_NE(GetSpecialFolderPath(16), GetSpecialFolderPath(25));
  EXPECT_NE(GetSpecialFolderPath(2), GetSpecialFolderPath(23));
  EXPECT_EQ(GetSpecialFolderPath(0x7F), "");
}

// "ProgramFilesDir" of the 95/98/Me branch, set for one test and restored.
class ProgramFilesDirValue {
 public:
  ProgramFilesDirValue() {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &FKey, nullptr);
    DWORD size = sizeof(FSaved);
    FHadValue = RegQueryValueExA(FKey, "ProgramFilesDir", nullptr, nullptr, FSaved, &size) == ERROR_SUCCESS;
    FSize = size;
  }
  ~ProgramFilesDirValue() {
    if (FHadValue)
      RegSetValueExA(FKey, "ProgramFilesDir", 0, REG_SZ, FSaved, FSize);
    else
      RegDeleteValueA(FKey, "ProgramFilesDir");
    RegCloseKey(FKey);
  }
  void Set(const std::string& Text) {
    RegSetValueExA(FKey, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(Text.c_str()),
                   DWORD(Text.size() + 1));
  }
  void Remove() { RegDeleteValueA(FKey, "ProgramFilesDir"); }

 private:
  HKEY FKey = nullptr;
  BYTE FSaved[MAX_PATH * 2] = {};
  DWORD FSize = 0;
  bool FHadValue = false;
};

TEST_F(FileUtilsTest, ProgramFilesFolderOnBothFamilies) {
  SetNTFamilyOverride(true);
  EXPECT_EQ(GetProgramFilesFolder(), GetSpecialFolderPath(38));

  SetNTFamilyOverride(false);
  ProgramFilesDirValue value;
  value.Set("D:\\Apps\\Programs");
  EXPECT_EQ(GetProgramFilesFolder(), "D:\\Apps\\Programs");
  value.Set("D:\\Apps\\\\Programs\\");  // never a doubled or trailing separator
  EXPECT_EQ(GetProgramFilesFolder(), "D:\\Apps\\Programs");
  value.Set("E:");
  EXPECT_EQ(GetProgramFilesFolder(), "E:\\");
  value.Remove();
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(GetProgramFilesFolder(), DefaultProgramFilesFolder(windows));
  EXPECT_EQ(GetProgramFilesFolder(), std::string(1, windows[0]) + ":\\Program Files");
}

TEST_F(FileUtilsTest, DefaultProgramFilesFolderFallsBackToTheDriveRoot) {
  EXPECT_EQ(DefaultProgramFilesFolder("C:\\windows"), "C:\\Program Files");
  // No drive Q: here, so no Program Files folder on it either.
  ASSERT_EQ(GetDriveTypeA("Q:\\"), UINT(DRIVE_NO_ROOT_DIR));
  EXPECT_EQ(DefaultProgramFilesFolder("Q:\\WINDOWS"), "Q:\\");
  EXPECT_EQ(DefaultProgramFilesFolder(""), "");
  EXPECT_EQ(DefaultProgramFilesFolder("\\\\server\\share\\windows"), "");
}

TEST_F(FileUtilsTest, ProductVersionOfTheRunningProgramOnBothFamilies) {
  SetNTFamilyOverride(true);
  EXPECT_EQ(GetProductVersionText(), "3.1.4.15");
  SetNTFamilyOverride(false);
  EXPECT_EQ(GetProductVersionText(), "3.1.4.15");
}

TEST_F(FileUtilsTest, ShellMajorVersionIsAskedOnceAndKept) {
  unsigned major = GetShellMajorVersion();
  EXPECT_GE(major, 4u);
  EXPECT_EQ(GetShellMajorVersion(), major);
}

}  // namespace
