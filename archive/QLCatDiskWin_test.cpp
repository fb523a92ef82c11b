#include "archive/QLCatDiskWin.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>

#include "archive/QLMemoryStream.h"
#include "archive/QLThreadCount.h"
#include "shell/QLWinHandles.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/DialogScript.h"
#include "tests/support/TempFolder.h"
#include "ui/QLDialogs.h"

namespace {

struct TRun {
  std::vector<std::tuple<std::string, int32_t, TDateTime>> Extracted;
  std::vector<int32_t> Overall;
  bool Extract(const std::vector<uint8_t>& Bytes, const std::string& Dest, const std::string& DateText = "") {
    TQLMemoryStream stream;
    stream.Attach(Bytes.data(), int32_t(Bytes.size()));
    return ExtractArchive(
        Dest, stream, [this](const std::string& n, int32_t s, TDateTime d) { Extracted.emplace_back(n, s, d); },
        DateText,
        [this](int32_t p, int32_t, bool overall) {
          if (overall) Overall.push_back(p);
        },
        ArchiveIdentifier);
  }
};

TTestArchive ThreeFiles() {
  TTestArchive a;
  a.Entries = {{"one.txt", "first"}, {"two.txt", "second"}, {"three.txt", "third"}};
  return a;
}

TQLFileHandle HoldWithoutDeleteSharing(const std::string& Path) {
  return TQLFileHandle(
      CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TQLDateFields LocalWriteTime(const std::string& Path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &data);
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

class WindowsExtraction : public ::testing::Test {
protected:
  void SetUp() override {
    SuppressCreateErrors = false;
    SetExtractThreadCount(QL_TEST_EXTRACT_THREADS);
  }
  void TearDown() override { SetExtractThreadCount(0); }
  TTempFolder Dir;
  std::string Dest() const { return Dir / "out"; }
  std::string Target(const std::string& Name) const { return Dest() + "\\" + Name; }
};

TEST_F(WindowsExtraction, ReadOnlyHiddenFileInTheWayIsReplacedWithoutAPrompt) {
  WriteTextFile(Target("two.txt"), "old");
  SetFileAttributesA(Target("two.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  TDialogScript script({});
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(ThreeFiles()), Dest()));
  EXPECT_TRUE(script.Requests.empty());
  EXPECT_EQ("second", ReadTextFile(Target("two.txt")));
  EXPECT_EQ(DWORD(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA(Target("two.txt").c_str()) & ~DWORD(FILE_ATTRIBUTE_NORMAL));
}

TEST_F(WindowsExtraction, HeldFileIgnoreKeepsItAndGoesOn) {
  WriteTextFile(Target("two.txt"), "old");
  TQLFileHandle held = HoldWithoutDeleteSharing(Target("two.txt"));
  ASSERT_TRUE(held);
  TDialogScript script({mrIgnore});
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(ThreeFiles()), Dest()));
  ASSERT_EQ(1u, script.Requests.size());
  EXPECT_EQ("The file cannot be extract:\r\r" + Target("two.txt"), script.Requests[0].Text);
  EXPECT_EQ(mtError, script.Requests[0].Kind);
  EXPECT_EQ(TMsgDlgButtons(mbCancel | mbRetry | mbIgnore), script.Requests[0].Buttons);
  held.Reset();
  EXPECT_EQ("old", ReadTextFile(Target("two.txt")));
  EXPECT_EQ("third", ReadTextFile(Target("three.txt")));
  // The skipped file is not reported, but the overall count still moves on.
  ASSERT_EQ(2u, run.Extracted.size());
  EXPECT_EQ(Target("three.txt"), std::get<0>(run.Extracted[1]));
  EXPECT_EQ((std::vector<int32_t>{-1, 0, 1, 2, 3, 4}), run.Overall);
}

TEST_F(WindowsExtraction, HeldFileRetrySucceedsOnceReleased) {
  WriteTextFile(Target("one.txt"), "old");
  TQLFileHandle held = HoldWithoutDeleteSharing(Target("one.txt"));
  TDialogScript script({mrRetry, mrRetry});
  script.OnAsk = [&](size_t asked) {
    if (asked == 2) held.Reset();  // the user closes the other program
  };
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(ThreeFiles()), Dest()));
  EXPECT_EQ(2u, script.Requests.size());
  EXPECT_EQ("first", ReadTextFile(Target("one.txt")));
  EXPECT_EQ(3u, run.Extracted.size());
}

TEST_F(WindowsExtraction, HeldFileCancelStopsTheRun) {
  WriteTextFile(Target("two.txt"), "old");
  TQLFileHandle held = HoldWithoutDeleteSharing(Target("two.txt"));
  TDialogScript script({mrCancel});
  TRun run;
  EXPECT_FALSE(run.Extract(BuildArchive(ThreeFiles()), Dest()));
  EXPECT_EQ(1u, run.Extracted.size());
  EXPECT_FALSE(PathExists(Target("three.txt")));
}

TEST_F(WindowsExtraction, FolderInTheWayPromptsOnceWithAll) {
  TTestArchive a;
  a.Entries = {{"a.txt", "1"}, {"b.txt", "2"}, {"c.txt", "3"}};
  CreateDirectoryA(Dest().c_str(), nullptr);
  for (const char* name : {"a.txt", "b.txt"}) CreateDirectoryA(Target(name).c_str(), nullptr);
  TDialogScript script({mrAll});
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  ASSERT_EQ(1u, script.Requests.size());
  EXPECT_EQ("File Cannt create:\r\r" + Target("a.txt"), script.Requests[0].Text);
  EXPECT_EQ(TMsgDlgButtons(mbOK | mbAll), script.Requests[0].Buttons);
  EXPECT_EQ(0, std::get<1>(run.Extracted[1]));
  EXPECT_EQ("3", ReadTextFile(Target("c.txt")));
}

TEST_F(WindowsExtraction, FilesGetTheArchiveDateAsLocalTime) {
  TTestArchive a;
  a.Entries = {{"dated.txt", "x"}, {"old.txt", "y"}, {"future.txt", "z"}};
  EncodeDateTime({2007, 7, 14, 16, 45, 20, 0}, a.Entries[0].Date);
  EncodeDateTime({1980, 6, 1, 12, 0, 0, 0}, a.Entries[1].Date);
  EncodeDateTime({2099, 1, 1, 12, 0, 0, 0}, a.Entries[2].Date);
  TDialogScript script({});
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  TQLDateFields f = LocalWriteTime(Target("dated.txt"));
  EXPECT_EQ(2007, f.Year);
  EXPECT_EQ(7, f.Month);
  EXPECT_EQ(16, f.Hour);
  EXPECT_EQ(45, f.Minute);
  EXPECT_EQ(20, f.Second);
  // 1980 and 2099 are left with the time of their creation.
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, LocalWriteTime(Target("old.txt")).Year);
  EXPECT_EQ(now.wYear, LocalWriteTime(Target("future.txt")).Year);
  EXPECT_FALSE(SetFileDateTime(Target("old.txt"), a.Entries[1].Date));
  EXPECT_FALSE(SetFileDateTime(Dir / "missing.txt", a.Entries[0].Date));
}

TEST_F(WindowsExtraction, DateTextGivesEveryFileThatTime) {
  EXPECT_STREQ("", FixedFileDate);
  TDialogScript script({});
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(ThreeFiles()), Dest(), "2005/04/01 10:30"));
  for (const char* name : {"one.txt", "three.txt"}) {
    TQLDateFields f = LocalWriteTime(Target(name));
    EXPECT_EQ(2005, f.Year);
    EXPECT_EQ(4, f.Month);
    EXPECT_EQ(1, f.Day);
    EXPECT_EQ(10, f.Hour);
    EXPECT_EQ(30, f.Minute);
  }
}

TEST_F(WindowsExtraction, NestedFoldersAreCreated) {
  TTestArchive a;
  a.Entries = {{"a\\b\\c\\deep.txt", "deep"}};
  TDialogScript script({});
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  EXPECT_EQ("deep", ReadTextFile(Target("a\\b\\c\\deep.txt")));
}

}  // namespace
