// Test support for the end-to-end installation tests: the demo product
// installed with the real setup program and removed with its uninstaller,
// driven from the test process as a person would; the registry and the
// pending operations read back. Header only; each test file includes it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/QLInstallItem.h"
#include "shell/QLFileUtils.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLRegistry.h"
#include "shell/QLWinHandles.h"
#include "tests/support/InstallState.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/StandIns.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowDriver.h"

namespace fs = std::filesystem;

const char* const kUninstallKey = kTestUninstallKey;
const char* const kProductKey = kTestProductKey;
const char* const kInfoKey = kTestInfoKey;
const char kClsidKey[] = "\\CLSID\\{5E2A7C10-3B94-4F61-9D08-A1C6E3B7F245}\\InprocServer32";
const char kFirefoxKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
const char* const kFileTypes[] = {".LTR", ".LTL", ".PQR", ".LTO", ".PQO"};

inline std::string ReadString(HKEY Root, const std::string& Key, const std::string& Name) {
  return ReadRegistryString(Root, Key, Name);
}

inline bool KeyExists(HKEY Root, const std::string& Key) { return RegistryKeyExists(Root, Key); }

// Whether a delete of Path (in any spelling) waits for the next start.
inline bool Pending(const std::string& Path) {
  TQLRegistry r(HKEY_LOCAL_MACHINE);
  if (!r.OpenKeyReadOnly("SYSTEM\\CurrentControlSet\\Control\\Session Manager")) return false;
  const std::vector<uint8_t> data = r.ReadBinaryData("PendingFileRenameOperations");
  std::vector<std::string> entries;
  for (size_t start = 0, end; start < data.size(); start = end + 1) {
    end = start;
    while (end < data.size() && data[end] != 0) ++end;
    entries.emplace_back(data.begin() + start, data.begin() + end);
  }
  for (size_t i = 0; i + 1 < entries.size(); i += 2)
    if (entries[i + 1].empty() && entries[i].rfind("\\??\\", 0) == 0 && SamePath(entries[i].substr(4), Path)) return true;
  return false;
}

const char kVendorKey[] = "SOFTWARE\\VELDRANE";
const char kMimeKey[] = "\\Software\\Microsoft\\Internet Explorer\\Plugins\\MIME\\";
const char kFinished[] = "Uninstallation was finished\r\n\r\nWhen Windows will be started next time, the remaining file "
                         "is automatically deleted.";

// A window of this test process in the foreground, as when the person
// turns to another program while the uninstall runs.
class TOtherProgramWindow {
public:
  TOtherProgramWindow()
      : FWindow(CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Another program", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                nullptr, nullptr, nullptr, nullptr)) {
    SetForegroundWindow(FWindow);
  }
  ~TOtherProgramWindow() { DestroyWindow(FWindow); }
  bool Foreground() const { return GetForegroundWindow() == FWindow; }

private:
  HWND FWindow;
};

inline std::string ProgramFolder() {
  return GetSpecialFolderPath(38);  // the program files folder
}

// The system's restart as far as files go: Wine carries out the pending
// file operations.
inline void RestartWindows() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  TProcessDriver boot(std::string(system) + "\\wineboot.exe", "--restart");
  ASSERT_EQ(0, boot.WaitExit(120000));
}

class InstallAndUninstall : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Folder = ProgramFolder() + "\\Prismora 1.0 SE";
    Payload = TestProgramFolder() + "..\\demo-payload\\";
  }
  // A browser whose plug-in folder the setup serves.
  void RegisterBrowser() {
    CreateDirectoryA((Browser / "PLUGINS").c_str(), nullptr);
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(kFirefoxKey, true));
    r.WriteString("", Browser / "firefox.exe");
  }
  void Install() {
    RegisterBrowser();
    TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "/u");
    ASSERT_EQ(0, setup.WaitExit(120000));
  }
  std::string UninstallCommand() const { return ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"); }
  // Runs the registered uninstaller, answering its confirmation; the
  // closing message is returned through Closing.
  void Uninstall(const std::string& Answer, std::string* Closing, const std::vector<std::string>& Questions = {},
                 int Status = -1) {
    const std::string command = UninstallCommand();
    ASSERT_FALSE(command.empty());
    const std::string program = command.substr(1, command.find('"', 1) - 1);
    RunUninstaller(program, command.substr(command.find('"', 1) + 2), Answer, Closing, Questions, Status);
  }
  // Runs Program as the uninstaller. Status -1 expects 0 after OK and 1602
  // after any other answer; the closing message of 1603 is an error. The closing message must come in the foreground
  // although another program took it meanwhile.
  void RunUninstaller(const std::string& Program, const std::string& Arguments, const std::string& Answer,
                      std::string* Closing, const std::vector<std::string>& Questions = {}, int Status = -1) {
    TProcessDriver uninstaller(Program, Arguments);
    ASSERT_NE(nullptr, uninstaller.WaitWindow("#32770", "Warning"));
    TOtherProgramWindow other;
    ASSERT_TRUE(other.Foreground());
    std::string text;
    ASSERT_TRUE(AnswerDialog(uninstaller, "Warning", Answer, &text));
    EXPECT_NE(std::string::npos, text.find("Prismora SE will be uninstalled now. Are you OK?"));
    for (const std::string& answer : Questions) ASSERT_TRUE(AnswerDialog(uninstaller, "Warning", answer));
    const std::string title = Answer == "OK" && Status != 1603 ? "Information" : "Error";
    HWND closing = uninstaller.WaitWindow("#32770", title);
    ASSERT_NE(nullptr, closing);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == closing; }, 3000)) << "the closing message is behind";
    ASSERT_TRUE(AnswerDialog(uninstaller, title, "OK", Closing));
    EXPECT_EQ(Status != -1 ? Status : Answer == "OK" ? 0 : 1602, uninstaller.WaitExit());
  }
  // Through the wizard's first page to its folder page, where Destination
  // is typed and Install pressed; the form and its Next button are given.
  void PressInstallInto(const TProcessDriver& Setup, const std::string& Destination, HWND& Form, HWND& Next) {
    Form = Setup.WaitWindow("TFQLINST");
    ASSERT_NE(nullptr, Form);
    HWND next = Next = FindButton(Form, "Next");
    Click(next);
    ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Install"; }));
    HWND edit = FindControl(Form, Folder, "Edit");
    ASSERT_NE(nullptr, edit);
    TypeText(edit, Destination);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(next); }));
    Click(next);
  }
  // Installs into Destination through the wizard's folder page.
  void InstallInto(const std::string& Destination) {
    RegisterBrowser();
    TProcessDriver setup(TestProgramFolder() + "prismora-setup.exe", "");
    HWND form = nullptr, next = nullptr;
    PressInstallInto(setup, Destination, form, next);  // the copying run
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Next" && IsWindowEnabled(next); }, 120000));
    Click(next);
    HWND exit = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(exit = FindControl(form, "&Exit")) && IsWindowEnabled(exit); }, 120000));
    Click(exit);
    ASSERT_EQ(0, setup.WaitExit());
    ASSERT_EQ(Destination, ReadString(HKEY_LOCAL_MACHINE, kInfoKey, "AppPath"));
  }
  void ExpectPayloadGone(const std::string& Where) {
    for (const auto& entry : fs::directory_iterator(Payload))
      EXPECT_FALSE(PathExists(Where + "\\" + entry.path().filename().string())) << entry.path();
  }
  inline static std::string Folder, Payload;
  TTempFolder Browser;
};


// The read-me held open without delete sharing, as a running viewer would.
inline TQLFileHandle HoldOpen(const std::string& Path) {
  return TQLFileHandle(
      CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}
