// A whole installation of the demo product and its removal, with the real
// setup program under the system, driven from this test process.
#include "app/QLInstallFixture.h"
#include "tests/support/KeyAccess.h"

namespace {

TEST_F(InstallAndUninstall, EverythingInstalledThenEverythingGone) {
  ClearPendingOperations();
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(std::string(kMimeKey) + "application/x-lumitrace");
  Install();
  // Every file byte for byte, each recorded with its size and time.
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(info.OpenKeyReadOnly(kInfoKey));
  EXPECT_EQ(Folder, info.ReadString("AppPath"));
  const int32_t count = info.ReadInteger("InstallItem").value_or(0);
  EXPECT_EQ(12, count);
  int32_t checked = 0;
  for (const auto& entry : fs::directory_iterator(Payload)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(ReadTextFile(entry.path().string()), ReadTextFile(Folder + "\\" + name)) << name;
    ++checked;
  }
  EXPECT_EQ(12, checked);
  for (int32_t i = 0; i < count; ++i) {
    TQLRegistry group(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(group.OpenKeyReadOnly(std::string(kInfoKey) + "\\" + InstallItemGroupKey(i)));
    TQLInstallItem item = DecodeInstallItem(group.ReadBinaryData(InstallItemValueName(i)));
    EXPECT_EQ(FileSizeOf(item.Path), item.Size) << item.Path;
    EXPECT_DOUBLE_EQ(FileDateTimeOf(item.Path), item.Time) << item.Path;
  }
  EXPECT_EQ("\"" + Folder + "\\UNINST\\UNINST.EXE\" /UNINSTALL", UninstallCommand());
  EXPECT_EQ("Prismora SE", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
  EXPECT_EQ(Folder + "\\PQENGINE.EXE", ReadString(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\SECTION", "AppMain"));
  EXPECT_TRUE(PathExists(Folder + "\\UNINST\\UNINST.EXE"));
  for (const char* ext : kFileTypes) EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ext)) << ext;
  EXPECT_EQ("application/x-prismora-se", ReadString(HKEY_CLASSES_ROOT, ".PQR", "Content Type"));
  EXPECT_EQ(Folder + "\\axpqeng.dll", ReadString(HKEY_CLASSES_ROOT, kClsidKey, ""));
  EXPECT_EQ(ReadTextFile(Payload + "NPPQESE.DLL"), ReadTextFile(Browser / "PLUGINS\\NPPQESE.DLL"));
  const std::string desktop = GetSpecialFolderPath(25), programs = GetSpecialFolderPath(23);
  EXPECT_TRUE(PathExists(desktop + "\\Prismora SE.lnk"));
  EXPECT_TRUE(PathExists(programs + "\\Prismora SE\\Prismora.lnk"));
  EXPECT_TRUE(PathExists(programs + "\\Prismora SE\\Prismora ReadMe.lnk"));

  // A clean installation leaves nothing for the next start of Windows.
  EXPECT_EQ("", PendingOperations());
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\UNINST.000"));

  WriteTextFile(Folder + "\\my notes.txt", "the user's own file");
  std::string closing;
  Uninstall("OK", &closing);
  EXPECT_EQ(kFinished, closing);
  for (const auto& entry : fs::directory_iterator(Payload))
    EXPECT_FALSE(PathExists(Folder + "\\" + entry.path().filename().string())) << entry.path();
  EXPECT_EQ("the user's own file", ReadTextFile(Folder + "\\my notes.txt"));
  for (const char* key : {kUninstallKey, kProductKey}) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVendorKey));  // nothing else of the vendor's was there
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-prismora-se"));
  // The sibling product's key was written by the installation alone: it goes.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-lumitrace"));
  for (const char* ext : kFileTypes) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ext)) << ext;
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
  EXPECT_FALSE(PathExists(Browser / "PLUGINS\\NPPQESE.DLL"));
  EXPECT_FALSE(PathExists(desktop + "\\Prismora SE.lnk"));
  EXPECT_FALSE(PathExists(programs + "\\Prismora SE"));
  // The uninstaller, its folder and the installation folder go at the next start.
  const std::string pending = PendingOperations();
  for (const std::string& path : {Folder + "\\UNINST\\UNINST.EXE", Folder + "\\UNINST", Folder})
    EXPECT_NE(std::string::npos, pending.find("\\??\\" + path + "||")) << path << " in " << pending;
  DeleteFileA((Folder + "\\my notes.txt").c_str());
}

TEST_F(InstallAndUninstall, CancelledUninstallChangesNothing) {
  Install();
  std::string closing;
  Uninstall("Cancel", &closing);
  EXPECT_EQ("The operation was canceled.", closing);
  EXPECT_TRUE(PathExists(Folder + "\\PQENGINE.EXE"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".PQR"));

  // A file changed since installation is asked about; No keeps it.
  WriteTextFile(Folder + "\\README.TXT", "edited by the user");
  Uninstall("OK", &closing, {"No"});
  EXPECT_EQ("edited by the user", ReadTextFile(Folder + "\\README.TXT"));
  EXPECT_FALSE(PathExists(Folder + "\\PQENGINE.EXE"));
  DeleteFileA((Folder + "\\README.TXT").c_str());
}

TEST_F(InstallAndUninstall, InstallingTwiceRecordsTheSecondRun) {
  Install();
  Install();
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(info.OpenKeyReadOnly(kInfoKey));
  EXPECT_EQ(12, info.ReadInteger("InstallItem").value_or(0));
  std::string closing;
  Uninstall("OK", &closing);
  EXPECT_FALSE(PathExists(Folder + "\\PQENGINE.EXE"));
}

TEST_F(InstallAndUninstall, FileInTheWayIgnoredAndTheRestInstalled) {
  ForceDirectories(Folder);
  WriteTextFile(Folder + "\\README.TXT", "an older read-me, held open");
  TQLFileHandle held(CreateFileA((Folder + "\\README.TXT").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "Ignore", &text));
  EXPECT_EQ("The file cannot be extract:\r\r" + Folder + "\\README.TXT", text);
  EXPECT_EQ(0, setup.WaitExit(120000));
  held.Reset();
  EXPECT_EQ("an older read-me, held open", ReadTextFile(Folder + "\\README.TXT"));
  EXPECT_TRUE(PathExists(Folder + "\\PQENGINE.EXE"));
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(info.OpenKeyReadOnly(kInfoKey));
  EXPECT_EQ(11, info.ReadInteger("InstallItem").value_or(0));  // the file kept is no install item
  std::string closing;
  Uninstall("OK", &closing);
  EXPECT_EQ("an older read-me, held open", ReadTextFile(Folder + "\\README.TXT"));
  DeleteFileA((Folder + "\\README.TXT").c_str());
}

// Installed into a folder of its own inside Documents (Documents itself is
// refused): the user's folders stay, and so does Documents after the
// restart.
TEST_F(InstallAndUninstall, DocumentsKeepTheUsersEmptyFolders) {
  const std::string documents = GetSpecialFolderPath(CSIDL_PERSONAL);
  ASSERT_FALSE(documents.empty());
  ForceDirectories(documents + "\\Projects\\2025");
  ForceDirectories(documents + "\\Scans");
  InstallInto(documents + "\\Prismora");
  std::string closing;
  Uninstall("OK", &closing);
  ExpectPayloadGone(documents + "\\Prismora");
  EXPECT_TRUE(DirectoryExists(documents + "\\Projects\\2025"));
  EXPECT_TRUE(DirectoryExists(documents + "\\Scans"));
  EXPECT_FALSE(Pending(documents)) << PendingOperations();
  DeleteTree(documents + "\\Projects");
  DeleteTree(documents + "\\Scans");
  DeleteTree(documents + "\\Prismora");
}

// A copy of the uninstaller started from elsewhere removes the installed
// uninstaller and its folders, and leaves itself and its folders alone.
TEST_F(InstallAndUninstall, CopyOfTheUninstallerElsewhereLeavesItselfAlone) {
  Install();
  const std::string downloads = GetSpecialFolderPath(CSIDL_PROFILE) + "\\Downloads";
  ForceDirectories(downloads);
  const std::string copy = downloads + "\\UNINST.EXE";
  ASSERT_TRUE(CopyFileA((Folder + "\\UNINST\\UNINST.EXE").c_str(), copy.c_str(), FALSE));
  std::string closing;
  RunUninstaller(copy, "", "OK", &closing);
  EXPECT_EQ("Uninstallation was finished", closing);  // nothing is left for the next start
  EXPECT_FALSE(PathExists(Folder));
  EXPECT_TRUE(PathExists(copy));
  for (const std::string& path : {copy, downloads, GetSpecialFolderPath(CSIDL_PROFILE)})
    EXPECT_FALSE(Pending(path)) << path;

  // Nothing installed any more: told so, before any question, and nothing changes.
  for (const std::string& program : {copy, TestProgramFolder() + "prismora-setup.exe"}) {
    TProcessDriver again(program, "/UNINSTALL");
    std::string text;
    ASSERT_TRUE(AnswerDialog(again, "Error", "OK", &text));
    EXPECT_EQ("Prismora SE is not installed.", text);
    EXPECT_EQ(1605, again.WaitExit());
    EXPECT_FALSE(Pending(program)) << program;
  }
  EXPECT_TRUE(PathExists(copy));
  DeleteFileA(copy.c_str());
}

// Whether Program carries the resource Name (raw data).
bool CarriesResource(const std::string& Program, const char* Name) {
  TQLLibrary module(LoadLibraryExA(Program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  return module && FindResourceA(module.Get(), Name, MAKEINTRESOURCEA(10)) != nullptr;
}

// The uninstaller written is the program built without any archive, dated
// like the setup; an installation over a pending delete of it withdraws
// that delete instead of queuing a copy behind it.
TEST_F(InstallAndUninstall, UninstallerIsTheProgramWithoutArchive) {
  ClearPendingOperations();
  Install();
  const std::string uninstaller = Folder + "\\UNINST\\UNINST.EXE";
  const std::string built = ReadTextFile(TestProgramFolder() + "prismora-uninst.exe");
  ASSERT_FALSE(built.empty());
  EXPECT_TRUE(built == ReadTextFile(uninstaller));
  EXPECT_FALSE(CarriesResource(uninstaller, "PQSETUP"));
  EXPECT_FALSE(CarriesResource(uninstaller, "PQUNINST"));
  EXPECT_TRUE(CarriesResource(TestProgramFolder() + "prismora-setup.exe", "PQUNINST"));
  EXPECT_DOUBLE_EQ(FileDateTimeOf(TestProgramFolder() + "prismora-setup.exe"), FileDateTimeOf(uninstaller));
  std::string closing;
  Uninstall("OK", &closing);
  ASSERT_TRUE(Pending(uninstaller)) << PendingOperations();
  Install();
  EXPECT_TRUE(built == ReadTextFile(uninstaller));
  EXPECT_FALSE(PathExists(Folder + "\\UNINST\\UNINST.000"));
  EXPECT_EQ("", PendingOperations());
  Uninstall("OK", &closing);
  EXPECT_TRUE(Pending(uninstaller)) << PendingOperations();
  ClearPendingOperations();
  DeleteTree(Folder);
}

// A product file held open at uninstall goes at the next start, and the
// status asks for that restart.
TEST_F(InstallAndUninstall, FileInUseIsLeftToTheNextStart) {
  Install();
  const std::string engine = Folder + "\\PQENGINE.EXE";
  TQLFileHandle held(CreateFileA(engine.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  std::string closing;
  Uninstall("OK", &closing, {}, 3010);
  EXPECT_EQ(kFinished, closing);
  held.Reset();
  EXPECT_TRUE(Pending(engine)) << PendingOperations();
  EXPECT_FALSE(PathExists(Folder + "\\README.TXT"));
  DeleteTree(Folder);
}

// Without the item count every stored record is still found; the sibling
// product's MIME key, there before the installation, stays; one that is
// gone by the uninstall is not created.
TEST_F(InstallAndUninstall, DamagedCountStillRemovesEveryFile) {
  const std::string sibling = std::string(kMimeKey) + "application/x-lumitrace";
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(sibling, true));
    r.WriteString("Extension", ".ltr");
  }
  Install();
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(kInfoKey, false));
    ASSERT_TRUE(r.DeleteValue("InstallItem"));
  }
  std::string closing;
  Uninstall("OK", &closing);
  ExpectPayloadGone(Folder);
  EXPECT_EQ(".ltr", ReadString(HKEY_LOCAL_MACHINE, sibling, "Extension"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-prismora-se"));
  Install();
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(sibling);
  Uninstall("OK", &closing);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, sibling));
}

// The DirectX step exists on Windows 95/98/Me only; the tests name that
// family to the program. The DirectX setup is the project's stand-in.
class DirectXStep : public InstallAndUninstall {
protected:
  void SetUp() override {
    ASSERT_TRUE(CopyStandIn("standin_dsetup.dll", Redistributable / "DSETUP.DLL"));
    WriteTextFile(Config, "[DIRECTX]\r\nDXSETUP = yes \r\nDXPATH=" + Redistributable.Path() + "\r\n");
    SetProcessVariable("QL_PLATFORM_FAMILY", "9x");
  }
  void TearDown() override {
    SetProcessVariable("QL_PLATFORM_FAMILY", "");
    SetProcessVariable("QL_DSETUP_RESULT", "");
    DeleteFileA(Config.c_str());
  }
  // Walks the wizard to the completion page; the buttons there.
  void RunToComplete(TProcessDriver& Setup, HWND& Back, HWND& Next) {
    HWND form = Setup.WaitWindow("TFQLINST");
    ASSERT_NE(nullptr, form);
    Next = FindButton(form, "Next");
    Back = FindButton(form, "Back");
    Click(Next);
    ASSERT_TRUE(WaitFor([&] { return WindowText(Next) == "&Install"; }));
    Click(Next);  // the copying run
    ASSERT_TRUE(WaitFor([&] { return WindowText(Next) == "&Next" && IsWindowEnabled(Next); }, 120000));
    Click(Next);
    ASSERT_TRUE(WaitFor([&] { return IsShown(FindButton(form, "Skip")); }));
    EXPECT_TRUE(IsShown(FindControl(form, "The installation of DirectX begins.")));
    EXPECT_EQ("&Install", WindowText(Next));
    Click(Next);
    ASSERT_TRUE(WaitFor([&] { return WindowText(Next) == "&Exit" && IsWindowEnabled(Next); }, 60000));
  }
  TTempFolder Redistributable;
  const std::string Config = TestProgramFolder() + "prismora-setup-test.INI";
};

TEST_F(DirectXStep, RestartWantedGivesTheRestartButton) {
  SetProcessVariable("QL_DSETUP_RESULT", "1");
  TProcessDriver setup(TestProgramFolder() + "prismora-setup-test.exe", "");
  HWND back = nullptr, next = nullptr;
  RunToComplete(setup, back, next);
  EXPECT_EQ("Restart", WindowText(back));
  EXPECT_EQ(Redistributable.Path() + "|10010018\n", ReadTextFile(Redistributable / "DSETUP.LOG"));
  Click(next);  // Exit without restarting
  EXPECT_EQ(3010, setup.WaitExit());
  std::string closing;
  Uninstall("OK", &closing);
}

TEST_F(DirectXStep, OtherResultsGiveTheDetailsButton) {
  SetProcessVariable("QL_DSETUP_RESULT", "-14");
  TProcessDriver setup(TestProgramFolder() + "prismora-setup-test.exe", "");
  HWND back = nullptr, next = nullptr;
  RunToComplete(setup, back, next);
  EXPECT_EQ("Details", WindowText(back));
  Click(next);
  EXPECT_EQ(0, setup.WaitExit());
  std::string closing;
  Uninstall("OK", &closing);
}

}  // namespace
