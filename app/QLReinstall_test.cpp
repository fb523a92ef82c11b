// Installations that do not finish, and reinstalls: a run that fails or is
// cancelled is undone, leaving nothing of itself, or the earlier installation
// exactly as it was; an earlier installation is never orphaned.
#include "app/QLInstallFixture.h"
#include "tests/support/KeyAccess.h"

namespace {

const char kNothingLeft[] = "\r\rEverything the setup had written was removed again: nothing of it is left.";
const char kEarlierAsItWas[] = "\r\rThe earlier installation of Prismora SE is as it was before the setup started.";

// What a first installation that did not finish leaves: nothing.
void ExpectNothingInstalled(const std::string& Folder) {
  EXPECT_EQ(0, RecordedItems());
  EXPECT_EQ("", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
  EXPECT_FALSE(FileExists(Folder + "\\UNINST\\UNINST.EXE"));
  EXPECT_FALSE(PathExists(Folder + "\\PQENGINE.EXE"));
  EXPECT_FALSE(PathExists(GetSpecialFolderPath(25) + "\\Prismora SE.lnk"));
  EXPECT_FALSE(PathExists(GetSpecialFolderPath(23) + "\\Prismora SE"));
}

// A record that cannot be written stops the copying run with the registry's
// own message; the program ends as failed, and what it wrote is undone.
TEST_F(InstallAndUninstall, RecordThatCannotBeWrittenFailsTheRun) {
  DeleteTree(Folder);  // what earlier tests left for the next start
  ClearPendingOperations();
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(kInfoKey, true));
  }
  ASSERT_TRUE(SetKeyAccess(HKEY_LOCAL_MACHINE, kInfoKey, "D:P(A;;KR;;;WD)"));
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text, 60000));
  EXPECT_EQ(std::string("Failed to set data for 'InstallItem'") + kNothingLeft, text);
  EXPECT_EQ(1603, setup.WaitExit());
  EXPECT_EQ("", UninstallCommand());
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\UNINST.EXE"));
  EXPECT_FALSE(PathExists(Folder));
  ASSERT_TRUE(SetKeyAccess(HKEY_LOCAL_MACHINE, kInfoKey, "D:P(A;;KA;;;WD)"));
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey);
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
  DeleteTree(Folder);
}

// An uninstaller that cannot be written fails the run before any product
// file is written, naming the file.
TEST_F(InstallAndUninstall, UninstallerThatCannotBeWrittenFailsTheRun) {
  ASSERT_TRUE(ForceDirectories(Folder + "\\UNINST\\UNINST.EXE"));  // a folder in the way
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text, 60000));
  EXPECT_EQ(0u, text.find("The uninstaller could not be written:\r\r" + Folder + "\\UNINST\\UNINST.EXE")) << text;
  EXPECT_NE(std::string::npos, text.find(kNothingLeft)) << text;
  EXPECT_EQ(1603, setup.WaitExit());
  ExpectNothingInstalled(Folder);
  RemoveDirectoryA((Folder + "\\UNINST\\UNINST.EXE").c_str());
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey);
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
  DeleteTree(Folder);
}

// A file that cannot be created fails the run once the walk is over, and
// the run is undone: the files it wrote go, the folder in the way stays.
TEST_F(InstallAndUninstall, FileThatCannotBeCreatedFailsTheRun) {
  ASSERT_TRUE(ForceDirectories(Folder + "\\README.TXT"));  // a folder where the file must go
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text, 60000));
  EXPECT_EQ("File Cannt create:\r\r" + Folder + "\\README.TXT", text);
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text, 60000));
  EXPECT_EQ(std::string("The installation failed: some files could not be created.") + kNothingLeft, text);
  EXPECT_EQ(1603, setup.WaitExit());
  ExpectNothingInstalled(Folder);
  EXPECT_TRUE(DirectoryExists(Folder + "\\README.TXT"));
  RemoveDirectoryA((Folder + "\\README.TXT").c_str());
  RemoveDirectoryA(Folder.c_str());
}

// A reinstall cancelled at a file in use: its own message, 1602, and the
// earlier installation is as it was, byte for byte, recorded and with its
// shortcuts.
TEST_F(InstallAndUninstall, CancelledReinstallKeepsTheEarlierInstallation) {
  Install();
  {
    TQLFileHandle held = HoldOpen(Folder + "\\README.TXT");
    ASSERT_TRUE(held);
    TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
    std::string text;
    ASSERT_TRUE(AnswerDialog(setup, "Error", "Cancel", &text, 60000));
    EXPECT_EQ("The file cannot be extract:\r\r" + Folder + "\\README.TXT", text);
    ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text));
    EXPECT_EQ(std::string("The installation was canceled.") + kEarlierAsItWas, text);
    EXPECT_EQ(1602, setup.WaitExit());
  }
  EXPECT_EQ(12, RecordedItems());
  for (const std::string& path : RecordedPaths()) EXPECT_TRUE(PathExists(path)) << path;
  for (const auto& entry : fs::directory_iterator(Payload))
    EXPECT_EQ(ReadTextFile(entry.path().string()), ReadTextFile(Folder + "\\" + entry.path().filename().string()))
        << entry.path();
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\KEPT"));
  EXPECT_TRUE(PathExists(GetSpecialFolderPath(25) + "\\Prismora SE.lnk"));
  EXPECT_TRUE(PathExists(GetSpecialFolderPath(23) + "\\Prismora SE\\Prismora.lnk"));
  std::string closing;
  Uninstall("OK", &closing);
  for (const auto& entry : fs::directory_iterator(Payload))
    EXPECT_FALSE(PathExists(Folder + "\\" + entry.path().filename().string())) << entry.path();
}

// A reinstall that ignores a file in use keeps that file's earlier record.
TEST_F(InstallAndUninstall, IgnoredFileKeepsItsEarlierRecord) {
  Install();
  {
    TQLFileHandle held = HoldOpen(Folder + "\\README.TXT");
    ASSERT_TRUE(held);
    TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
    ASSERT_TRUE(AnswerDialog(setup, "Error", "Ignore", nullptr, 60000));
    EXPECT_EQ(0, setup.WaitExit(120000));
  }
  EXPECT_EQ(12, RecordedItems());
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\KEPT"));  // the earlier files kept aside, then dropped
  std::string closing;
  Uninstall("OK", &closing);  // no question: the read-me is the one recorded
  EXPECT_FALSE(PathExists(Folder + "\\README.TXT"));
}

// A reinstall into another folder: the uninstaller removes the files of both.
TEST_F(InstallAndUninstall, ReinstallIntoAnotherFolderKeepsBothRemovable) {
  Install();
  const std::string other = "C:\\Prismora Elsewhere";
  InstallInto(other);
  EXPECT_EQ(24, RecordedItems());
  EXPECT_EQ(Folder, ReadString(HKEY_LOCAL_MACHINE, kInfoKey, "EarlierAppPath1"));
  std::string closing;
  Uninstall("OK", &closing);
  for (const auto& entry : fs::directory_iterator(Payload))
    for (const std::string& folder : {Folder, other})
      EXPECT_FALSE(PathExists(folder + "\\" + entry.path().filename().string())) << folder << entry.path();
}

// A setup started from a folder whose name has characters outside the ANSI
// code page installs an uninstaller that works.
TEST_F(InstallAndUninstall, SetupFromAFolderOutsideTheCodePage) {
  RegisterBrowser();
  const std::wstring folder = L"C:\\\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438 \u4e0b\u8f7d \u03b1\u03b2";
  const std::wstring program = folder + L"\\prismora-setup.exe";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  std::wstring source(MAX_PATH, L'\0');
  source.resize(MultiByteToWideChar(CP_ACP, 0, (TestProgramFolder() + "prismora-setup.exe").c_str(), -1,
                                    source.data(), MAX_PATH) - 1);
  ASSERT_TRUE(CopyFileW(source.c_str(), program.c_str(), FALSE));
  {
    TProcessDriver setup(program, L"/u");
    ASSERT_TRUE(setup.Started());
    EXPECT_EQ(0, setup.WaitExit(120000));
  }
  EXPECT_TRUE(PathExists(Folder + "\\UNINST\\UNINST.EXE"));
  std::string closing;
  Uninstall("OK", &closing);
  EXPECT_FALSE(PathExists(Folder + "\\PQENGINE.EXE"));
  DeleteFileW(program.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
