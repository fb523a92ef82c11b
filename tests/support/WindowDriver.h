// Drives a real modal window from a second thread while the test's thread
// runs it: finds the window, reads its controls, sends keys and clicks, and
// captures it as a PNG. Every wait has a timeout, and a window still open
// when the driver is done is closed, so a failing test never hangs.
// Test support only (Win32).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TQLChildInfo {
  HWND Window = nullptr;
  std::string Class, Text;
  int Id = 0;
  DWORD Style = 0;
  RECT Rect{};  // in the client coordinates of the top-level window
  bool Enabled = true;
};

// Runs Modal on this thread; Drive gets the first visible top-level window
// of Class that this thread shows (within TimeoutMs) on a second thread.
// Returns false when no such window appeared.
bool DriveModal(const char* Class, const std::function<void()>& Modal, const std::function<void(HWND)>& Drive,
                DWORD TimeoutMs = 10000);

// The direct and nested children of Window, in z-order.
std::vector<TQLChildInfo> ChildWindows(HWND Window);

// The window holding the keyboard focus in Window's thread.
HWND FocusedWindow(HWND Window);

// Waits (up to TimeoutMs) until Condition holds; false on timeout.
bool WaitFor(const std::function<bool()>& Condition, DWORD TimeoutMs = 5000);

// Posts a key press (down and up) to the focused control of Window.
void PressKey(HWND Window, WPARAM Key);

// The window as it is on the screen: Width × Height RGB pixels, top row
// first (empty when it cannot be read).
std::vector<uint8_t> CaptureWindowRgb(HWND Window, int& Width, int& Height);

// The window as it is on the screen, written as a PNG file.
bool CaptureWindowPng(HWND Window, const std::string& Path);
