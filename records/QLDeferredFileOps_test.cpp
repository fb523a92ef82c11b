#include "records/QLDeferredFileOps.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/QLFileUtils.h"
#include "shell/QLPathRules.h"
#include "shell/QLPlatform.h"
#include "tests/support/InstallState.h"
#include "tests/support/TempFolder.h"

namespace {

const char* const SessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

using TPendingOps = std::vector<std::pair<std::string, std::string>>;

std::string Narrow(const std::wstring& Wide) {
  if (Wide.empty()) return std::string();
  int length = WideCharToMultiByte(CP_ACP, 0, Wide.c_str(), int(Wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(size_t(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide.c_str(), int(Wide.size()), &text[0], length, nullptr, nullptr);
  return text;
}

// The system's pending file operations as (source, target) pairs.
TPendingOps PendingOperations() {
  TPendingOps ops;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return ops;
  DWORD size = 0, type = 0;
  std::vector<wchar_t> data;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    data.assign(size / sizeof(wchar_t) + 2, L'\0');
    RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  }
  RegCloseKey(key);
  std::vector<std::string> strings;
  for (size_t at = 0; at < size / sizeof(wchar_t);) {
    std::wstring item(data.data() + at);
    strings.push_back(Narrow(item));
    at += item.size() + 1;
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) ops.emplace_back(strings[i], strings[i + 1]);
  return ops;
}

std::string NtPath(const std::string& Path) { return "\\??\\" + Path; }

std::string WinInitPath() {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\WININIT.INI";
}

// The lines of a section as the profile functions return them.
std::vector<std::string> SectionLines(const std::string& Section, const std::string& IniFile) {
  std::vector<char> buffer(0x10000, '\0');
  GetPrivateProfileSectionA(Section.c_str(), buffer.data(), DWORD(buffer.size()), IniFile.c_str());
  std::vector<std::string> lines;
  for (const char* line = buffer.data(); *line; line += strlen(line) + 1) lines.emplace_back(line);
  return lines;
}

// A section of Count lines "Kxxxxx=" padded to LineLength characters.
std::string BigSection(int Count, size_t LineLength) {
  std::string text = "[rename]\r\n";
  for (int i = 0; i < Count; ++i) {
    std::string line = "K" + std::to_string(100000 + i) + "=";
    line.resize(LineLength, 'v');
    text += line + "\r\n";
  }
  return text + "[other]\r\nkey=value\r\n";
}

class DeferredFileOpsTest : public ::testing::Test {
 protected:
  // Other programs of the test run (a setup on the 95/98/Me branch) may
  // have left a WININIT.INI behind: every test starts without one.
  void SetUp() override {
    ClearPendingOperations();
    DeleteFileIfExists(WinInitPath());
  }
  void TearDown() override {
    ClearPendingOperations();
    DeleteFileIfExists(WinInitPath());
    SetNTFamilyOverride(std::nullopt);
  }
  TTempFolder Temp;
};

TEST_F(DeferredFileOpsTest, OnTheNTFamilyADeleteBecomesAPendingOperation) {
  SetNTFamilyOverride(true);
  std::string uninstaller = Temp / "UNINST\\UNINST.EXE";
  WriteTextFile(uninstaller, "MZ");
  DeleteFileAtReboot(uninstaller);
  DeleteFileAtReboot(Temp / "UNINST");

  TPendingOps ops = PendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0], std::make_pair(NtPath(uninstaller), std::string()));
  EXPECT_EQ(ops[1], std::make_pair(NtPath(Temp / "UNINST"), std::string()));
  EXPECT_TRUE(FileExists(uninstaller));
  EXPECT_FALSE(PathExists(WinInitPath()));
}

TEST_F(DeferredFileOpsTest, OnTheNTFamilyACancelQueuesAReplaceBehindTheDelete) {
  SetNTFamilyOverride(true);
  std::string uninstaller = Temp / "UNINST\\UNINST.EXE";
  std::string setup = Temp / "SETUP.EXE";
  WriteTextFile(uninstaller, "old uninstaller");
  WriteTextFile(setup, "new setup");
  SetFileAttributesA(setup.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  DeleteFileAtReboot(uninstaller);
  CancelDeleteAtReboot(uninstaller, setup);

  std::string copy = Temp / "UNINST\\UNINST.000";
  EXPECT_EQ(ReadTextFile(copy), "new setup");
  DWORD attributes = GetFileAttributesA(copy.c_str());
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
  TPendingOps ops = PendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0], std::make_pair(NtPath(uninstaller), std::string()));
  EXPECT_EQ(ops[1], std::make_pair(NtPath(copy), "!" + NtPath(uninstaller)));
  SetFileAttributesA(setup.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DeferredFileOpsTest, TheReplacementTakesTheFirstFreeNumber) {
  SetNTFamilyOverride(true);
  std::string uninstaller = Temp / "UNINST.EXE";
  WriteTextFile(Temp / "UNINST.000", "");
  WriteTextFile(Temp / "UNINST.001", "");
  WriteTextFile(Temp / "SETUP.EXE", "setup");
  EXPECT_EQ(ReplacementCandidateOf(uninstaller), Temp / "UNINST.002");
  EXPECT_EQ(ReplacementCandidateOf(Temp / "NOEXT"), Temp / "NOEXT.000");
  EXPECT_EQ(ReplacementCandidateOf(Temp / "dir.d\\NOEXT"), Temp / "dir.d\\NOEXT.000");

  DeleteFileAtReboot(uninstaller);
  CancelDeleteAtReboot(uninstaller, Temp / "SETUP.EXE");
  EXPECT_EQ(ReadTextFile(Temp / "UNINST.002"), "setup");
  TPendingOps ops = PendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[1], std::make_pair(NtPath(Temp / "UNINST.002"), "!" + NtPath(uninstaller)));
  // Once the replacement is queued, no delete is pending any more.
  EXPECT_FALSE(IsDeletePendingAtReboot(uninstaller));
}

TEST_F(DeferredFileOpsTest, NothingIsQueuedWhenNoDeleteIsPending) {
  SetNTFamilyOverride(true);
  const std::string uninstaller = Temp / "UNINST.EXE", other = Temp / "OTHER.EXE";
  WriteTextFile(uninstaller, "old");
  WriteTextFile(Temp / "SETUP.EXE", "setup");
  DeleteFileAtReboot(other);  // a delete of another file does not count
  EXPECT_FALSE(IsDeletePendingAtReboot(uninstaller));
  CancelDeleteAtReboot(uninstaller, Temp / "SETUP.EXE");
  EXPECT_FALSE(PathExists(Temp / "UNINST.000"));
  EXPECT_EQ(PendingOperations().size(), 1u);
  DeleteFileAtReboot(uninstaller);
  EXPECT_TRUE(IsDeletePendingAtReboot(uninstaller));
}

// Each path is queued once, in the order of the latest requests, whatever
// its spelling.
TEST_F(DeferredFileOpsTest, ADeleteQueuedAgainMovesToTheEnd) {
  SetNTFamilyOverride(true);
  const std::string file = Temp / "A Long Folder\\held.dll", other = Temp / "other.dll";
  WriteTextFile(file, "x");
  WriteTextFile(other, "y");
  EXPECT_TRUE(DeleteFileAtReboot(file));
  EXPECT_TRUE(DeleteFileAtReboot(other));
  EXPECT_TRUE(DeleteFileAtReboot(ShortPathOf(file)));
  TPendingOps ops = PendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].first, NtPath(other));
  EXPECT_TRUE(IsDeletePendingAtReboot(file));
}

// An installation into App withdraws every operation on App, below it, or
// deleting a folder above it; operations elsewhere stay, in order.
TEST_F(DeferredFileOpsTest, AnInstallWithdrawsWhatWouldTouchItsFolder) {
  SetNTFamilyOverride(true);
  const std::string app = Temp / "App", uninstaller = app + "\\UNINST\\UNINST.EXE";
  WriteTextFile(uninstaller, "MZ");
  WriteTextFile(app + "\\README.TXT.QLNEW", "new");
  WriteTextFile(Temp / "App2\\kept.dll", "kept");
  WriteTextFile(Temp / "Other\\kept.dll", "kept");
  DeleteFileAtReboot(Temp / "Other\\kept.dll");
  DeleteFileAtReboot(uninstaller);
  ReplaceFileAtReboot(app + "\\README.TXT.QLNEW", app + "\\README.TXT");
  DeleteFileAtReboot(Temp / "App2\\kept.dll");  // a longer name is no folder below
  DeleteFileAtReboot(ShortPathOf(app + "\\UNINST"));
  DeleteFileAtReboot(app);
  DeleteFileAtReboot(ParentFolder(app));  // a folder above
  WithdrawPendingOperations({app});
  TPendingOps ops = PendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0], std::make_pair(NtPath(Temp / "Other\\kept.dll"), std::string()));
  EXPECT_EQ(ops[1], std::make_pair(NtPath(Temp / "App2\\kept.dll"), std::string()));
  WithdrawPendingOperations({Temp / "Other", Temp / "App2"});
  EXPECT_TRUE(PendingOperations().empty());

  SetNTFamilyOverride(false);
  DeleteFileAtReboot(uninstaller);
  DeleteFileAtReboot(Temp / "Other\\kept.dll");
  WritePrivateProfileStringA("rename", ShortPathOf(app + "\\README.TXT").c_str(),
                             ShortPathOf(app + "\\README.TXT.QLNEW").c_str(), "WININIT.INI");
  WithdrawPendingOperations({app});
  EXPECT_EQ(SectionLines("rename", WinInitPath()),
            (std::vector<std::string>{"NUL=" + ShortPathOf(Temp / "Other\\kept.dll")}));
}

TEST_F(DeferredFileOpsTest, OnTheOtherFamilyTheRenameSectionGetsAndLosesTheLine) {
  SetNTFamilyOverride(false);
  std::string uninstaller = Temp / "Uninstall Folder\\UNINST.EXE";
  WriteTextFile(uninstaller, "MZ");
  std::string line = "NUL=" + ShortPathOf(uninstaller);
  ASSERT_NE(ShortPathOf(uninstaller), uninstaller);
  WritePrivateProfileStringA("rename", "C:\\NEW.DLL", "C:\\TEMP\\NEW.DLL", "WININIT.INI");

  DeleteFileAtReboot(uninstaller);
  WritePrivateProfileStringA("rename", "C:\\LAST.DLL", "C:\\TEMP\\LAST.DLL", "WININIT.INI");
  EXPECT_EQ(SectionLines("rename", WinInitPath()),
            (std::vector<std::string>{"C:\\NEW.DLL=C:\\TEMP\\NEW.DLL", line, "C:\\LAST.DLL=C:\\TEMP\\LAST.DLL"}));
  EXPECT_TRUE(PendingOperations().empty());

  CancelDeleteAtReboot(uninstaller, Temp / "SETUP.EXE");
  EXPECT_EQ(SectionLines("rename", WinInitPath()),
            (std::vector<std::string>{"C:\\NEW.DLL=C:\\TEMP\\NEW.DLL", "C:\\LAST.DLL=C:\\TEMP\\LAST.DLL"}));
  EXPECT_FALSE(PathExists(Temp / "Uninstall Folder\\UNINST.000"));
  EXPECT_TRUE(PendingOperations().empty());
}

TEST_F(DeferredFileOpsTest, LinesCompareWithoutRegardToCase) {
  std::string ini = Temp / "test.ini";
  WriteTextFile(ini, "[rename]\r\nNUL=C:\\PROGRA~1\\UNINST.EXE\r\nA=1\r\nnul=c:\\progra~1\\uninst.exe\r\n");
  AddProfileSectionLine("rename", "NUL=C:\\Progra~1\\Uninst.exe", ini);
  EXPECT_EQ(SectionLines("rename", ini).size(), 3u);

  RemoveProfileSectionLine("rename", "Nul=C:\\PROGRA~1\\UNINST.EXE", ini);  // only the first match goes
  EXPECT_EQ(SectionLines("rename", ini), (std::vector<std::string>{"A=1", "nul=c:\\progra~1\\uninst.exe"}));
  RemoveProfileSectionLine("rename", "B=2", ini);
  EXPECT_EQ(SectionLines("rename", ini), (std::vector<std::string>{"A=1", "nul=c:\\progra~1\\uninst.exe"}));
}

TEST_F(DeferredFileOpsTest, AMissingSectionOrFileIsCreated) {
  std::string ini = Temp / "other.ini";
  WriteTextFile(ini, "[boot]\r\nshell=explorer.exe\r\n");
  AddProfileSectionLine("rename", "NUL=C:\\X.TXT", ini);
  EXPECT_EQ(SectionLines("rename", ini), (std::vector<std::string>{"NUL=C:\\X.TXT"}));
  EXPECT_EQ(SectionLines("boot", ini), (std::vector<std::string>{"shell=explorer.exe"}));

  std::string fresh = Temp / "fresh.ini";
  AddProfileSectionLine("rename", "NUL=C:\\Y.TXT", fresh);
  EXPECT_EQ(SectionLines("rename", fresh), (std::vector<std::string>{"NUL=C:\\Y.TXT"}));
}

TEST_F(DeferredFileOpsTest, AnOversizedSectionIsLeftUntouched) {
  std::string ini = Temp / "big.ini";
  std::string text = BigSection(400, 99);  // 40,000 bytes of lines
  WriteTextFile(ini, text);
  AddProfileSectionLine("rename", "NUL=C:\\X.TXT", ini);
  EXPECT_EQ(ReadTextFile(ini), text);
  RemoveProfileSectionLine("rename", "K100000=" + std::string(91, 'v'), ini);
  EXPECT_EQ(ReadTextFile(ini), text);
}

TEST_F(DeferredFileOpsTest, ASectionThatWouldOutgrowTheBufferIsLeftUntouched) {
  // 320 lines of 99 characters: 32,000 bytes with their zero bytes, so the
  // block with one more line of n characters takes 32,000 + n + 2 bytes.
  std::string ini = Temp / "full.ini";
  std::string text = BigSection(320, 99);
  WriteTextFile(ini, text);
  ASSERT_EQ(SectionLines("rename", ini).size(), 320u);

  AddProfileSectionLine("rename", "NUL=" + std::string(762, 'x'), ini);  // 32,768 bytes
  EXPECT_EQ(ReadTextFile(ini), text);
  AddProfileSectionLine("rename", "NUL=" + std::string(761, 'x'), ini);  // exactly 32,767 bytes
  std::vector<std::string> lines = SectionLines("rename", ini);
  ASSERT_EQ(lines.size(), 321u);
  EXPECT_EQ(lines.back(), "NUL=" + std::string(761, 'x'));
  EXPECT_EQ(lines.front(), "K100000=" + std::string(91, 'v'));
  EXPECT_EQ(SectionLines("other", ini), (std::vector<std::string>{"key=value"}));
}

TEST_F(DeferredFileOpsTest, ShortPathOfFallsBackToTheLongForm) {
  std::string path = Temp / "A Long Folder Name\\A Long File Name.text";
  WriteTextFile(path, "x");
  std::string shortPath = ShortPathOf(path);
  EXPECT_NE(shortPath, path);
  EXPECT_EQ(shortPath.find(' '), std::string::npos);
  char longPath[MAX_PATH] = {};
  ASSERT_GT(GetLongPathNameA(shortPath.c_str(), longPath, MAX_PATH), 0u);
  EXPECT_EQ(longPath, path);

  EXPECT_EQ(ShortPathOf(Temp / "Not There\\Missing File.text"), Temp / "Not There\\Missing File.text");
}

}  // namespace
