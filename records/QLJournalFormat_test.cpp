#include "records/QLJournalFormat.h"

#include <gtest/gtest.h>

namespace {

TQLRegValue Text(const std::string& Name, const std::string& Value, bool Terminated = true) {
  TQLRegValue v{Name, 1, std::vector<uint8_t>(Value.begin(), Value.end())};
  if (Terminated) v.Data.push_back(0);
  return v;
}

TQLKeyTree SampleTree() {
  TQLKeyTree tree;
  tree.Existed = true;
  tree.Values = {Text("", "Other Viewer Document"), {"Flags", 4, {1, 0, 0, 0}}};
  TQLKeyTree command;
  command.Name = "command";
  command.Existed = true;
  command.Values = {Text("", "\"C:\\Other\\viewer.exe\" \"%1\"")};
  tree.Keys = {command};
  return tree;
}

const TQLRegistExt kRow{".LTR", "\\PQENGINE.EXE", "\\PQENGINE.EXE,1", "LUMI_TRACE_SE_RUNTIME_FILE", "Lumi Trace"};

TEST(JournalFormat, EntriesAndTreesComeBackAsWritten) {
  TQLJournalEntry entry;
  entry.Kind = TQLJournalKind::KeyKept;
  entry.Ours = false;
  entry.Path = KeptKeyPath("HKCR", ".LTR");
  entry.Data = EncodeKeyTree(SampleTree());
  const std::optional<TQLJournalEntry> back = DecodeJournalEntry(EncodeJournalEntry(entry));
  ASSERT_TRUE(back);
  EXPECT_EQ(TQLJournalKind::KeyKept, back->Kind);
  EXPECT_FALSE(back->Ours);
  EXPECT_EQ("HKCR\\.LTR", back->Path);
  const std::optional<TQLKeyTree> tree = DecodeKeyTree(back->Data);
  ASSERT_TRUE(tree);
  EXPECT_TRUE(KeyTreeHolds(*tree, SampleTree()));
  EXPECT_TRUE(KeyTreeHolds(SampleTree(), *tree));
  ASSERT_EQ(2u, tree->Values.size());
  EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0}), tree->Values[1].Data);

  TQLJournalEntry file{TQLJournalKind::FileKept, true, "C:\\P\\README.TXT", "C:\\P\\UNINST\\KEPT\\00000000.KEP", {}};
  const auto fileBack = DecodeJournalEntry(EncodeJournalEntry(file));
  ASSERT_TRUE(fileBack);
  EXPECT_TRUE(fileBack->Ours);
  EXPECT_EQ(file.Backup, fileBack->Backup);
  EXPECT_EQ("0000\\0000003F.KEP", KeptFileName(63));
  EXPECT_EQ("0001\\00000040.KEP", KeptFileName(64));
  EXPECT_EQ("3FFFFFF\\FFFFFFFF.KEP", KeptFileName(0xFFFFFFFFu));
}

TEST(JournalFormat, DamagedBytesAreRefused) {
  const TQLJournalEntry entry{TQLJournalKind::FileSaved, false, "C:\\link.lnk", "", {1, 2, 3}};
  std::vector<uint8_t> bytes = EncodeJournalEntry(entry);
  for (size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_FALSE(DecodeJournalEntry(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)))) << cut;
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(DecodeJournalEntry(longer));
  for (uint8_t kind : {uint8_t(0), uint8_t(10), uint8_t(255)}) {
    bytes[0] = kind;
    EXPECT_FALSE(DecodeJournalEntry(bytes)) << int(kind);
  }
  // A count larger than the bytes could hold is refused before anything is
  // made of it.
  std::vector<uint8_t> tree = EncodeKeyTree(SampleTree());
  tree[1] = 0xFF, tree[2] = 0xFF, tree[3] = 0xFF, tree[4] = 0x7F;
  EXPECT_FALSE(DecodeKeyTree(tree));
  // Nesting deeper than any registry.
  std::vector<uint8_t> deep;
  for (int i = 0; i < 100; ++i) deep.insert(deep.end(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_FALSE(DecodeKeyTree(deep));
}

TEST(JournalFormat, OwnFileTypesAreToldFromAnotherProducts) {
  const std::string root = "C:\\Program Files\\Prismora 1.0 SE";
  TQLKeyTree ours = FileTypeClassTree(kRow, root);
  // What Windows or the runtime adds beside the product's values is no
  // sign of another owner; names compare without case, text without its
  // terminating zero.
  ours.Values.push_back(Text("EditFlags", "x"));
  ours.Keys[0].Name = "defaulticon";
  ours.Keys[0].Values[0] = Text("", root + "\\PQENGINE.EXE,1", false);
  EXPECT_TRUE(KeyTreeHolds(ours, FileTypeClassTree(kRow, root)));
  EXPECT_FALSE(KeyTreeHolds(ours, FileTypeClassTree(kRow, "D:\\Elsewhere")));
  EXPECT_FALSE(KeyTreeHolds(SampleTree(), FileTypeClassTree(kRow, root)));

  TQLKeyTree extension;
  extension.Existed = true;
  extension.Values = {Text("", "OtherViewer.Document")};
  EXPECT_FALSE(KeyTreeHolds(extension, FileTypeExtensionTree(kRow)));
  extension.Values = {Text("", "LUMI_TRACE_SE_RUNTIME_FILE")};
  EXPECT_TRUE(KeyTreeHolds(extension, FileTypeExtensionTree(kRow)));
  extension.Existed = false;
  EXPECT_FALSE(KeyTreeHolds(extension, FileTypeExtensionTree(kRow)));
}

TEST(JournalFormat, KeptKeyPathsSplitOnlyAtAKnownRoot) {
  const auto split = SplitKeptKeyPath(KeptKeyPath("HKLM", "SOFTWARE\\A\\B"));
  ASSERT_TRUE(split);
  EXPECT_EQ("HKLM", split->first);
  EXPECT_EQ("SOFTWARE\\A\\B", split->second);
  EXPECT_FALSE(SplitKeptKeyPath("HKEY_USERS\\X"));
  EXPECT_FALSE(SplitKeptKeyPath("HKCR\\"));
  EXPECT_FALSE(SplitKeptKeyPath("HKCR"));
}

}  // namespace
