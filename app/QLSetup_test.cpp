// The setup program run for real under the system, driven from this test
// process as a person would: its windows found, its buttons pressed, its
// questions answered.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "shell/QLFileUtils.h"
#include "shell/QLRegistry.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/StandIns.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowDriver.h"

namespace {

const char kForm[] = "TFQLINST";
const char kQuitQuestion[] = "The Prismora SE installation program has not finished. Do you still want to quit?";

std::string SetupProgram() { return TestProgramFolder() + "prismora-setup.exe"; }

// Saves the page as a picture for a person to look at.
void Screenshot(HWND Form, const std::string& Name) {
  CaptureWindowPng(Form, TestProgramFolder() + "screenshots\\" + Name + ".png");
}

std::string Normalised(std::string Text) {
  std::string out;
  for (char c : Text)
    if (c != '\n') out += c;
  return out;
}

class SetupWizard : public ::testing::Test {
protected:
  void SetUp() override { CreateDirectoryA((TestProgramFolder() + "screenshots").c_str(), nullptr); }
  // Moves the wizard from the title page to the folder page.
  static void GoToFolderPage(HWND Form) {
    HWND next = FindControl(Form, "&Next");
    Click(next);
    ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
  }
  // Closes the wizard with the close question answered OK.
  static void Quit(TProcessDriver& Setup, HWND Form) {
    PostMessageA(Form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(AnswerDialog(Setup, "Warning", "OK"));
    EXPECT_EQ(1602, Setup.WaitExit());
  }
  // The page controls that are showing, to tell the pages apart.
  static bool Showing(HWND Form, const std::string& Text) { return IsShown(FindControl(Form, Text)); }
};

TEST_F(SetupWizard, TitleAndFolderPagesBackAndForth) {
  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  EXPECT_EQ("Prismora SE Setup (Build 1.0.5.12.N)", WindowText(form));
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(532, client.right);
  EXPECT_EQ(251, client.bottom);
  HWND next = FindControl(form, "&Next"), back = FindControl(form, "&Back"), cancel = FindControl(form, "&Cancel");
  ASSERT_TRUE(next && back && cancel);
  EXPECT_TRUE(IsShown(cancel));
  EXPECT_FALSE(IsWindowEnabled(back));
  EXPECT_FALSE(IsShown(FindControl(form, "Direct&X Only")));  // never on the NT family
  Screenshot(form, "1-title-page");

  Click(next);
  ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
  EXPECT_TRUE(IsWindowEnabled(back));
  EXPECT_TRUE(Showing(form, "Please specify the Folder of Prismora."));
  EXPECT_TRUE(Showing(form, "Folder"));
  EXPECT_TRUE(Showing(form, "B&rowse"));
  EXPECT_TRUE(Showing(form, "Install Size / Free Space"));
  HWND folder = FindControl(form, "C:\\Program Files (x86)\\Prismora 1.0 SE", "Edit");
  if (!folder) folder = FindControl(form, "C:\\Program Files\\Prismora 1.0 SE", "Edit");
  ASSERT_NE(nullptr, folder);
  Screenshot(form, "2-folder-page");

  // A folder on a drive that does not exist: no free space, no Install.
  TypeText(folder, "Q:\\Nowhere\\Prismora");
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(next); }));
  TypeText(folder, "C:\\Prismora Test");
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(next); }));

  Click(back);
  ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Next"; }));
  EXPECT_FALSE(IsWindowEnabled(back));

  // The close question: Cancel keeps the wizard, OK ends it as cancelled.
  PostMessageA(form, WM_CLOSE, 0, 0);
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "Cancel", &text));
  EXPECT_EQ(kQuitQuestion, Normalised(text));
  EXPECT_TRUE(IsShown(form));
  Click(cancel);
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "OK"));
  EXPECT_EQ(1602, setup.WaitExit());
}

TEST_F(SetupWizard, ArrowKeysMoveTheFocusAmongTheButtons) {
  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  HWND next = FindControl(form, "&Next"), back = FindControl(form, "&Back"), cancel = FindControl(form, "&Cancel");
  // The tab order is Cancel, Back, Next.
  EXPECT_EQ(back, GetWindow(cancel, GW_HWNDNEXT));
  EXPECT_EQ(next, GetWindow(back, GW_HWNDNEXT));
  ASSERT_TRUE(WaitFor([&] { return FocusedWindow(form) == next; }));
  // Back is disabled on the title page, so Left goes from Next to Cancel.
  PressKey(form, VK_LEFT);
  EXPECT_TRUE(WaitFor([&] { return FocusedWindow(form) == cancel; }));
  PressKey(form, VK_DOWN);
  EXPECT_TRUE(WaitFor([&] { return FocusedWindow(form) == next; }));
  EXPECT_EQ("&Next", WindowText(next));  // the arrows pressed nothing
  Click(next);
  ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
  ASSERT_TRUE(WaitFor([&] { return FocusedWindow(form) == next; }));
  PressKey(form, VK_LEFT);
  EXPECT_TRUE(WaitFor([&] { return FocusedWindow(form) == back; }));
  // Esc is Cancel: the close question, and Cancel there keeps the wizard.
  PressKey(form, VK_ESCAPE);
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "Cancel", &text));
  EXPECT_EQ(kQuitQuestion, Normalised(text));
  PressKey(form, VK_ESCAPE);
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "OK"));
  EXPECT_EQ(1602, setup.WaitExit());
}

// The folder page's instruction stands above the folder tree; the dialog's
// caption stays its own.
TEST_F(SetupWizard, BrowseShowsThePageInstructionAboveTheTree) {
  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  GoToFolderPage(form);
  Click(FindControl(form, "B&rowse"));
  HWND browse = setup.WaitWindow("#32770", "Browse for Folder");
  ASSERT_NE(nullptr, browse);
  EXPECT_NE(nullptr, FindControl(browse, "Please specify the Folder of Prismora."));
  Click(FindButton(browse, "Cancel"));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(browse); }));
  Quit(setup, form);
}

// The space needed counts the uninstaller the setup writes: the program
// without any archive.
TEST_F(SetupWizard, SpaceNeededCountsTheUninstaller) {
  int64_t payload = 0;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((TestProgramFolder() + "..\\demo-payload\\*").c_str(), &entry);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  do
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) payload += entry.nFileSizeLow;
  while (FindNextFileA(find, &entry));
  FindClose(find);
  WIN32_FILE_ATTRIBUTE_DATA uninstaller{};
  ASSERT_TRUE(GetFileAttributesExA((TestProgramFolder() + "prismora-uninst.exe").c_str(), GetFileExInfoStandard,
                                   &uninstaller));
  char expected[32];
  snprintf(expected, sizeof expected, "%6.2fMB", double(payload + uninstaller.nFileSizeLow) / 1024 / 1024);

  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  GoToFolderPage(form);
  bool found = false;
  for (const std::string& text : ControlTexts(form)) found = found || text.rfind(std::string(expected) + " /", 0) == 0;
  EXPECT_TRUE(found) << "no size text starting with " << expected;
  Quit(setup, form);
}

// A folder the installation cannot use is refused when Install is pressed,
// with its reason; the wizard stays on the folder page and nothing is
// written.
TEST_F(SetupWizard, ARefusedFolderIsToldAndTheFolderPageStays) {
  const std::string programFiles = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  GoToFolderPage(form);
  HWND edit = FindControl(form, programFiles + "\\Prismora 1.0 SE", "Edit");
  ASSERT_NE(nullptr, edit);
  HWND next = FindControl(form, "&Install");
  TypeText(edit, programFiles);
  Click(next);
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text));
  EXPECT_EQ("This folder cannot be used: it is a program-files folder itself, where every program has its own folder.\r"
            "Please choose another folder.",
            Normalised(text));
  Sleep(300);
  EXPECT_EQ("&Install", WindowText(next));  // still the folder page
  EXPECT_EQ(programFiles, WindowText(edit));
  EXPECT_FALSE(PathExists(programFiles + "\\UNINST"));
  EXPECT_FALSE(PathExists(programFiles + "\\PQENGINE.EXE"));
  Quit(setup, form);
}

// The free space of a share is asked of the share itself, whatever its name
// is written in: \\localhost\Partagé, which the test session provides.
TEST_F(SetupWizard, AShareWithAnAccentedNameShowsItsFreeSpace) {
  const std::string share = "\\\\localhost\\Partag\xE9";
  if (GetFileAttributesA((share + "\\").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no share " << share << " on this machine";
  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  GoToFolderPage(form);
  HWND edit = FindControl(form, GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + "\\Prismora 1.0 SE", "Edit");
  ASSERT_NE(nullptr, edit);
  HWND next = FindControl(form, "&Install");
  TypeText(edit, "\\\\nohost\\share\\Prismora");  // no such share: no free space, Install disabled
  ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(next); }));
  TypeText(edit, share + "\\Prismora");
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(next); }));
  bool zero = false;
  for (const std::string& text : ControlTexts(form)) zero = zero || text.find("/     0.00MB") != std::string::npos;
  EXPECT_FALSE(zero);
  Quit(setup, form);
}

// One setup at a time: a second one, installing or uninstalling, is told
// and ends before it changes anything.
TEST_F(SetupWizard, ASecondSetupStopsAtOnce) {
  TProcessDriver first(SetupProgram(), "");
  HWND form = first.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  for (const char* arguments : {"", "/UNINSTALL"}) {
    TProcessDriver second(SetupProgram(), arguments);
    std::string text;
    ASSERT_TRUE(AnswerDialog(second, "Error", "OK", &text)) << arguments;
    EXPECT_EQ("Another Prismora SE setup is already running.", text);
    EXPECT_EQ(nullptr, second.FindWindowNow(kForm));
    EXPECT_EQ(1618, second.WaitExit());
  }
  Quit(first, form);
}

// A DSETUP.DLL in the root of the current drive is never loaded on the NT
// family, where no DirectX step exists; on 95/98/Me it is offered but only
// looked at until the user starts the step.
TEST_F(SetupWizard, RootDirectXSetupIsNotLoadedAtStart) {
  TTempFolder work;
  const std::string root = work.Path().substr(0, 3);
  ASSERT_EQ(":\\", root.substr(1));
  const std::string library = root + "DSETUP.DLL", marker = root + "DSETUP.LOADED";
  ASSERT_TRUE(CopyStandIn("standin_dsetup.dll", library));
  DeleteFileA(marker.c_str());
  for (const char* program : {"prismora-setup.exe", "prismora-setup-test.exe"}) {
    const bool otherFamily = std::string(program) == "prismora-setup-test.exe";
    SetProcessVariable("QL_PLATFORM_FAMILY", otherFamily ? "9x" : "");
    TProcessDriver setup(TestProgramFolder() + program, "", work.Path());
    HWND form = setup.WaitWindow(kForm);
    ASSERT_NE(nullptr, form);
    EXPECT_EQ(otherFamily, IsShown(FindControl(form, "Direct&X Only"))) << program;
    EXPECT_FALSE(PathExists(marker)) << program;
    Quit(setup, form);
  }
  SetProcessVariable("QL_PLATFORM_FAMILY", "");
  DeleteFileA(library.c_str());
  DeleteFileA(marker.c_str());
}

TEST_F(SetupWizard, TitlePageQuestionsStopOrContinue) {
  const std::string key = "\\Software\\Microsoft\\Internet Explorer";
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey(key, true));
  const std::string saved = registry.ReadString("Version");
  registry.WriteString("Version", "3.02");
  registry.CloseKey();
  {
    TProcessDriver setup(SetupProgram(), "");
    HWND form = setup.WaitWindow(kForm);
    ASSERT_NE(nullptr, form);
    HWND next = FindControl(form, "&Next");
    Click(next);
    std::string text;
    ASSERT_TRUE(AnswerDialog(setup, "Warning", "OK", &text));
    EXPECT_EQ("For performing this program, Internet Explorer 4.0 or later is required.\rPlease be sure to install "
              "the newest Internet Explorer.",
              Normalised(text));
    Sleep(300);
    EXPECT_EQ("&Next", WindowText(next));  // OK stops on the title page
    Click(next);
    ASSERT_TRUE(AnswerDialog(setup, "Warning", "Continue"));
    EXPECT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
  }
  ASSERT_TRUE(registry.OpenKey(key, false));
  registry.WriteString("Version", saved);
}

TEST_F(SetupWizard, BrokenArchiveEndsBeforeAnyWindow) {
  TTempFolder dir;
  const std::string broken = dir / "broken-setup.exe";
  ASSERT_TRUE(CopyFileA(SetupProgram().c_str(), broken.c_str(), FALSE));
  HANDLE update = BeginUpdateResourceA(broken.c_str(), FALSE);
  ASSERT_NE(nullptr, update);
  char junk[100] = "not an archive at all";
  ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(10), "PQSETUP", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                              junk, sizeof junk));
  ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
  TProcessDriver setup(broken, "");
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text));
  EXPECT_EQ("The archive file is broken or is not found.", text);
  EXPECT_EQ(nullptr, setup.FindWindowNow(kForm));
  EXPECT_EQ(1603, setup.WaitExit());
}

// The uninstaller program carries no archive: started as a setup under
// another name, it says so before any window and ends as failed.
TEST_F(SetupWizard, ProgramWithoutArchiveEndsBeforeAnyWindow) {
  TProcessDriver setup(TestProgramFolder() + "prismora-uninst.exe", "");
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Error", "OK", &text));
  EXPECT_EQ("The archive file is broken or is not found.", text);
  EXPECT_EQ(nullptr, setup.FindWindowNow(kForm));
  EXPECT_EQ(1603, setup.WaitExit());
}

// A window of the class a browser shows, as a running browser would have.
class TBrowserWindow {
public:
  TBrowserWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "IEFrame";
    RegisterClassA(&wc);
    FHandle = CreateWindowExA(0, "IEFrame", "Home page", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  ~TBrowserWindow() { DestroyWindow(FHandle); }

private:
  HWND FHandle;
};

TEST_F(SetupWizard, RunningBrowserIsAskedAbout) {
  TBrowserWindow browser;
  TProcessDriver setup(SetupProgram(), "");
  HWND form = setup.WaitWindow(kForm);
  ASSERT_NE(nullptr, form);
  HWND next = FindControl(form, "&Next");
  Click(next);
  std::string text;
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "Continue", &text));
  EXPECT_EQ("Please terminate a browser at the time of Prismora installation.", text);
  EXPECT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
  // On the folder page the close question is asked too.
  PostMessageA(form, WM_CLOSE, 0, 0);
  ASSERT_TRUE(AnswerDialog(setup, "Warning", "OK", &text));
  EXPECT_EQ(kQuitQuestion, Normalised(text));
  EXPECT_EQ(1602, setup.WaitExit());
}

TEST_F(SetupWizard, DirectXOnlyOnTheOtherFamily) {
  const std::string config = TestProgramFolder() + "prismora-setup-test.INI";
  TTempFolder redistributable;
  ASSERT_TRUE(CopyStandIn("standin_dsetup.dll", redistributable / "DSETUP.DLL"));
  WriteTextFile(config, "[DIRECTX]\r\nDXSETUP=YES\r\nDXPATH=" + redistributable.Path() + "\r\n");
  SetProcessVariable("QL_PLATFORM_FAMILY", "9x");
  {
    // The shipped program reads no test switch: it stays on its own family.
    TProcessDriver shipped(SetupProgram(), "");
    HWND form = shipped.WaitWindow(kForm);
    ASSERT_NE(nullptr, form);
    EXPECT_EQ("Prismora SE Setup (Build 1.0.5.12.N)", WindowText(form));
    Quit(shipped, form);
  }
  {
    TProcessDriver setup(TestProgramFolder() + "prismora-setup-test.exe", "");
    HWND form = setup.WaitWindow(kForm);
    ASSERT_NE(nullptr, form);
    EXPECT_EQ("Prismora SE Setup (Build 1.0.5.12.9)", WindowText(form));
    HWND directX = FindControl(form, "Direct&X Only");
    ASSERT_TRUE(IsShown(directX));
    Click(directX);
    HWND skip = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(skip = FindButton(form, "Skip")); }));
    Screenshot(form, "3-directx-page");
    Click(skip);  // no DirectX setup, and nothing of the product installed
    HWND next = FindControl(form, "&Exit");
    ASSERT_TRUE(WaitFor([&] { return IsShown(next = FindControl(form, "&Exit")); }));
    EXPECT_TRUE(IsShown(FindButton(form, "Details")));
    Screenshot(form, "4-complete-page");
    Click(next);
    EXPECT_EQ(0, setup.WaitExit());
  }
  EXPECT_FALSE(PathExists(redistributable / "DSETUP.LOG"));
  SetProcessVariable("QL_PLATFORM_FAMILY", "");
  DeleteFileA(config.c_str());
}

}  // namespace
