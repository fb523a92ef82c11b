// Runs that are stopped, fail or are undone, and what an installation keeps
// of what was on the machine before it: the real setup program and its
// uninstaller, stopped from this process as a power cut or a killed
// deployment agent would stop them (a process ended while a question
// waits is ended at a known place).
#include <map>

#include "app/QLInstallFixture.h"
#include "shell/QLPathRules.h"

namespace {

const char kNothingLeft[] = "Everything the setup had written was removed again: nothing of it is left.";

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

class Transactions : public InstallAndUninstall {
protected:
  void TearDown() override {
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey);
    TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
    DeleteTree(Folder);
    ClearPendingOperations();
  }
  // The setup started with Arguments and ended, as a kill ends it, while it
  // asks about File, which this process holds open without delete sharing.
  void StopSetupAt(const std::string& File, const std::string& Arguments) {
    ForceDirectories(ParentFolder(File));
    if (!PathExists(File)) WriteTextFile(File, "the user's own " + File);
    TQLFileHandle held = HoldOpen(File);
    ASSERT_TRUE(held);
    TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", Arguments);
    ASSERT_NE(nullptr, setup.WaitWindow("#32770", "Error", 60000));
  }  // the driver ends the process here
  // The registered uninstall command, which finds the stopped run first.
  std::string RecoveringUninstall(int Status = 0) {
    const std::string command = UninstallCommand();
    EXPECT_FALSE(command.empty());
    TProcessDriver uninstaller(command.substr(1, command.find('"', 1) - 1), "/UNINSTALL");
    std::string text;
    EXPECT_TRUE(AnswerDialog(uninstaller, "Information", "OK", &text, 60000));
    EXPECT_EQ(Status, uninstaller.WaitExit());
    return text;
  }
  void ExpectPayloadInstalledIn(const std::string& Where) {
    for (const auto& entry : fs::directory_iterator(Payload))
      EXPECT_EQ(ReadTextFile(entry.path().string()), ReadTextFile(Where + "\\" + entry.path().filename().string()))
          << entry.path();
  }
};

// Stopped early (at the first file) and late (at the last): the list of
// programs starts an uninstaller that finds the stopped run and leaves
// nothing of it; the user's file it stopped at is untouched; and the setup
// started again installs completely.
TEST_F(Transactions, StoppedDuringTheExtractionIsRemovableThenSetUpAgain) {
  for (const char* name : {"AXPQENG.DLL", "SPRECO.DLL"}) {
    SCOPED_TRACE(name);
    const std::string held = Folder + "\\" + name;
    StopSetupAt(held, "/u");
    ASSERT_TRUE(PathExists(Folder + "\\UNINST\\UNINST.EXE"));
    EXPECT_EQ(Contains(name, "SPRECO") ? 12 : 1, RecordedItems());
    RecoveringUninstall();
    EXPECT_EQ("the user's own " + held, ReadTextFile(held));
    EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kUninstallKey));
    EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kProductKey));
    for (const auto& entry : fs::directory_iterator(Payload))
      if (entry.path().filename().string() != name) EXPECT_FALSE(PathExists(Folder + "\\" + entry.path().filename().string()));
    DeleteFileA(held.c_str());
  }
  Install();
  EXPECT_EQ(12, RecordedItems());
  ExpectPayloadInstalledIn(Folder);
  std::string closing;
  Uninstall("OK", &closing);
  ExpectPayloadGone(Folder);
}

// Stopped while it asks about a file the user changed, the uninstall is
// completed by the next one.
TEST_F(Transactions, StoppedUninstallIsCompletedByTheNextOne) {
  Install();
  WriteTextFile(Folder + "\\README.TXT", "edited by the user");
  {
    TProcessDriver uninstaller(Folder + "\\UNINST\\UNINST.EXE", "/UNINSTALL");
    ASSERT_TRUE(AnswerDialog(uninstaller, "Warning", "OK"));
    ASSERT_NE(nullptr, uninstaller.WaitWindow("#32770", "Warning"));  // the changed read-me
  }
  std::string closing;
  Uninstall("OK", &closing, {"Yes"});
  ExpectPayloadGone(Folder);
  EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kUninstallKey));
}

// A disk that fills while the files are copied (the space question ignored):
// the run fails and leaves nothing on that disk or in the registry.
TEST_F(Transactions, DiskFullDuringCopyingLeavesNothing) {
  if (GetDriveTypeA("S:\\") <= DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no small drive S: on this machine";
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "");
  HWND form = setup.WaitWindow("TFQLINST");
  ASSERT_NE(nullptr, form);
  HWND next = FindButton(form, "Next");
  Click(next);
  ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
  TypeText(FindControl(form, Folder, "Edit"), "S:\\Prismora");
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(next); }));
  Click(next);
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "Ignore"));  // not enough space: go on
  std::string text;
  while (AnswerDialog(setup, "Error", "All", &text, 60000) && Contains(text, "File Cannt create:")) {
  }
  if (!Contains(text, kNothingLeft)) ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text));
  EXPECT_TRUE(Contains(text, kNothingLeft)) << text;
  EXPECT_EQ(1603, setup.WaitExit());
  EXPECT_FALSE(PathExists("S:\\Prismora"));
  EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kUninstallKey));
  EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kProductKey));
}

// Installed into a folder of the user's with a read-me of their own: theirs
// is kept aside, named in the log, and back byte for byte after the
// uninstall; their other files are never touched.
TEST_F(Transactions, UsersOwnFileIsKeptAndPutBack) {
  const std::string work = GetSpecialFolderPath(CSIDL_PERSONAL) + "\\Work";
  ForceDirectories(work);
  WriteTextFile(work + "\\README.TXT", "the user's read-me");
  WriteTextFile(work + "\\notes.txt", "the user's notes");
  TTempFolder temp;
  const std::string log = temp / "install.log";
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/S /LOG=" + log + " \"/D=" + work + "\"");
  ASSERT_EQ(0, setup.WaitExit(120000));
  EXPECT_TRUE(Contains(ReadTextFile(log), "kept aside (not the product's own): " + work + "\\README.TXT")) << ReadTextFile(log);
  ExpectPayloadInstalledIn(work);
  TProcessDriver uninstaller(work + "\\UNINST\\UNINST.EXE", "/UNINSTALL /S");
  EXPECT_EQ(0, uninstaller.WaitExit(120000));
  EXPECT_EQ("the user's read-me", ReadTextFile(work + "\\README.TXT"));
  EXPECT_EQ("the user's notes", ReadTextFile(work + "\\notes.txt"));
  EXPECT_FALSE(PathExists(work + "\\PQENGINE.EXE"));
  EXPECT_FALSE(PathExists(work + "\\UNINST\\KEPT"));
  DeleteTree(work);
}

void WriteDefault(const std::string& Key, const std::string& Value) {
  TQLRegistry r(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(r.OpenKey(Key, true));
  r.WriteString("", Value);
}

// Another product's association of ".LTR", and its own class of the sibling
// file type, are back as they were after the uninstall; the product's own
// types are gone.
TEST_F(Transactions, AnotherProductsFileTypeIsPutBack) {
  WriteDefault(".LTR", "OtherViewer.Document");
  WriteDefault("OtherViewer.Document\\shell\\open\\command", "\"C:\\Other\\viewer.exe\" \"%1\"");
  WriteDefault("LUMI_TRACE_SE_RUNTIME_FILE\\shell\\open\\command", "\"C:\\Lumi\\player.exe\" \"%1\"");
  Install();
  EXPECT_EQ("LUMI_TRACE_SE_RUNTIME_FILE", ReadString(HKEY_CLASSES_ROOT, ".LTR", ""));
  std::string closing;
  Uninstall("OK", &closing);
  EXPECT_EQ("OtherViewer.Document", ReadString(HKEY_CLASSES_ROOT, ".LTR", ""));
  EXPECT_EQ("\"C:\\Other\\viewer.exe\" \"%1\"", ReadString(HKEY_CLASSES_ROOT, "OtherViewer.Document\\shell\\open\\command", ""));
  EXPECT_EQ("\"C:\\Lumi\\player.exe\" \"%1\"", ReadString(HKEY_CLASSES_ROOT, "LUMI_TRACE_SE_RUNTIME_FILE\\shell\\open\\command", ""));
  for (const char* gone : {".LTL", ".LTO", ".PQR", ".PQO", "PrismoraSERuntimeFile"})
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, gone)) << gone;
  for (const char* key : {".LTR", "OtherViewer.Document", "LUMI_TRACE_SE_RUNTIME_FILE"})
    TQLRegistry(HKEY_CLASSES_ROOT).DeleteKey(key);
}

// A reinstall stopped halfway is undone at the next start of the setup: the
// earlier installation is there byte for byte, recorded, with its shortcuts.
TEST_F(Transactions, ReinstallStoppedHalfwayIsUndoneAtTheNextStart) {
  Install();
  StopSetupAt(Folder + "\\README.TXT", "/u");
  {
    TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "");
    ASSERT_NE(nullptr, setup.WaitWindow("TFQLINST"));
  }
  EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(std::string(kProductKey) + "\\Journal"));
  EXPECT_EQ(12, RecordedItems());
  ExpectPayloadInstalledIn(Folder);
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\KEPT"));
  EXPECT_TRUE(PathExists(GetSpecialFolderPath(25) + "\\Prismora SE.lnk"));
  EXPECT_TRUE(PathExists(GetSpecialFolderPath(23) + "\\Prismora SE\\Prismora ReadMe.lnk"));
  std::string closing;
  Uninstall("OK", &closing);
  ExpectPayloadGone(Folder);
}

}  // namespace
