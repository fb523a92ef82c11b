#include "archive/QLCatDec.h"

#include <gtest/gtest.h>

#include "archive/QLCatFormat.h"
#include "archive/QLMemoryStream.h"
#include "tests/support/ArchiveBuilder.h"

namespace {

struct TAttached {
  std::vector<uint8_t> Bytes;
  TQLMemoryStream Stream;
  explicit TAttached(std::vector<uint8_t> B) : Bytes(std::move(B)) { Stream.Attach(Bytes.data(), int32_t(Bytes.size())); }
};

TTestArchive TwoFiles() {
  TTestArchive a;
  a.Entries = {{"README.TXT", "read me\r\n"}, {"sub\\data.bin", std::string(70000, 'x')}};
  return a;
}

TEST(ArchiveFormat, CheckValueIsTheUncomplementedCrc) {
  const uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(0xCADBBE3Du, UpdateCheckValue(kCheckValueStart, abc, 3));
  // Piecewise updates give the same register.
  uint32_t reg = UpdateCheckValue(kCheckValueStart, abc, 1);
  EXPECT_EQ(0xCADBBE3Du, UpdateCheckValue(reg, abc + 1, 2));
}

TEST(ArchiveFormat, HeaderAcceptsBothSignatures) {
  for (bool text : {false, true}) {
    TTestArchive a = TwoFiles();
    a.TextSignature = text;
    TAttached in(BuildArchive(a));
    int32_t count = -1, total = -1;
    EXPECT_TRUE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
    EXPECT_EQ(2, count);
    EXPECT_EQ(70009, total);
    EXPECT_EQ(kArchiveHeaderSize, in.Stream.GetPosition());
  }
}

TEST(ArchiveFormat, HeaderRefusals) {
  {  // another identifier: refused, values still read
    TTestArchive a = TwoFiles();
    a.Identifier = 0x1122334455667788ULL;
    TAttached in(BuildArchive(a));
    int32_t count = 0, total = 0;
    EXPECT_FALSE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
    EXPECT_EQ(2, count);
    EXPECT_EQ(70009, total);
  }
  {  // wrong signature: refused after 32 bytes, outputs 0
    std::vector<uint8_t> bytes = BuildArchive(TwoFiles());
    bytes[5] ^= 1;
    TAttached in(bytes);
    int32_t count = 9, total = 9;
    EXPECT_FALSE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, total);
    EXPECT_EQ(32, in.Stream.GetPosition());
  }
  {  // shorter than a header
    std::vector<uint8_t> bytes = BuildArchive(TwoFiles());
    bytes.resize(40);
    TAttached in(bytes);
    int32_t count = 0, total = 0;
    EXPECT_FALSE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
  }
  for (int32_t badCount : {-1, 1000000, INT32_MAX}) {  // counts the bytes cannot hold
    TTestArchive a = TwoFiles();
    a.EntryCount = badCount;
    TAttached in(BuildArchive(a));
    int32_t count = 0, total = 0;
    EXPECT_FALSE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier)) << badCount;
    EXPECT_EQ(badCount, count);
  }
}

TEST(ArchiveFormat, EmptyArchiveHeaderPasses) {
  TAttached in(BuildArchive(TTestArchive{}));
  int32_t count = -1, total = -1;
  EXPECT_TRUE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
  EXPECT_EQ(0, count);
  EXPECT_EQ(0, total);
}

TEST(ArchiveFormat, EntryWalkFindsEveryEntry) {
  TAttached in(BuildArchive(TwoFiles()));
  int32_t count = 0, total = 0;
  ASSERT_TRUE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
  std::vector<std::string> names;
  ForEachEntry(in.Stream, count, [&](const TQLCatEntryInfo& i) {
    names.push_back(i.Entry.Name);
    EXPECT_EQ(i.DataStart, in.Stream.GetPosition());
    EXPECT_DOUBLE_EQ(38443.4375, i.Entry.FileDateTime);
  });
  EXPECT_EQ((std::vector<std::string>{"README.TXT", "sub\\data.bin"}), names);
  EXPECT_EQ(0, in.Stream.Remaining());
}

TEST(ArchiveFormat, EntryNameSafety) {
  for (const char* ok : {"a.txt", "sub\\a.txt", "a\\b\\c", "..a", "a..\\b", "a\\.\\b", "CONFIG.SYS", "console\\a",
                         "COM10.txt", "LPT0", "NULL", "sub\\PRNT.DLL", "COM\xB4", "LPT\xBC.txt"})
    EXPECT_TRUE(IsSafeEntryName(ok)) << ok;
  for (const char* bad : {"", "\\a.txt", "/a.txt", "C:\\a.txt", "c:a.txt", "..", "..\\a", "a\\..\\..\\b",
                          "a/../b", "a\\..", "a.txt:stream", "CON", "con.txt", "sub\\NUL", "Aux.dat\\a", "prn",
                          "COM1", "com9.log", "LPT1", "lpt9.txt.bak", "NUL .txt", "sub/CON",
                          // superscript one, two and three (Windows-1252)
                          "COM\xB9", "com\xB2.log", "sub\\LPT\xB3"})
    EXPECT_FALSE(IsSafeEntryName(bad)) << bad;
  EXPECT_FALSE(IsSafeEntryName(std::string("..\0x", 4)));
}

// Every field that could take the reader outside the archive is refused as
// a broken archive, without reading past the block.
TEST(ArchiveFormat, BrokenEntriesAreRefused) {
  std::vector<TTestEntry> bad;
  bad.push_back({"a.txt", "abc"});
  bad.back().NameLength = -1;
  bad.push_back({"a.txt", "abc"});
  bad.back().NameLength = 0x7FFFFFF0;
  bad.push_back({"a.txt", "abc"});
  bad.back().CompressedSize = -5;
  bad.push_back({"a.txt", "abc"});
  bad.back().CompressedSize = 1 << 30;
  bad.push_back({"a.txt", "abc"});
  bad.back().CompressedSize = 1000;  // just past the end
  bad.push_back({"..\\evil.txt", "abc"});
  bad.push_back({"C:\\evil.txt", "abc"});
  for (const TTestEntry& e : bad) {
    TTestArchive a;
    a.Entries = {e};
    TAttached in(BuildArchive(a));
    int32_t count = 0, total = 0;
    ASSERT_TRUE(ReadArchiveHeader(in.Stream, count, total, ArchiveIdentifier));
    EXPECT_THROW(ForEachEntry(in.Stream, count, [](const TQLCatEntryInfo&) {}), EQLArchiveBroken) << e.Name;
  }
}

TEST(ArchiveFormat, TruncatedArchivesAreRefusedAtEveryLength) {
  std::vector<uint8_t> whole = BuildArchive(TwoFiles());
  for (size_t cut = kArchiveHeaderSize; cut < whole.size(); cut += 97) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));
    TAttached in(part);
    TQLVerifyReport r = VerifyArchive(in.Stream, ArchiveIdentifier, true);
    EXPECT_FALSE(r.Ok) << cut;
    EXPECT_FALSE(r.Error.empty());
  }
}

TEST(ArchiveFormat, VerifyAcceptsAGoodArchive) {
  TAttached in(BuildArchive(TwoFiles()));
  TQLVerifyReport r = VerifyArchive(in.Stream, ArchiveIdentifier, true);
  EXPECT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(2, r.EntryCount);
  EXPECT_EQ(70009, r.UncompressedTotal);
  EXPECT_EQ(std::string("sub\\data.bin").size(), r.LongestName);  // the path below the folder counts
}

TEST(ArchiveFormat, VerifyFindsEachKindOfDamage) {
  struct TCase {
    const char* What;
    TTestArchive Archive;
    bool Inflate;
    const char* Expect;
  };
  std::vector<TCase> cases;
  TTestArchive check = TwoFiles();
  check.Entries[1].CheckValue = 0x12345678;
  cases.push_back({"check value", check, false, "check value"});
  TTestArchive adler = TwoFiles();
  std::string data = ZlibCompress("hello");
  data[data.size() - 1] ^= 0x55;  // Adler-32 mismatch
  adler.Entries[0].Data = data;
  cases.push_back({"adler", adler, true, "README.TXT"});
  TTestArchive corrupt = TwoFiles();
  corrupt.Entries[0].Data = std::string("\x78\x9c\xff\xff\xff\xff", 6);
  cases.push_back({"deflate", corrupt, true, "README.TXT"});
  TTestArchive size = TwoFiles();
  size.Entries[0].UncompressedSize = 3;
  cases.push_back({"size", size, true, "decodes to"});
  TTestArchive total = TwoFiles();
  total.TotalSize = 5;
  cases.push_back({"total", total, false, "total size"});
  for (TCase& c : cases) {
    TAttached in(BuildArchive(c.Archive));
    TQLVerifyReport r = VerifyArchive(in.Stream, ArchiveIdentifier, c.Inflate);
    EXPECT_FALSE(r.Ok) << c.What;
    EXPECT_NE(std::string::npos, r.Error.find(c.Expect)) << c.What << ": " << r.Error;
  }
}

TEST(ArchiveFormat, VerifyRefusesStrayBytesAfterTheLastEntry) {
  std::vector<uint8_t> bytes = BuildArchive(TwoFiles());
  bytes.push_back(0);
  TAttached in(bytes);
  EXPECT_FALSE(VerifyArchive(in.Stream, ArchiveIdentifier, false).Ok);
}

}  // namespace
