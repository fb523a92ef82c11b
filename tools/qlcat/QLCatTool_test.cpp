#include "tools/qlcat/QLCatTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "archive/QLCatWriter.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

struct TResult {
  int Status;
  std::string Out, Err;
};

TResult RunTool(std::vector<std::string> Args) {
  std::ostringstream out, err;
  int status = RunQLCat(Args, out, err);
  return {status, out.str(), err.str()};
}

void WriteBytes(const std::string& Path, const std::vector<uint8_t>& Bytes) {
  WriteTextFile(Path, std::string(Bytes.begin(), Bytes.end()));
}

class QLCat : public ::testing::Test {
protected:
  void SetUp() override {
    WriteTextFile(Dir / "payload/README.TXT", "Read me first.\r\n");
    WriteTextFile(Dir / "payload/bin/engine.dll", std::string(300000, '\x90') + "tail");
    WriteTextFile(Dir / "payload/bin/empty.dat", "");
    WriteTextFile(Dir / "payload/Data/deep/er/notes.txt", "notes");
  }
  TTempFolder Dir;
};

TEST_F(QLCat, PackListVerifyExtractRoundTrip) {
  TResult pack = RunTool({"pack", Dir / "payload", "-o", Dir / "setup.qlc"});
  ASSERT_EQ(0, pack.Status) << pack.Err;
  EXPECT_NE(std::string::npos, pack.Out.find("packed 4 files, 300025 bytes"));

  TResult list = RunTool({"list", Dir / "setup.qlc"});
  ASSERT_EQ(0, list.Status) << list.Err;
  // Stable order by name, backslashes, sizes.
  std::istringstream lines(list.Out);
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);) names.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ((std::vector<std::string>{"Data\\deep\\er\\notes.txt", "README.TXT", "bin\\empty.dat",
                                      "bin\\engine.dll", "4 files, 300025 bytes"}),
            names);
  EXPECT_NE(std::string::npos, list.Out.find("bin\\engine.dll\t300004\t"));

  TResult verify = RunTool({"verify", Dir / "setup.qlc"});
  EXPECT_EQ(0, verify.Status) << verify.Err;

  TResult extract = RunTool({"extract", Dir / "setup.qlc", Dir / "out"});
  ASSERT_EQ(0, extract.Status) << extract.Err;
  for (const char* name : {"README.TXT", "bin/engine.dll", "bin/empty.dat", "Data/deep/er/notes.txt"})
    EXPECT_EQ(ReadTextFile(Dir / (std::string("payload/") + name)), ReadTextFile(Dir / (std::string("out/") + name)))
        << name;
  EXPECT_TRUE(PathExists(Dir / "out/bin/empty.dat"));
}

// Dates are packed at the 2-second grid of directory entries, so that an
// installed file shows exactly the date its install record carries.
TEST_F(QLCat, DatesOnTheTwoSecondGrid) {
  const std::string path = Dir / "payload/README.TXT";
  for (int shift = 0; shift < 2; ++shift) {
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(shift));
    for (const TQLCatSource& s : CollectFolder(Dir / "payload")) {
      TQLDateFields f = DecodeDateTime(s.FileDateTime);
      EXPECT_EQ(0, f.Second % 2) << s.Name;
      EXPECT_EQ(0, f.Millisecond) << s.Name;
      EXPECT_GT(f.Year, 2000) << s.Name;
    }
  }
}

TEST_F(QLCat, LevelZeroStillRoundTrips) {
  ASSERT_EQ(0, RunTool({"pack", Dir / "payload", "-o", Dir / "stored.qlc", "-l", "0"}).Status);
  EXPECT_EQ(0, RunTool({"verify", Dir / "stored.qlc"}).Status);
  EXPECT_GT(fs::file_size(Dir / "stored.qlc"), 300000u);
}

TEST_F(QLCat, VerifyReportsAWrongCheckValueWhileExtractionGoesOn) {
  TTestArchive a;
  a.Entries = {{"a.txt", "alpha"}, {"b.txt", "beta"}};
  a.Entries[1].CheckValue = 0xDEADBEEF;
  WriteBytes(Dir / "bad.qlc", BuildArchive(a));
  TResult verify = RunTool({"verify", Dir / "bad.qlc"});
  EXPECT_EQ(1, verify.Status);
  EXPECT_NE(std::string::npos, verify.Err.find("b.txt: check value DEADBEEF")) << verify.Err;
  EXPECT_EQ(1, std::count(verify.Err.begin(), verify.Err.end(), '\n'));
  TResult extract = RunTool({"extract", Dir / "bad.qlc", Dir / "out"});
  EXPECT_EQ(0, extract.Status) << extract.Err;
  EXPECT_EQ("beta", ReadTextFile(Dir / "out/b.txt"));
}

TEST_F(QLCat, BrokenArchivesAreRefusedWithOneLine) {
  TTestArchive escape;
  escape.Entries = {{"..\\escape.txt", "x"}};
  TTestArchive count;
  count.Entries = {{"a.txt", "x"}};
  count.EntryCount = 5;
  TTestArchive foreign;
  foreign.Entries = {{"a.txt", "x"}};
  foreign.Identifier = 42;
  for (auto* a : {&escape, &count, &foreign}) {
    WriteBytes(Dir / "broken.qlc", BuildArchive(*a));
    for (const char* command : {"verify", "extract"}) {
      std::vector<std::string> args{command, Dir / "broken.qlc"};
      if (std::string(command) == "extract") args.push_back(Dir / "out");
      TResult r = RunTool(args);
      EXPECT_EQ(1, r.Status) << command;
      EXPECT_EQ(0u, r.Err.rfind("qlcat: ", 0)) << r.Err;
      EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
    }
  }
  EXPECT_FALSE(PathExists(Dir / "escape.txt"));
}

TEST_F(QLCat, BadCommandLinesAndMissingFiles) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"list"}, {"pack", Dir / "payload"}, {"pack", "-o", Dir / "x.qlc"},
           {"pack", Dir / "payload", "-o", Dir / "x.qlc", "-l", "10"},
           {"pack", Dir / "payload", "-o", Dir / "x.qlc", "-l", "fast"}, {"list", Dir / "missing.qlc"},
           {"pack", Dir / "missing", "-o", Dir / "x.qlc"}}) {
    TResult r = RunTool(args);
    EXPECT_EQ(1, r.Status);
    EXPECT_EQ(0u, r.Err.rfind("qlcat: ", 0)) << r.Err;
  }
  EXPECT_FALSE(PathExists(Dir / "x.qlc"));
}

// Files compressed on several threads are written in the same order and
// give the same archive, byte for byte, as on one.
TEST_F(QLCat, PackingOnSeveralThreadsGivesTheSameBytes) {
  uint32_t x = 3;
  for (int i = 0; i < 16; ++i) {
    std::string content;
    for (int k = 0; k < i * 70000; ++k) content += char(i % 2 ? (x = x * 1103515245u + 12345u) >> 24 : 'a' + k % 11);
    WriteTextFile(Dir / ("payload/many/f" + std::to_string(i) + ".bin"), content);
  }
  std::string archives[3];
  for (int j = 1; j <= 3; ++j) {
    std::string archive = Dir / ("j" + std::to_string(j) + ".qlc");
    TResult pack = RunTool({"pack", Dir / "payload", "-o", archive, "-j", std::to_string(j)});
    ASSERT_EQ(0, pack.Status) << pack.Err;
    EXPECT_EQ("", pack.Err);  // no progress line when the error stream is no terminal
    archives[j - 1] = ReadTextFile(archive);
  }
  EXPECT_EQ(archives[0], archives[1]);
  EXPECT_EQ(archives[0], archives[2]);
  TResult extract = RunTool({"extract", Dir / "j2.qlc", Dir / "out", "-j", "2"});
  ASSERT_EQ(0, extract.Status) << extract.Err;
  EXPECT_EQ(ReadTextFile(Dir / "payload/many/f15.bin"), ReadTextFile(Dir / "out/many/f15.bin"));
  for (const char* bad : {"0", "65", "many"})
    EXPECT_EQ(1, RunTool({"pack", Dir / "payload", "-o", Dir / "x.qlc", "-j", bad}).Status) << bad;
  EXPECT_FALSE(PathExists(Dir / "x.qlc"));
}

}  // namespace
