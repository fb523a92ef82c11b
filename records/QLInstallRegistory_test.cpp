#include "records/QLInstallRegistory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "records/QLInstallItem.h"
#include "records/QLItemRecorder.h"
#include "records/QLReinstallRecords.h"
#include "shell/QLFileUtils.h"
#include "shell/QLRegistry.h"
#include "tests/support/DialogScript.h"
#include "tests/support/TempFolder.h"

namespace {

struct TValue {
  DWORD Type = 0;
  std::vector<uint8_t> Data;
  bool Found = false;
};

TValue RawValue(HKEY Root, const std::string& Key, const std::string& Name) {
  TValue v;
  HKEY key = nullptr;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExA(key, Name.c_str(), nullptr, &v.Type, nullptr, &size) == ERROR_SUCCESS) {
    v.Data.resize(size);
    v.Found = RegQueryValueExA(key, Name.c_str(), nullptr, &v.Type, v.Data.data(), &size) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return v;
}

std::string StringOf(const TValue& V) { return std::string(V.Data.begin(), V.Data.end()); }
int32_t DwordOf(const TValue& V) { return V.Data.size() == 4 ? *reinterpret_cast<const int32_t*>(V.Data.data()) : -1; }
bool KeyExists(HKEY Root, const std::string& Key) { return TQLRegistry(Root).KeyExists(Key); }

// Every recorded file gone now: nothing stays, nothing waits for a restart.
bool Finished(const TQLUninstallOutcome& Outcome) { return !Outcome.Incomplete() && !Outcome.LeftForRestart(); }

std::string ItemKey(int32_t Index) { return std::string(kUninstallInfoKey) + "\\" + InstallItemGroupKey(Index); }

void SetWriteTime(const std::string& Path, int SecondsLater) {
  HANDLE h = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  FILETIME t;
  GetFileTime(h, nullptr, nullptr, &t);
  ULARGE_INTEGER v{{t.dwLowDateTime, t.dwHighDateTime}};
  v.QuadPart += ULONGLONG(SecondsLater) * 10000000ULL;
  t = {v.LowPart, v.HighPart};
  SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
}

class InstallRecords : public ::testing::Test {
protected:
  void SetUp() override {
    Registry.SetAppPath(Dir / "Prismora 1.0 SE");
    Registry.WriteUninstallKeys(false);
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey);
    TQLRegistry(HKEY_CURRENT_USER).DeleteKey(kProductKey);
  }
  void TearDown() override {
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey);
  }
  // Installs Files (relative name, content) below AppPath as the
  // installation run would, recording each one.
  void Install(const std::vector<std::pair<std::string, std::string>>& Files) {
    Registry.WriteUninstallKeys(false);
    Registry.WriteUninstallKeys(true);
    Registry.WriteAppMain();
    for (const auto& f : Files) {
      const std::string path = Registry.AppPath + "\\" + f.first;
      WriteTextFile(path, f.second);
      Registry.AddInstallItem(path, FileSizeOf(path), FileDateTimeOf(path));
    }
    Registry.WriteInstallInfo(RegistExtTable, RegistExtCount, "C:\\setup\\prismora-setup.exe");
  }
  std::string At(const std::string& Name) const { return Registry.AppPath + "\\" + Name; }

  TTempFolder Dir;
  TQLInstallRegistory Registry;
};

TEST_F(InstallRecords, UninstallRegistrationValuesAndTypes) {
  Registry.SetAppPath("C:\\Program Files\\Prismora 1.0 SE");
  EXPECT_EQ("C:\\Program Files\\Prismora 1.0 SE\\UNINST\\UNINST.EXE", Registry.GetUninstallerPath());
  Registry.WriteUninstallKeys(true);
  struct TExpected {
    const char* Name;
    DWORD Type;
    std::string Text;
    int32_t Number;
  } expected[] = {
      {"DisplayName", REG_SZ, "Prismora SE", 0},
      {"UninstallString", REG_SZ, "\"C:\\Program Files\\Prismora 1.0 SE\\UNINST\\UNINST.EXE\" /UNINSTALL", 0},
      {"Publisher", REG_SZ, "VELDRANE", 0},
      {"VersionMajor", REG_DWORD, "", 1},
      {"VersionMinor", REG_DWORD, "", 327680},
      {"MajorVersion", REG_DWORD, "", 1},
      {"MinorVersion", REG_DWORD, "", 327680},
      {"InstallLocation", REG_SZ, "C:\\Program Files\\Prismora 1.0 SE\\", 0},
  };
  for (const TExpected& e : expected) {
    TValue v = RawValue(HKEY_LOCAL_MACHINE, kUninstallKey, e.Name);
    ASSERT_TRUE(v.Found) << e.Name;
    EXPECT_EQ(e.Type, v.Type) << e.Name;
    if (e.Type == REG_SZ) {
      EXPECT_EQ(e.Text + '\0', StringOf(v)) << e.Name;  // the zero is stored too
    } else {
      EXPECT_EQ(e.Number, DwordOf(v)) << e.Name;
    }
  }
  EXPECT_EQ(std::string("C:\\Program Files\\Prismora 1.0 SE") + '\0',
            StringOf(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "AppPath")));

  Registry.SetAppPath("D:\\Apps\\");
  Registry.WriteUninstallKeys(true);
  EXPECT_EQ(std::string("D:\\Apps\\\\") + '\0', StringOf(RawValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation")));
}

TEST_F(InstallRecords, ProductSection) {
  Registry.SetAppPath("C:\\P");
  Registry.WriteAppMain();
  Registry.WriteSection(true, "E:\\prismora-setup.exe");
  EXPECT_EQ(std::string("C:\\P\\PQENGINE.EXE") + '\0', StringOf(RawValue(HKEY_LOCAL_MACHINE, kSectionKey, "AppMain")));
  EXPECT_EQ(std::string("Prismora 1.0 SE") + '\0', StringOf(RawValue(HKEY_LOCAL_MACHINE, kSectionKey, "Name")));
  EXPECT_EQ(std::string("1.0E") + '\0', StringOf(RawValue(HKEY_LOCAL_MACHINE, kSectionKey, "Version")));
  EXPECT_EQ(std::string("E:\\prismora-setup.exe") + '\0', StringOf(RawValue(HKEY_LOCAL_MACHINE, kSectionKey, "Path01")));
  Registry.WriteSection(false, "");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSectionKey));
}

TEST_F(InstallRecords, ItemsInGroupsOfSixtyFour) {
  Registry.WriteUninstallKeys(true);
  EXPECT_FALSE(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "InstallItem").Found);  // counts as 0
  for (int32_t i = 0; i <= 4096; ++i) Registry.AddInstallItem("C:\\f" + std::to_string(i), i, 40000.0 + i);
  EXPECT_EQ(4097, DwordOf(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "InstallItem")));
  TValue first = RawValue(HKEY_LOCAL_MACHINE, ItemKey(0), "App00000000");
  EXPECT_EQ(DWORD(REG_BINARY), first.Type);
  EXPECT_EQ(16u + 5u, first.Data.size());
  EXPECT_EQ("C:\\f0", DecodeInstallItem(first.Data).Path);
  TQLInstallItem item64 = DecodeInstallItem(RawValue(HKEY_LOCAL_MACHINE, std::string(kUninstallInfoKey) + "\\01",
                                                     "App00000040").Data);
  EXPECT_EQ("C:\\f64", item64.Path);
  EXPECT_EQ(64, item64.Size);
  EXPECT_DOUBLE_EQ(40064.0, item64.Time);
  EXPECT_EQ("C:\\f4096",
            DecodeInstallItem(RawValue(HKEY_LOCAL_MACHINE, std::string(kUninstallInfoKey) + "\\40", "App00001000").Data)
                .Path);
  EXPECT_FALSE(RawValue(HKEY_LOCAL_MACHINE, std::string(kUninstallInfoKey) + "\\00", "App00000040").Found);
}

// One recorder for a whole walk: its keys stay open across the groups, it
// reads the count once and keeps what it wrote with the slots, and a list
// removed under it is a failed write, not a lost record.
TEST_F(InstallRecords, ARecorderForTheWholeWalk) {
  Registry.WriteUninstallKeys(true);
  TQLItemRecorder recorder;
  for (int32_t i = 0; i < 70; ++i) recorder.Add("C:\\r" + std::to_string(i), i, 40000.0 + i);
  EXPECT_EQ(70, DwordOf(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "InstallItem")));
  EXPECT_EQ("C:\\r63", DecodeInstallItem(RawValue(HKEY_LOCAL_MACHINE, ItemKey(63), "App0000003F").Data).Path);
  EXPECT_EQ("C:\\r69", DecodeInstallItem(RawValue(HKEY_LOCAL_MACHINE, ItemKey(69), "App00000045").Data).Path);
  EXPECT_EQ(ItemKey(64), std::string(kUninstallInfoKey) + "\\01");

  ASSERT_EQ(70u, recorder.Added().size());
  EXPECT_EQ(69, recorder.Added().back().Index);
  EXPECT_EQ("C:\\r69", recorder.Added().back().Item.Path);
  EXPECT_EQ(40069.0, recorder.Added().back().Item.Time);

  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallInfoKey);
  EXPECT_THROW(recorder.Add("C:\\lost", 1, 2), EQLRegistryError);
}

// A reinstall's records, after the earlier ones, take their slots: the
// groups left with no record go whole, the shared one keeps the slots below
// the count, and nothing of the earlier run's stays.
// The run's records move down over the earlier ones, whether the merge reads
// them back or is given them as the run's recorder wrote them; given them,
// it still reads the list again when another writer added to it.
TEST_F(InstallRecords, MergedRecordsMoveDownOverTheEarlierOnes) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallInfoKey);
    Registry.WriteUninstallKeys(true);
    TQLItemRecorder earlier;
    for (int32_t i = 0; i < 100; ++i) earlier.Add("C:\\m" + std::to_string(i), i, 40000.0);
    TQLItemRecorder run;
    for (int32_t i = 0; i < 100; ++i) run.Add("C:\\m" + std::to_string(i), 1000 + i, 40001.0);
    if (way == 2) TQLItemRecorder().Add("C:\\other", 7, 40002.0);
    if (way == 0) {
      MergeInstallItems(100);
    } else {
      MergeInstallItems(100, &earlier.Added(), &run.Added());
    }
    const size_t count = way == 2 ? 101 : 100;
    EXPECT_EQ(int32_t(count), DwordOf(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "InstallItem")));
    const std::vector<TQLStoredItem> stored = StoredInstallItems();
    ASSERT_EQ(count, stored.size());
    for (int32_t i = 0; i < 100; ++i) {
      EXPECT_EQ(i, stored[size_t(i)].Index);
      EXPECT_EQ("C:\\m" + std::to_string(i), stored[size_t(i)].Item.Path);
      EXPECT_EQ(1000 + i, stored[size_t(i)].Item.Size);
    }
    if (way == 2) {
      EXPECT_EQ("C:\\other", stored[100].Item.Path);
    }
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ItemKey(99)));
    EXPECT_EQ(way == 2, RawValue(HKEY_LOCAL_MACHINE, ItemKey(100), "App00000064").Found);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ItemKey(128)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ItemKey(192)));
  }
}

TEST_F(InstallRecords, LongPathRecordedWhole) {
  Registry.WriteUninstallKeys(true);
  const std::string path = "C:\\" + std::string(600, 'd') + "\\file.txt";
  Registry.AddInstallItem(path, 1, 2);
  EXPECT_EQ(path, DecodeInstallItem(RawValue(HKEY_LOCAL_MACHINE, ItemKey(0), "App00000000").Data).Path);
}

TEST_F(InstallRecords, ReinstallKeepsOnlyTheSecondRun) {
  Install({{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}});
  Install({{"z.txt", "z"}});
  EXPECT_EQ(1, DwordOf(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "InstallItem")));
  EXPECT_EQ(At("z.txt"), DecodeInstallItem(RawValue(HKEY_LOCAL_MACHINE, ItemKey(0), "App00000000").Data).Path);
  EXPECT_FALSE(RawValue(HKEY_LOCAL_MACHINE, ItemKey(1), "App00000001").Found);
}

TEST_F(InstallRecords, UnchangedFilesGoWithoutAQuestion) {
  Install({{"PQENGINE.EXE", "engine"}, {"sub\\deep\\data.bin", "data"}, {"README.TXT", "read me"}});
  TDialogScript script({});
  EXPECT_TRUE(Finished(Registry.UninstallItems()));
  EXPECT_TRUE(script.Requests.empty());
  EXPECT_FALSE(PathExists(Registry.AppPath));  // every folder was empty, deepest went first
  EXPECT_FALSE(RawValue(HKEY_LOCAL_MACHINE, kUninstallInfoKey, "InstallItem").Found);
  EXPECT_FALSE(RawValue(HKEY_LOCAL_MACHINE, ItemKey(0), "App00000000").Found);
}

TEST_F(InstallRecords, ChangedFilesAreAskedAbout) {
  Install({{"one.txt", "1"}, {"two.txt", "2"}, {"keep\\three.txt", "3"}, {"four.txt", "4"}, {"five.txt", "5"}});
  WriteTextFile(At("one.txt"), "1 changed");  // size
  SetWriteTime(At("two.txt"), 2);             // two seconds
  SetWriteTime(At("keep\\three.txt"), 60);
  SetWriteTime(At("four.txt"), 60);
  SetWriteTime(At("five.txt"), 60);
  WriteTextFile(At("mine.txt"), "the user's own file");
  TDialogScript script({mrYes, mrYes, mrNo, mrAll});
  Registry.UninstallItems();
  ASSERT_EQ(4u, script.Requests.size());  // five.txt goes without a question after All
  const TQLDialogRequest& q = script.Requests[0];
  EXPECT_EQ(mtWarning, q.Kind);
  EXPECT_EQ(TMsgDlgButtons(mbYes | mbNo | mbAll), q.Buttons);
  EXPECT_EQ(0u, q.Text.rfind("This file has the possibility to be changed by the operation of the user.\r"
                             "Still, Do you delete it?\r\rfile name: " + At("one.txt") + "\rInstall time: Date: ",
                             0))
      << q.Text;
  EXPECT_NE(std::string::npos, q.Text.find(" Size:1\rPresent time:         Date: ")) << q.Text;
  EXPECT_EQ(" Size:9", q.Text.substr(q.Text.size() - 7));
  EXPECT_NE(std::string::npos, script.Requests[1].Text.find(At("two.txt")));
  EXPECT_FALSE(PathExists(At("one.txt")));
  EXPECT_FALSE(PathExists(At("two.txt")));
  EXPECT_TRUE(PathExists(At("keep\\three.txt")));  // No keeps it, and its folder
  EXPECT_FALSE(PathExists(At("four.txt")));
  EXPECT_FALSE(PathExists(At("five.txt")));
  EXPECT_EQ("the user's own file", ReadTextFile(At("mine.txt")));
}

TEST_F(InstallRecords, NoUninstallInformationDeletesNothing) {
  Install({{"a.txt", "a"}});
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallInfoKey);
  TDialogScript script({});
  Registry.Uninstall(RegistExtTable, RegistExtCount);
  EXPECT_TRUE(PathExists(At("a.txt")));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
}

TEST_F(InstallRecords, UninstallRemovesEveryKeyAndFileType) {
  Install({{"PQENGINE.EXE", "engine"}});
  {
    TQLRegistry user(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.OpenKey(std::string(kProductKey) + "\\Settings", true));
    user.WriteString("Window", "maximised");
  }
  ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, RegistExtTable[0].Ext));
  TDialogScript script({});
  Registry.Uninstall(RegistExtTable, RegistExtCount);
  EXPECT_TRUE(script.Requests.empty());
  for (const char* key : {kUninstallKey, kProductKey, kUninstallInfoKey, kSectionKey})
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  for (const TQLRegistExt& row : RegistExtTable) {
    if (row.Ext.empty()) continue;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, row.Ext)) << row.Ext;
  }
  EXPECT_FALSE(PathExists(At("PQENGINE.EXE")));
}

TEST_F(InstallRecords, DamagedRecordsAreSkippedAndToldOnce) {
  Install({{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}});
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(ItemKey(1), false));
    r.WriteString("App00000001", At("b.txt"));  // a record stored as text
    ASSERT_TRUE(r.OpenKey(kUninstallInfoKey, false));
    r.WriteString("InstallItem", "3");  // a count stored as text
  }
  TDialogScript script({});
  const TQLUninstallOutcome outcome = Registry.UninstallItems();
  EXPECT_TRUE(script.Requests.empty());  // told in the closing message
  // The count is not needed.
  EXPECT_EQ(std::vector<std::string>{"Invalid data type for 'App00000001'"}, outcome.Damaged);
  EXPECT_TRUE(outcome.Incomplete());
  EXPECT_FALSE(PathExists(At("a.txt")));
  EXPECT_TRUE(PathExists(At("b.txt")));  // its record could not be read
  EXPECT_FALSE(PathExists(At("c.txt")));
}

TEST_F(InstallRecords, ItemsFoundWhateverTheCountSays) {
  Install({{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}, {"d.txt", "d"}});
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(kUninstallInfoKey, false));
    r.DeleteValue("InstallItem");
    ASSERT_TRUE(r.OpenKey(ItemKey(2), false));
    const uint8_t cut[] = {1, 2, 3};
    r.WriteBinaryData("App00000002", cut, sizeof cut);  // too short for a record
  }
  TDialogScript script({});
  const TQLUninstallOutcome outcome = Registry.UninstallItems();
  EXPECT_TRUE(script.Requests.empty());
  EXPECT_EQ(std::vector<std::string>{"Invalid data size for 'App00000002'"}, outcome.Damaged);
  for (const char* name : {"a.txt", "b.txt", "d.txt"}) EXPECT_FALSE(PathExists(At(name))) << name;
  EXPECT_TRUE(PathExists(At("c.txt")));
}

TEST_F(InstallRecords, OnlyFoldersThatHeldRecordedFilesGo) {
  Install({{"data\\deep\\x.bin", "x"}, {"data\\y.bin", "y"}, {"top.txt", "t"}});
  ForceDirectories(At("Projects\\2025"));  // the user's own, empty
  ForceDirectories(At("data\\Scans"));
  TDialogScript script({});
  EXPECT_TRUE(Finished(Registry.UninstallItems()));
  EXPECT_FALSE(PathExists(At("data\\deep")));
  EXPECT_TRUE(DirectoryExists(At("Projects\\2025")));
  EXPECT_TRUE(DirectoryExists(At("data\\Scans")));
  DeleteTree(At("Projects"));
  DeleteTree(At("data"));
  Install({{"data\\y.bin", "y"}});
  EXPECT_TRUE(Finished(Registry.UninstallItems()));
  EXPECT_FALSE(PathExists(Registry.AppPath));  // every folder it held was left empty
}

TEST_F(InstallRecords, AFileInUseGoesAtTheNextStart) {
  Install({{"held.dll", "held"}, {"free.txt", "free"}});
  HANDLE held = CreateFileA(At("held.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  TDialogScript script({});
  EXPECT_TRUE(Registry.UninstallItems().LeftForRestart());
  CloseHandle(held);
  EXPECT_FALSE(PathExists(At("free.txt")));
  EXPECT_TRUE(PathExists(At("held.dll")));
  TQLRegistry r(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(r.OpenKeyReadOnly("SYSTEM\\CurrentControlSet\\Control\\Session Manager"));
  const std::vector<uint8_t> pending = r.ReadBinaryData("PendingFileRenameOperations");
  const std::string text(pending.begin(), pending.end());
  EXPECT_NE(std::string::npos, text.find("\\??\\" + At("held.dll") + std::string(2, '\0')));
  EXPECT_NE(std::string::npos, text.find("\\??\\" + Registry.AppPath + std::string(2, '\0')));
  DeleteFileA(At("held.dll").c_str());
}

TEST_F(InstallRecords, EarlierInstallationFoldersAreRootsToo) {
  const std::string earlier = Dir / "Old Place";
  Registry.SetAppPath(earlier);
  Install({{"PQENGINE.EXE", "old engine"}, {"lib\\a.dll", "a"}});
  ForceDirectories(earlier + "\\UNINST");
  Registry.SetAppPath(Dir / "New Place");
  Registry.WriteUninstallKeys(true);  // keeps the earlier records
  // A path recorded twice, by a reinstall interrupted before its records were
  // merged: the later record describes the file, the earlier one is stale.
  WriteTextFile(earlier + "\\PQENGINE.EXE", "a newer engine");
  Registry.AddInstallItem(earlier + "\\PQENGINE.EXE", FileSizeOf(earlier + "\\PQENGINE.EXE"),
                          FileDateTimeOf(earlier + "\\PQENGINE.EXE"));
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(kUninstallInfoKey, false));
    r.WriteString("EarlierAppPath1", earlier);
    r.WriteString("EarlierAppPath3", "C:\\not consecutive");
  }
  const std::string file = Registry.AppPath + "\\PQENGINE.EXE";
  WriteTextFile(file, "new engine");
  Registry.AddInstallItem(file, FileSizeOf(file), FileDateTimeOf(file));
  EXPECT_EQ((std::vector<std::string>{Dir / "New Place", earlier}), TQLInstallRegistory::InstallRoots());
  TDialogScript script({});
  EXPECT_TRUE(Finished(Registry.UninstallItems()));
  EXPECT_TRUE(script.Requests.empty());  // one removal per path: no question, no failure
  EXPECT_FALSE(PathExists(file));
  EXPECT_FALSE(PathExists(earlier + "\\lib"));
  EXPECT_TRUE(DirectoryExists(earlier + "\\UNINST"));  // left to the uninstaller handling
  EXPECT_FALSE(PathExists(Dir / "New Place"));
}

TEST_F(InstallRecords, InstalledWhileEitherKeyIsThere) {
  EXPECT_FALSE(TQLInstallRegistory::IsInstalled());
  EXPECT_TRUE(TQLInstallRegistory::InstallRoots().empty());
  Registry.WriteUninstallKeys(true);
  EXPECT_TRUE(TQLInstallRegistory::IsInstalled());
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
  EXPECT_TRUE(TQLInstallRegistory::IsInstalled());
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallInfoKey);
  EXPECT_FALSE(TQLInstallRegistory::IsInstalled());
}

TEST_F(InstallRecords, VendorKeyGoesOnlyWhenEmpty) {
  Install({{"a.txt", "a"}});
  TDialogScript script({});
  Registry.Uninstall(RegistExtTable, RegistExtCount);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVendorKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kVendorKey));
  const std::string other = std::string(kVendorKey) + "\\Lumitrace";
  {
    TQLRegistry r(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(other, true));
  }
  Install({{"a.txt", "a"}});
  Registry.Uninstall(RegistExtTable, RegistExtCount);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, other));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVendorKey));
  TQLRegistry(HKEY_CURRENT_USER).DeleteKey(kVendorKey);
}

}  // namespace
