// The uninstall stays inside its installation and finishes what it starts,
// with the real setup program and uninstaller: forged and damaged records,
// read-only files, and installs and uninstalls in turn across a restart of
// the system (Wine's, which carries out the pending file operations).
#include "app/QLInstallFixture.h"

#include <algorithm>

namespace {

// The pending file operations: each one is a source and a target.
size_t PendingCount() {
  const std::string text = PendingOperations();
  return size_t(std::count(text.begin(), text.end(), '|')) / 2;
}

class UninstallBounds : public InstallAndUninstall {
protected:
  void TearDown() override {
    DeleteTree(Folder);
    ClearPendingOperations();
  }
  // The record of the installed file Name, rewritten by Change.
  template <typename TChange> void Rewrite(const std::string& Name, TChange Change) {
    for (int32_t i = 0; i < RecordedItems(); ++i) {
      TQLRegistry group(HKEY_LOCAL_MACHINE);
      ASSERT_TRUE(group.OpenKey(std::string(kInfoKey) + "\\" + InstallItemGroupKey(i), false));
      TQLInstallItem item;
      try {
        item = DecodeInstallItem(group.ReadBinaryData(InstallItemValueName(i)));
      } catch (const EQLRegistryError&) {
        continue;  // a record damaged before
      }
      if (item.Path == Folder + "\\" + Name) return Change(group, InstallItemValueName(i));
    }
    FAIL() << Name << " is not recorded";
  }
  // Points the record of Name at Path, with that file's size and time.
  void Forge(const std::string& Name, const std::string& Path) {
    Rewrite(Name, [&](TQLRegistry& Group, const std::string& Value) {
      const std::vector<uint8_t> record = EncodeInstallItem({FileDateTimeOf(Path), FileSizeOf(Path), Path});
      Group.WriteBinaryData(Value, record.data(), record.size());
    });
  }
  // The user's file and two records pointing at it, one of them through
  // the installation folder and "..".
  std::string ForgeRecordsAtDocuments() {
    const std::string documents = GetSpecialFolderPath(CSIDL_PERSONAL);
    const std::string important = documents + "\\important.dll";
    WriteTextFile(important, "the user's own library");
    std::string up = Folder;
    for (size_t n = std::count(Folder.begin(), Folder.end(), '\\'); n > 0; --n) up += "\\..";
    Forge("README.TXT", up + important.substr(2));
    Forge("PQENGINE.EXE", important);
    return important;
  }
};

TEST_F(UninstallBounds, RecordsOutsideTheInstallationAreLeftAloneAndNamed) {
  Install();
  std::string important = ForgeRecordsAtDocuments();
  std::string closing;
  Uninstall("OK", &closing, {}, 1603);
  EXPECT_EQ("the user's own library", ReadTextFile(important));
  EXPECT_EQ(0u, closing.rfind("Uninstallation was not completed.", 0)) << closing;
  // Both records name one file: the later one is the record of it.
  EXPECT_NE(std::string::npos, closing.find("important.dll (outside the installation folder, left alone)")) << closing;
  EXPECT_NE(std::string::npos, closing.find("\\..\\")) << closing;  // the forged spelling, as recorded
  EXPECT_FALSE(PathExists(Folder + "\\NPPQESE.DLL"));   // the walk went on
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // The quiet uninstall leaves it alone as well, and says so in its status.
  DeleteTree(Folder);
  Install();
  important = ForgeRecordsAtDocuments();
  const std::string command = UninstallCommand();
  TProcessDriver quiet(command.substr(1, command.find('"', 1) - 1), "/UNINSTALL /S");
  EXPECT_EQ(1603, quiet.WaitExit(120000));
  EXPECT_EQ("the user's own library", ReadTextFile(important));
  EXPECT_FALSE(PathExists(Folder + "\\NPPQESE.DLL"));
  DeleteFileA(important.c_str());
}

TEST_F(UninstallBounds, DamagedRecordsEndInFailureNamingThem) {
  Install();
  Rewrite("PQDSD50.DLL", [&](TQLRegistry& Group, const std::string& Value) {
    Group.WriteString(Value, Folder + "\\PQDSD50.DLL");  // a record rewritten as text
  });
  Rewrite("PQDSD90.DLL", [&](TQLRegistry& Group, const std::string& Value) {
    const uint8_t cut[] = {1, 2, 3, 4, 5};
    Group.WriteBinaryData(Value, cut, sizeof cut);  // a record cut short
  });
  std::string closing;
  Uninstall("OK", &closing, {}, 1603);
  EXPECT_NE(std::string::npos, closing.find("Invalid data type for 'App")) << closing;
  EXPECT_NE(std::string::npos, closing.find("Invalid data size for 'App")) << closing;
  EXPECT_NE(std::string::npos, closing.find("When Windows will be started next time")) << closing;
  EXPECT_TRUE(PathExists(Folder + "\\PQDSD50.DLL"));
  EXPECT_FALSE(PathExists(Folder + "\\PQENGINE.EXE"));  // every other record was walked
  EXPECT_FALSE(PathExists(Folder + "\\README.TXT"));
}

// A read-only, hidden product file goes; held open as well, it goes at the
// next start, and with it the installation folder.
TEST_F(UninstallBounds, ReadOnlyAndHiddenFilesGoNowOrAtTheNextStart) {
  ClearPendingOperations();
  Install();
  const std::string readme = Folder + "\\README.TXT", engine = Folder + "\\PQENGINE.EXE";
  ASSERT_TRUE(SetFileAttributesA(readme.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA(engine.c_str(), FILE_ATTRIBUTE_READONLY));
  TQLFileHandle held = HoldOpen(engine);
  ASSERT_TRUE(held);
  std::string closing;
  Uninstall("OK", &closing, {}, 3010);
  EXPECT_EQ(kFinished, closing);
  EXPECT_FALSE(PathExists(readme));
  held.Reset();
  EXPECT_TRUE(PathExists(engine));
  RestartWindows();
  EXPECT_FALSE(PathExists(engine));
  EXPECT_FALSE(PathExists(Folder)) << PendingOperations();
}

// Installs and uninstalls in turn: each install withdraws what an uninstall
// left for the next start, so the queue never holds more than one
// uninstall's requests, and after the restart the last action holds.
TEST_F(UninstallBounds, TheLastOfInstallsAndUninstallsHoldsAfterTheRestart) {
  ClearPendingOperations();
  std::string closing;
  size_t oneUninstall = 0;
  for (int cycle = 0; cycle < 2; ++cycle) {
    Install();
    EXPECT_EQ(0u, PendingCount()) << PendingOperations();
    Uninstall("OK", &closing);
    if (cycle == 0) oneUninstall = PendingCount();
    EXPECT_EQ(oneUninstall, PendingCount()) << PendingOperations();
  }
  EXPECT_EQ(3u, oneUninstall);  // the uninstaller, its folder, the installation folder
  Install();
  EXPECT_EQ(0u, PendingCount()) << PendingOperations();
  RestartWindows();
  EXPECT_TRUE(PathExists(Folder + "\\UNINST\\UNINST.EXE"));
  for (const auto& entry : fs::directory_iterator(Payload))
    EXPECT_TRUE(PathExists(Folder + "\\" + entry.path().filename().string())) << entry.path();
  Uninstall("OK", &closing);  // the command in the list of programs starts
  EXPECT_EQ(kFinished, closing);
  RestartWindows();
  EXPECT_FALSE(PathExists(Folder)) << PendingOperations();
  EXPECT_EQ(0u, PendingCount());
}

}  // namespace
