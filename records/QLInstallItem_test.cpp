#include "records/QLInstallItem.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallItem, GroupKeysAndValueNames) {
  EXPECT_EQ("00", InstallItemGroupKey(0));
  EXPECT_EQ("00", InstallItemGroupKey(63));
  EXPECT_EQ("01", InstallItemGroupKey(64));
  EXPECT_EQ("40", InstallItemGroupKey(4096));
  EXPECT_EQ("FF", InstallItemGroupKey(255 * 64));
  EXPECT_EQ("100", InstallItemGroupKey(256 * 64));
  EXPECT_EQ("App00000000", InstallItemValueName(0));
  EXPECT_EQ("App00000040", InstallItemValueName(64));
  EXPECT_EQ("App00001000", InstallItemValueName(4096));
  EXPECT_EQ("App7FFFFFFF", InstallItemValueName(INT32_MAX));
}

TEST(InstallItem, RecordLayout) {
  TQLInstallItem item{38443.4375, 0x01020304, "C:\\A\\b.txt"};
  std::vector<uint8_t> r = EncodeInstallItem(item);
  ASSERT_EQ(16u + 10u, r.size());
  EXPECT_EQ(0x04, r[8]);
  EXPECT_EQ(0x01, r[11]);
  for (int i = 12; i < 16; ++i) EXPECT_EQ(0, r[size_t(i)]);
  EXPECT_EQ('C', r[16]);
  TQLInstallItem back = DecodeInstallItem(r);
  EXPECT_DOUBLE_EQ(item.Time, back.Time);
  EXPECT_EQ(item.Size, back.Size);
  EXPECT_EQ(item.Path, back.Path);
  EXPECT_EQ(16u, EncodeInstallItem({1, 2, ""}).size());
}

TEST(InstallItem, LongPathsAreKeptWhole) {
  std::string path = "C:\\" + std::string(2000, 'x') + "\\end.txt";
  EXPECT_EQ(path, DecodeInstallItem(EncodeInstallItem({1, 2, path})).Path);
}

TEST(InstallItem, DamagedRecordsDecodeWithoutOverrun) {
  std::vector<uint8_t> r = EncodeInstallItem({5, 7, std::string("C:\\a\0b\0\0.txt", 12)});
  EXPECT_EQ("C:\\ab.txt", DecodeInstallItem(r).Path);
  TQLInstallItem cut = DecodeInstallItem({1, 2, 3});
  EXPECT_EQ(0, cut.Size);
  EXPECT_EQ("", cut.Path);
  EXPECT_EQ("", DecodeInstallItem({}).Path);
}

TEST(InstallItem, ChangedFileQuestionWordForWord) {
  TDateTime installed = 0, now = 0;
  EncodeDateTime({2005, 4, 1, 10, 30, 0, 0}, installed);
  EncodeDateTime({2026, 12, 8, 9, 5, 0, 0}, now);
  EXPECT_EQ(
      "This file has the possibility to be changed by the operation of the user.\rStill, Do you delete it?\r\r"
      "file name: C:\\P\\README.TXT\rInstall time: Date: 2005/04/01 Size:5374\r"
      "Present time:         Date: 2026/12/08 Size:5400",
      ChangedFileQuestion({installed, 5374, "C:\\P\\README.TXT"}, now, 5400, "/"));
  EXPECT_NE(std::string::npos, ChangedFileQuestion({installed, 1, "x"}, now, 1, ".").find("Date: 2005.04.01 "));
}

}  // namespace
