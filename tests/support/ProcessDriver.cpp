#include "tests/support/ProcessDriver.h"

#include <algorithm>
#include <thread>

namespace {

std::string WithoutAccelerators(std::string Text) {
  Text.erase(std::remove(Text.begin(), Text.end(), '&'), Text.end());
  return Text;
}

struct TSearch {
  DWORD ProcessId;
  std::string Class, Title;
  HWND Found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND Window, LPARAM Param) {
  auto* s = reinterpret_cast<TSearch*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Window, &pid);
  if (pid != s->ProcessId || !IsWindowVisible(Window)) return TRUE;
  char cls[128] = {};
  GetClassNameA(Window, cls, sizeof cls);
  if (s->Class != cls) return TRUE;
  if (!s->Title.empty() && WindowText(Window) != s->Title) return TRUE;
  s->Found = Window;
  return FALSE;
}

struct TChildSearch {
  std::string Text, Class;
  bool Loose = false;
  HWND Found = nullptr;
  std::vector<std::string>* All = nullptr;
};

BOOL CALLBACK MatchChild(HWND Child, LPARAM Param) {
  auto* s = reinterpret_cast<TChildSearch*>(Param);
  const std::string text = WindowText(Child);
  if (s->All) {
    s->All->push_back(text);
    return TRUE;
  }
  char cls[128] = {};
  GetClassNameA(Child, cls, sizeof cls);
  const bool same = text == s->Text || (s->Loose && WithoutAccelerators(text) == WithoutAccelerators(s->Text));
  if (same && (s->Class.empty() || lstrcmpiA(cls, s->Class.c_str()) == 0)) {
    s->Found = Child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

TProcessDriver::TProcessDriver(const std::string& Program, const std::string& Arguments, const std::string& WorkingFolder) {
  std::string command = "\"" + Program + "\" " + Arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(Program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      WorkingFolder.empty() ? nullptr : WorkingFolder.c_str(), &startup, &FProcess))
    FProcess = PROCESS_INFORMATION{};
}

TProcessDriver::TProcessDriver(const std::wstring& Program, const std::wstring& Arguments) {
  std::wstring command = L"\"" + Program + L"\" " + Arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(Program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &FProcess))
    FProcess = PROCESS_INFORMATION{};
}

TProcessDriver::~TProcessDriver() {
  if (!FProcess.hProcess) return;
  if (WaitForSingleObject(FProcess.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(FProcess.hProcess, 99);
  CloseHandle(FProcess.hProcess);
  CloseHandle(FProcess.hThread);
}

HWND TProcessDriver::FindWindowNow(const std::string& Class, const std::string& Title) const {
  TSearch s{FProcess.dwProcessId, Class, Title};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

HWND TProcessDriver::WaitWindow(const std::string& Class, const std::string& Title, DWORD TimeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND w = FindWindowNow(Class, Title)) return w;
    if (GetTickCount() - start > TimeoutMs || WaitForSingleObject(FProcess.hProcess, 0) != WAIT_TIMEOUT)
      return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

int TProcessDriver::WaitExit(DWORD TimeoutMs) {
  if (WaitForSingleObject(FProcess.hProcess, TimeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(FProcess.hProcess, &code);
  return int(code);
}

std::string WindowText(HWND Window) {
  char text[2048] = {};
  SendMessageTimeoutA(Window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return text;
}

HWND FindControl(HWND Window, const std::string& Text, const std::string& Class) {
  TChildSearch s{Text, Class};
  EnumChildWindows(Window, MatchChild, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

HWND FindButton(HWND Window, const std::string& Caption) {
  TChildSearch s{Caption, "Button", true};
  EnumChildWindows(Window, MatchChild, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

std::vector<std::string> ControlTexts(HWND Window) {
  std::vector<std::string> all;
  TChildSearch s;
  s.All = &all;
  EnumChildWindows(Window, MatchChild, reinterpret_cast<LPARAM>(&s));
  return all;
}

bool IsShown(HWND Window) { return Window && IsWindowVisible(Window); }

void Click(HWND Button) { PostMessageA(Button, BM_CLICK, 0, 0); }

void TypeText(HWND Edit, const std::string& Text) {
  SendMessageTimeoutA(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
}

bool AnswerDialog(const TProcessDriver& Process, const std::string& Title, const std::string& Caption,
                  std::string* Text, DWORD TimeoutMs) {
  HWND dialog = Process.WaitWindow("#32770", Title, TimeoutMs);
  if (!dialog) return false;
  HWND button = FindButton(dialog, Caption);
  if (!button) return false;
  if (Text) {
    // The message is the dialog's longest static text.
    Text->clear();
    for (const std::string& t : ControlTexts(dialog))
      if (t.size() > Text->size() && t != Caption) *Text = t;
  }
  Click(button);
  const DWORD start = GetTickCount();
  while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < 5000) Sleep(20);
  return true;
}
