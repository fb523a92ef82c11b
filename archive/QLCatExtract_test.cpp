#include "archive/QLCatExtract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <tuple>

#include "archive/QLCatDiskHost.h"
#include "archive/QLMemoryStream.h"
#include "archive/QLThreadCount.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Answers the extraction's two prompts from a script and keeps their texts.
class TScriptedPrompts : public TQLExtractPrompts {
public:
  std::vector<std::string> Asked;
  TQLInUseAnswer InUse = TQLInUseAnswer::Cancel;
  bool AnswerAll = false;
  TQLInUseAnswer AskCannotExtract(const std::string& Text) override {
    Asked.push_back(Text);
    return InUse;
  }
  bool AskCannotCreate(const std::string& Text) override {
    Asked.push_back(Text);
    return AnswerAll;
  }
};

using TProgress = std::tuple<int32_t, int32_t, bool>;

struct TRun {
  TQLHostDisk Disk;
  TScriptedPrompts Prompts;
  std::vector<TProgress> Progress;
  std::vector<std::tuple<std::string, int32_t, TDateTime>> Extracted;
  std::string DateText;

  bool Extract(const std::vector<uint8_t>& Bytes, const std::string& Dest) {
    TQLMemoryStream stream;
    stream.Attach(Bytes.data(), int32_t(Bytes.size()));
    TQLExtractContext context{Disk, Prompts,
                              [this](int32_t p, int32_t m, bool o) { Progress.emplace_back(p, m, o); }, DateText};
    return ExtractArchive(Dest, stream,
                          [this](const std::string& n, int32_t s, TDateTime d) { Extracted.emplace_back(n, s, d); },
                          context, ArchiveIdentifier);
  }
};

class Extraction : public ::testing::Test {
protected:
  void SetUp() override {
    SuppressCreateErrors = false;
    SetExtractThreadCount(QL_TEST_EXTRACT_THREADS);
  }
  void TearDown() override { SetExtractThreadCount(0); }
  TTempFolder Dir;
  std::string Dest() const { return Dir / "out"; }
  std::string Shown(const std::string& Name) const { return Dest() + "\\" + Name; }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (auto& e : fs::recursive_directory_iterator(Dir.Path()))
      if (e.is_regular_file()) names.push_back(fs::relative(e.path(), Dest()).generic_string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TTestArchive Sample() {
  TTestArchive a;
  std::string big;
  for (int i = 0; i < 100000; ++i) big += char('a' + i * 7 % 26);
  a.Entries = {{"README.TXT", "read me\r\n"}, {"sub\\deeper\\big.bin", big}, {"empty.dat", ""}};
  return a;
}

TEST_F(Extraction, WritesEveryEntryByteExact) {
  TRun run;
  TTestArchive a = Sample();
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  EXPECT_EQ((std::vector<std::string>{"README.TXT", "empty.dat", "sub/deeper/big.bin"}), Files());
  for (const TTestEntry& e : a.Entries) EXPECT_EQ(e.Content, ReadTextFile(HostPath(Shown(e.Name)))) << e.Name;
  ASSERT_EQ(3u, run.Extracted.size());
  EXPECT_EQ(Shown("sub\\deeper\\big.bin"), std::get<0>(run.Extracted[1]));
  EXPECT_EQ(100000, std::get<1>(run.Extracted[1]));
  EXPECT_DOUBLE_EQ(38443.4375, std::get<2>(run.Extracted[1]));
  EXPECT_TRUE(run.Prompts.Asked.empty());
}

// A disk where one file is in use (it cannot be deleted) and the moves left
// to the next start are only noted, or refused.
class TInUseDisk : public TQLHostDisk {
public:
  std::string InUse;
  bool AcceptReplace = true;
  std::vector<std::pair<std::string, std::string>> Replaced;
  bool ClearAttributesAndDelete(const std::string& Path) override {
    return Path != InUse && TQLHostDisk::ClearAttributesAndDelete(Path);
  }
  bool ReplaceAtRestart(const std::string& Written, const std::string& Target) override {
    if (AcceptReplace) Replaced.emplace_back(Written, Target);
    return AcceptReplace;
  }
};

TEST_F(Extraction, AFileInUseIsReplacedAtTheNextStartWhenSoAnswered) {
  for (const bool accept : {true, false}) {
    TInUseDisk disk;
    disk.InUse = Shown("README.TXT");
    disk.AcceptReplace = accept;
    fs::create_directories(HostPath(Dest()));
    WriteTextFile(HostPath(disk.InUse), "the old read-me");
    TScriptedPrompts prompts;
    prompts.InUse = TQLInUseAnswer::ReplaceAtRestart;
    std::vector<std::pair<std::string, int32_t>> extracted;
    const std::vector<uint8_t> bytes = BuildArchive(Sample());
    TQLMemoryStream stream;
    stream.Attach(bytes.data(), int32_t(bytes.size()));
    TQLExtractContext context{disk, prompts, nullptr, ""};
    ASSERT_TRUE(ExtractArchive(Dest(), stream, [&](const std::string& n, int32_t s, TDateTime) { extracted.emplace_back(n, s); },
                               context, ArchiveIdentifier));
    EXPECT_EQ("the old read-me", ReadTextFile(HostPath(disk.InUse)));
    const std::string pending = disk.InUse + kPendingReplaceSuffix;
    ASSERT_EQ(3u, extracted.size());
    if (accept) {
      // Written beside the file in use, queued, and reported as the file.
      EXPECT_EQ("read me\r\n", ReadTextFile(HostPath(pending)));
      EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{pending, disk.InUse}}), disk.Replaced);
      EXPECT_EQ(std::make_pair(disk.InUse, int32_t(9)), extracted[0]);
    } else {
      // Not queued: nothing is left beside it, and it is reported under the
      // name that holds nothing, so the caller sees the file as not written.
      EXPECT_FALSE(PathExists(HostPath(pending)));
      EXPECT_EQ(pending, extracted[0].first);
    }
    EXPECT_EQ(1u, prompts.Asked.size());
    fs::remove_all(HostPath(Dest()));
  }
}

TEST_F(Extraction, TrailingBackslashGivesTheSameNames) {
  TRun with, without;
  std::vector<uint8_t> bytes = BuildArchive(Sample());
  ASSERT_TRUE(without.Extract(bytes, Dest()));
  ASSERT_TRUE(with.Extract(bytes, Dest() + "\\"));
  EXPECT_EQ(std::get<0>(without.Extracted[0]), std::get<0>(with.Extracted[0]));
}

TEST_F(Extraction, FilesGetTheArchiveDateInLocalTime) {
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(Sample()), Dest()));
  struct stat st {};
  ASSERT_EQ(0, stat(HostPath(Shown("README.TXT")).c_str(), &st));
  std::time_t t = st.st_mtime;
  std::tm local = *std::localtime(&t);
  EXPECT_EQ(2005, local.tm_year + 1900);
  EXPECT_EQ(3, local.tm_mon);
  EXPECT_EQ(10, local.tm_hour);
  EXPECT_EQ(30, local.tm_min);
}

TEST_F(Extraction, DateTextOverridesTheDateButNotTheReportedOne) {
  TRun run;
  run.DateText = "2010/01/02 03:04";
  ASSERT_TRUE(run.Extract(BuildArchive(Sample()), Dest()));
  struct stat st {};
  ASSERT_EQ(0, stat(HostPath(Shown("README.TXT")).c_str(), &st));
  std::time_t t = st.st_mtime;
  std::tm local = *std::localtime(&t);
  EXPECT_EQ(2010, local.tm_year + 1900);
  EXPECT_EQ(3, local.tm_hour);
  EXPECT_DOUBLE_EQ(38443.4375, std::get<2>(run.Extracted[0]));
  EXPECT_DOUBLE_EQ(38443.4375, ExtractedFileDate("abc", 38443.4375));
}

TEST_F(Extraction, ProgressComesInTheDocumentedOrder) {
  TTestArchive a;
  std::string incompressible;
  uint32_t x = 1;
  for (int i = 0; i < 40000; ++i) incompressible += char((x = x * 1103515245u + 12345u) >> 24);
  a.Entries = {{"a.txt", "abc"}, {"b.bin", incompressible}};
  int32_t c0 = int32_t(ZlibCompress("abc").size());
  int32_t c1 = int32_t(ZlibCompress(incompressible).size());
  ASSERT_GT(c1, 32768);
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  std::vector<TProgress> expected = {
      {0, c0, false}, {c0, c0, false}, {-1, 2, true}, {0, 3, false}, {3, 3, false}, {3, 3, false},
      {3, 3, false},  {0, 2, true},
      {0, c1, false}, {32768, c1, false}, {c1, c1, false}, {1, 2, true}, {0, 40000, false},
      {32768, 40000, false}, {40000, 40000, false}, {40000, 40000, false}, {40000, 40000, false}, {2, 2, true}};
  EXPECT_EQ(expected, run.Progress);
}

TEST_F(Extraction, EmptyArchiveWritesAndReportsNothing) {
  TRun run;
  EXPECT_TRUE(run.Extract(BuildArchive(TTestArchive{}), Dest()));
  EXPECT_TRUE(run.Progress.empty());
  EXPECT_TRUE(run.Extracted.empty());
  EXPECT_FALSE(PathExists(Dest()));
}

TEST_F(Extraction, RefusedHeaderWritesNothing) {
  TTestArchive a = Sample();
  a.Identifier = 1;
  TRun run;
  EXPECT_FALSE(run.Extract(BuildArchive(a), Dest()));
  EXPECT_FALSE(PathExists(Dest()));
}

// An unsafe name ends the extraction before that entry is written; nothing
// lands outside the destination.
TEST_F(Extraction, UnsafeNamesStopBeforeWriting) {
  for (const char* name : {"..\\escaped.txt", "sub\\..\\..\\escaped.txt", "\\escaped.txt"}) {
    TTestArchive a;
    a.Entries = {{"first.txt", "1"}, {name, "evil"}};
    TRun run;
    EXPECT_FALSE(run.Extract(BuildArchive(a), Dest())) << name;
    EXPECT_EQ(std::vector<std::string>{"first.txt"}, Files()) << name;
    EXPECT_FALSE(PathExists(Dir / "escaped.txt"));
  }
}

TEST_F(Extraction, OversizedFieldsStopWithoutACrash) {
  TTestArchive a = Sample();
  a.Entries[1].CompressedSize = 0x7FFFFFFF;
  TRun run;
  EXPECT_FALSE(run.Extract(BuildArchive(a), Dest()));
  EXPECT_EQ(std::vector<std::string>{"README.TXT"}, Files());
}

TEST_F(Extraction, CorruptDataPromptsLeavesNoHalfFileAndGoesOn) {
  TTestArchive a = Sample();
  std::string data = ZlibCompress(a.Entries[1].Content);
  data[data.size() / 2] ^= 0x5A;
  a.Entries[1].Data = data;
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  ASSERT_EQ(1u, run.Prompts.Asked.size());
  EXPECT_EQ("File Cannt create:\r\r" + Shown("sub\\deeper\\big.bin"), run.Prompts.Asked[0]);
  EXPECT_FALSE(PathExists(HostPath(Shown("sub\\deeper\\big.bin"))));
  EXPECT_EQ(0, std::get<1>(run.Extracted[1]));
  EXPECT_EQ("", ReadTextFile(HostPath(Shown("empty.dat"))));
  EXPECT_EQ(3u, run.Extracted.size());
}

TEST_F(Extraction, TruncatedZlibStreamIsAFailureNotAShortFile) {
  TTestArchive a = Sample();
  std::string data = ZlibCompress(a.Entries[1].Content);
  a.Entries[1].Data = data.substr(0, data.size() / 2);
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  EXPECT_EQ(1u, run.Prompts.Asked.size());
  EXPECT_FALSE(PathExists(HostPath(Shown("sub\\deeper\\big.bin"))));
}

// A disk whose files cannot be made for want of memory.
class TNoMemoryDisk : public TQLHostDisk {
public:
  std::unique_ptr<TQLOutputFile> CreateOutputFile(const std::string&) override { throw std::bad_alloc(); }
};

// Only the disk's and the data's own failures are asked about and cost one
// file; anything else raised while a file is written ends the run as failed,
// with its text kept, and nothing after it is written.
TEST_F(Extraction, OtherFailuresWhileWritingEndTheRunWithTheirText) {
  for (bool fromHandler : {true, false}) {
    SCOPED_TRACE(fromHandler ? "a progress handler" : "memory");
    TNoMemoryDisk noMemory;
    TQLHostDisk disk;
    TScriptedPrompts prompts;
    // Raised while README.TXT (9 bytes) is written.
    const auto handler = [](int32_t p, int32_t m, bool o) {
      if (!o && m == 9 && p == 9) throw std::runtime_error("the window is gone");
    };
    TQLExtractContext context{fromHandler ? disk : noMemory, prompts, fromHandler ? TQLProgressProc(handler) : nullptr,
                              ""};
    const std::vector<uint8_t> bytes = BuildArchive(Sample());
    TQLMemoryStream stream;
    stream.Attach(bytes.data(), int32_t(bytes.size()));
    int extracted = 0;
    EXPECT_FALSE(ExtractArchive(Dest(), stream, [&](const std::string&, int32_t, TDateTime) { ++extracted; }, context,
                                ArchiveIdentifier));
    EXPECT_EQ(fromHandler ? "the window is gone" : std::string(std::bad_alloc().what()), context.Failure);
    EXPECT_TRUE(prompts.Asked.empty());
    EXPECT_EQ(0, extracted);
    EXPECT_EQ(std::vector<std::string>{}, Files());
  }
}

TEST_F(Extraction, AllSilencesLaterCreateFailures) {
  TTestArchive a;
  for (const char* name : {"x\\a.txt", "x\\b.txt", "x\\c.txt"}) a.Entries.push_back({name, "data"});
  // Folders standing where the files should go cannot be replaced.
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) fs::create_directories(HostPath(Dest() + "\\x\\" + name));
  TRun run;
  run.Prompts.AnswerAll = true;
  ASSERT_TRUE(run.Extract(BuildArchive(a), Dest()));
  EXPECT_EQ(1u, run.Prompts.Asked.size());
  EXPECT_TRUE(SuppressCreateErrors);
  EXPECT_TRUE(fs::is_directory(HostPath(Dest() + "\\x\\c.txt")));
}

TEST_F(Extraction, ExistingFilesAreReplaced) {
  WriteTextFile(HostPath(Shown("README.TXT")), "old content that is longer");
  TRun run;
  ASSERT_TRUE(run.Extract(BuildArchive(Sample()), Dest()));
  EXPECT_EQ("read me\r\n", ReadTextFile(HostPath(Shown("README.TXT"))));
}

struct TStopped {};  // raised by a handler, outside what the extraction absorbs

// Every report, notification and prompt of one run, in the order they came.
struct TLoggedRun {
  TQLHostDisk Disk;
  TScriptedPrompts Prompts;
  std::vector<std::string> Log;
  bool ThrowOnReport = false;

  bool Extract(const std::vector<uint8_t>& Bytes, const std::string& Dest) {
    class TLoggingPrompts : public TQLExtractPrompts {
    public:
      TLoggingPrompts(TLoggedRun& Run) : FRun(Run) {}
      TQLInUseAnswer AskCannotExtract(const std::string& Text) override {
        FRun.Log.push_back("ask " + Text);
        return FRun.Prompts.AskCannotExtract(Text);
      }
      bool AskCannotCreate(const std::string& Text) override {
        FRun.Log.push_back("ask " + Text);
        return FRun.Prompts.AskCannotCreate(Text);
      }

    private:
      TLoggedRun& FRun;
    } prompts(*this);
    TQLMemoryStream stream;
    stream.Attach(Bytes.data(), int32_t(Bytes.size()));
    TQLExtractContext context{Disk, prompts,
                              [this](int32_t p, int32_t m, bool o) {
                                Log.push_back((o ? "overall " : "entry ") + std::to_string(p) + "/" +
                                              std::to_string(m));
                                if (ThrowOnReport && !o && p > 1000000) throw TStopped{};
                              },
                              ""};
    return ExtractArchive(Dest, stream,
                          [this](const std::string& n, int32_t s, TDateTime) {
                            Log.push_back("extracted " + n + " " + std::to_string(s));
                          },
                          context, ArchiveIdentifier);
  }
};

// Mixed entries: large ones that take many blocks, small ones, an empty
// one, one whose data fail to decode and one held by a folder in its way.
TTestArchive Mixed() {
  TTestArchive a;
  uint32_t x = 7;
  for (int i = 0; i < 24; ++i) {
    std::string content;
    size_t size = i % 4 == 0 ? 1500000 + size_t(i) * 1000 : size_t(i) * 3001;
    for (size_t k = 0; k < size; ++k) content += char(i % 2 ? (x = x * 1103515245u + 12345u) >> 24 : 'a' + k % 13);
    a.Entries.push_back({"part" + std::to_string(i) + "\\f" + std::to_string(i) + ".bin", content});
  }
  std::string bad = ZlibCompress(a.Entries[9].Content);
  bad[bad.size() / 2] ^= 0x5A;
  a.Entries[9].Data = bad;
  return a;
}

TEST_F(Extraction, SeveralDecodersGiveTheSameFilesReportsAndPromptsAsOne) {
  TTestArchive a = Mixed();
  std::vector<uint8_t> bytes = BuildArchive(a);
  std::vector<std::string> logs[2];
  const int32_t threads[2] = {1, 3};
  for (int run = 0; run < 2; ++run) {
    SetExtractThreadCount(threads[run]);
    SuppressCreateErrors = false;
    fs::remove_all(HostPath(Dest()));
    fs::create_directories(HostPath(Dest() + "\\part13\\f13.bin"));  // a folder in the way
    TLoggedRun r;
    ASSERT_TRUE(r.Extract(bytes, Dest()));
    for (size_t i = 0; i < a.Entries.size(); ++i)
      if (i != 9 && i != 13) {
        EXPECT_EQ(a.Entries[i].Content, ReadTextFile(HostPath(Shown(a.Entries[i].Name))));
      }
    logs[run] = r.Log;
  }
  EXPECT_EQ(2, std::count_if(logs[1].begin(), logs[1].end(), [](const std::string& e) { return e[0] == 'a'; }));
  EXPECT_EQ(logs[0], logs[1]);
}

// A later entry's data fail to decode while an earlier, larger one is still
// being written: its prompt comes only after everything of the earlier one.
TEST_F(Extraction, APromptForALaterEntryWaitsForTheEarlierEntry) {
  TTestArchive a;
  std::string big;
  for (int i = 0; i < 6000000; ++i) big += char('a' + i * 7 % 26);
  std::string bad = ZlibCompress("later entry content");
  bad[4] ^= 0x5A;
  a.Entries = {{"big.bin", big}, {"later.bin", "later entry content"}};
  a.Entries[1].Data = bad;
  TLoggedRun r;
  ASSERT_TRUE(r.Extract(BuildArchive(a), Dest()));
  auto at = [&](const std::string& Event) { return std::find(r.Log.begin(), r.Log.end(), Event) - r.Log.begin(); };
  const auto asked = at("ask File Cannt create:\r\r" + Shown("later.bin"));
  ASSERT_LT(size_t(asked), r.Log.size());
  EXPECT_LT(at("extracted " + Shown("big.bin") + " 6000000"), asked);
  EXPECT_LT(at("overall 0/2"), asked);
  EXPECT_LT(at("overall 1/2"), asked);  // the later entry's own reports up to its writing
  EXPECT_EQ(int64_t(big.size()), int64_t(fs::file_size(HostPath(Shown("big.bin")))));
}

// A handler that raises in the middle of a large entry ends the extraction:
// the decoders stop, the half-written file is removed, nothing later is written.
TEST_F(Extraction, AFailureInTheMiddleStopsAndLeavesNoHalfFile) {
  TTestArchive a = Mixed();
  TLoggedRun r;
  r.ThrowOnReport = true;
  EXPECT_FALSE(r.Extract(BuildArchive(a), Dest()));
  EXPECT_EQ(std::vector<std::string>{}, Files());
}

}  // namespace
