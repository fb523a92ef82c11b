// Test support (Windows): runs a program as a separate process and drives
// its windows from the test, as a person would: finds its top-level windows,
// reads and clicks their controls, types into fields, and waits for the
// process to end. Every wait has a timeout; the process is ended when the
// driver goes, so a failing test never hangs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TProcessDriver {
public:
  // WorkingFolder: the process's current folder (empty: this process's).
  TProcessDriver(const std::string& Program, const std::string& Arguments, const std::string& WorkingFolder = "");
  // A program named by its UTF-16 path.
  TProcessDriver(const std::wstring& Program, const std::wstring& Arguments);
  ~TProcessDriver();
  TProcessDriver(const TProcessDriver&) = delete;
  TProcessDriver& operator=(const TProcessDriver&) = delete;

  bool Started() const { return FProcess.hProcess != nullptr; }

  // The first visible top-level window of the process with this class
  // (and title, when not empty); nullptr after the timeout.
  HWND WaitWindow(const std::string& Class, const std::string& Title = "", DWORD TimeoutMs = 20000) const;
  // Whether such a window is there now.
  HWND FindWindowNow(const std::string& Class, const std::string& Title = "") const;

  // The exit status, or -1 when the process did not end in time.
  int WaitExit(DWORD TimeoutMs = 30000);

private:
  PROCESS_INFORMATION FProcess{};
};

// A descendant control of Window whose text is Text (an "&" counts as part
// of the text), visible or not; nullptr when there is none.
HWND FindControl(HWND Window, const std::string& Text, const std::string& Class = "");
// A button whose caption is Caption, "&" marks aside.
HWND FindButton(HWND Window, const std::string& Caption);
// Every descendant control's window text, in z-order.
std::vector<std::string> ControlTexts(HWND Window);
std::string WindowText(HWND Window);
bool IsShown(HWND Window);
// Presses a button as a click would (the program runs the press).
void Click(HWND Button);
// Sets a field's text as typing would (the program sees the change).
void TypeText(HWND Edit, const std::string& Text);
// Clicks the button Caption ("&" marks aside) of the message dialog with
// this title; the
// dialog's text is returned through Text. False when no such dialog came.
bool AnswerDialog(const TProcessDriver& Process, const std::string& Title, const std::string& Caption,
                  std::string* Text = nullptr, DWORD TimeoutMs = 20000);
