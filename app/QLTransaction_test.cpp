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
    // Every file before the one it stopped at is recorded; that one is not.
    EXPECT_EQ(Contains(name, "SPRECO") ? 11 : 0, RecordedItems());
    RecoveringUninstall();
    EXPECT_EQ("the user's own " + held, ReadTextFile(held));
    EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kUninstallKey));
    EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kProductKey));
    for (const auto& entry : fs::directory_iterator(Payload))
      if (entry.path().filename().string() != name) {
        EXPECT_FALSE(PathExists(Folder + "\\" + entry.path().filename().string()));
      }
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
  HWND form = nullptr, next = nullptr;
  ASSERT_NO_FATAL_FAILURE(PressInstallInto(setup, "S:\\Prismora", form, next));
  ASSERT_TRUE(AnswerDialog(setup, "Error", "Ignore"));  // not enough space: go on
  // A file that cannot be created (unless even the uninstaller found no
  // room), then the closing message.
  HWND dialog = setup.WaitWindow("#32770", "Error", 60000);
  ASSERT_NE(nullptr, dialog);
  for (const std::string& text : ControlTexts(dialog))
    if (Contains(text, "File Cannt create:")) {
      ASSERT_TRUE(AnswerDialog(setup, "Error", "All"));
    }
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text, 60000));
  EXPECT_TRUE(Contains(text, kNothingLeft)) << text;
  EXPECT_EQ(1603, setup.WaitExit());
  EXPECT_FALSE(PathExists("S:\\Prismora"));
  EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kUninstallKey));
  EXPECT_FALSE(TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kProductKey));
}

// Installed into a folder of the user's with a read-me of their own: theirs
// is kept aside, named in the log, and still kept when the setup runs again
// over the installation (which keeps the product's own files aside in the
// same folder); it is back byte for byte after the uninstall, and their
// other files are never touched.
TEST_F(Transactions, UsersOwnFileIsKeptAndPutBack) {
  const std::string work = GetSpecialFolderPath(CSIDL_PERSONAL) + "\\Work";
  ForceDirectories(work);
  WriteTextFile(work + "\\README.TXT", "the user's read-me");
  WriteTextFile(work + "\\notes.txt", "the user's notes");
  TTempFolder temp;
  const std::string log = temp / "install.log";
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/S /LOG=" + log + " \"/D=" + work + "\"");
  ASSERT_EQ(0, setup.WaitExit(120000)) << ReadTextFile(log);
  EXPECT_TRUE(Contains(ReadTextFile(log), "kept aside (not the product's own): " + work + "\\README.TXT")) << ReadTextFile(log);
  ExpectPayloadInstalledIn(work);
  TProcessDriver again(TestProgramFolder() + "prismora-setup.exe", "/S \"/D=" + work + "\"");
  ASSERT_EQ(0, again.WaitExit(120000));
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
  // A machine with no file type of this product (earlier tests' folders,
  // removed without an uninstall, may have left theirs).
  for (const char* key : {".LTL", ".LTO", ".PQR", ".PQO", "PrismoraSERuntimeFile", "PrismoraCabinetFile"})
    TQLRegistry(HKEY_CLASSES_ROOT).DeleteKey(key);
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
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, gone)) << gone << ReadString(HKEY_CLASSES_ROOT, gone, "");
  for (const char* key : {".LTR", "OtherViewer.Document", "LUMI_TRACE_SE_RUNTIME_FILE"})
    TQLRegistry(HKEY_CLASSES_ROOT).DeleteKey(key);
}

// What the plug-in installation replaces or deletes in a browser's plug-in
// folder (a copy of the plug-in no installation on record made, the sibling
// product's plug-in and Java class) is kept, through a reinstall too, and
// back byte for byte after the uninstall.
TEST_F(Transactions, AnotherProductsPluginFilesArePutBack) {
  RegisterBrowser();
  const std::string plugins = Browser / "PLUGINS";
  const std::map<std::string, std::string> theirs = {{"NPLTPLAY.DLL", "the sibling's plug-in"},
                                                     {"NPPQESE.DLL", "a copy of no installation on record"},
                                                     {"LumitracePlugin.class", "the sibling's class"}};
  for (const auto& [name, text] : theirs) WriteTextFile(plugins + "\\" + name, text);
  Install();
  EXPECT_FALSE(PathExists(plugins + "\\NPLTPLAY.DLL"));
  EXPECT_FALSE(PathExists(plugins + "\\LumitracePlugin.class"));
  EXPECT_EQ(ReadTextFile(Folder + "\\NPPQESE.DLL"), ReadTextFile(plugins + "\\NPPQESE.DLL"));
  Install();
  EXPECT_EQ(ReadTextFile(Folder + "\\NPPQESE.DLL"), ReadTextFile(plugins + "\\NPPQESE.DLL"));
  std::string closing;
  Uninstall("OK", &closing);
  for (const auto& [name, text] : theirs) EXPECT_EQ(text, ReadTextFile(plugins + "\\" + name)) << name;
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\KEPT"));
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

// The machine as the test compares it: every file below C:\ with its size
// and a hash of its bytes (the Windows folder's by size and time), and every
// value below the machine's and the user's software keys, by name.
using TMachineState = std::map<std::string, std::string>;

std::string HashOf(const std::string& Bytes) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : Bytes) h = (h ^ c) * 1099511628211ull;
  return std::to_string(Bytes.size()) + ":" + std::to_string(h);
}

void AddFiles(const std::string& Folder, TMachineState& State) {
  WIN32_FIND_DATAA entry;
  TQLFindHandle find(FindFirstFileA((Folder + "\\*").c_str(), &entry));
  if (!find) return;
  do {
    const std::string name = entry.cFileName, path = Folder + "\\" + name;
    if (name == "." || name == ".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      State["folder " + path] = "";
      AddFiles(path, State);
    } else if (Contains(path, "C:\\windows\\")) {
      // Wine's own files (hundreds of megabytes): their size and time.
      State["file " + path] = std::to_string(entry.nFileSizeLow) + "@" + std::to_string(entry.ftLastWriteTime.dwLowDateTime);
    } else {
      State["file " + path] = HashOf(ReadTextFile(path));
    }
  } while (FindNextFileA(find.Get(), &entry));
}

void AddKeys(HKEY Root, const std::string& RootName, const std::string& Key, TMachineState& State) {
  TQLRegistry registry(Root);
  if (!registry.OpenKeyReadOnly(Key)) return;
  State["key " + RootName + Key] = "";
  for (const std::string& name : registry.GetValueNames()) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    registry.ReadValue(name, type, data);
    State["value " + RootName + Key + " [" + name + "]"] =
        std::to_string(type) + ":" + HashOf(std::string(data.begin(), data.end()));
  }
  for (const std::string& sub : registry.GetKeyNames()) AddKeys(Root, RootName, Key + "\\" + sub, State);
}

// What Wine itself changes as programs come and go is no part of it: its
// own keys, the shell's per-user state and the folder locations it notes
// when asked for them, its menu entries for desktop shortcuts, the network
// adapters it lists when it first looks for them, and the temporary folders.
bool WindowsOwn(const std::string& Name) {
  for (const char* part : {"\\Wine", "\\Explorer\\", "\\Temp\\", "\\Temp", "\\ShellNoRoam", "\\MuiCache",
                           "\\CurrentVersion [", "\\NetworkCards\\"})
    if (Contains(Name, part)) return true;
  return Name.size() > 8 && Name.compare(Name.size() - 8, 8, ".desktop") == 0;
}

TMachineState MachineState() {
  TMachineState state;
  AddFiles("C:", state);
  AddKeys(HKEY_LOCAL_MACHINE, "HKLM\\", "SOFTWARE", state);
  AddKeys(HKEY_CURRENT_USER, "HKCU\\", "Software", state);
  for (auto it = state.begin(); it != state.end();) it = WindowsOwn(it->first) ? state.erase(it) : std::next(it);
  return state;
}

// What differs between two states, one line each.
std::string Differences(const TMachineState& Before, const TMachineState& After) {
  std::string text;
  for (const auto& [name, value] : Before) {
    const auto found = After.find(name);
    if (found == After.end()) text += "gone: " + name + "\n";
    else if (found->second != value) text += "changed: " + name + "\n";
  }
  for (const auto& [name, value] : After)
    if (!Before.count(name)) text += "added: " + name + "\n";
  return text;
}

// An installation and its uninstall, with the restart that takes what was
// left for it, leave every file and registry value as it was before.
TEST_F(Transactions, TheWholeMachineIsAsBefore) {
  RegisterBrowser();
  ClearPendingOperations();
  RestartWindows();
  const TMachineState before = MachineState();
  ASSERT_GT(before.size(), 1000u);
  Install();
  std::string closing;
  Uninstall("OK", &closing);
  RestartWindows();
  EXPECT_EQ("", Differences(before, MachineState()));
}

}  // namespace
