#include "tests/support/WindowDriver.h"

#include <thread>

#include "shell/QLWinHandles.h"
#include "tests/support/PngFile.h"

namespace {

struct TQLFindRequest {
  const char* Class;
  HWND Found = nullptr;
};

BOOL CALLBACK FindVisible(HWND Window, LPARAM Param) {
  auto* request = reinterpret_cast<TQLFindRequest*>(Param);
  char cls[64] = {};
  GetClassNameA(Window, cls, sizeof(cls));
  if (IsWindowVisible(Window) && lstrcmpiA(cls, request->Class) == 0) {
    request->Found = Window;
    return FALSE;
  }
  return TRUE;
}

HWND FindThreadWindow(DWORD Thread, const char* Class) {
  TQLFindRequest request{Class};
  EnumThreadWindows(Thread, FindVisible, reinterpret_cast<LPARAM>(&request));
  return request.Found;
}

BOOL CALLBACK CloseVisible(HWND Window, LPARAM) {
  if (IsWindowVisible(Window)) PostMessageA(Window, WM_CLOSE, 0, 0);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND Child, LPARAM Param) {
  auto* list = reinterpret_cast<std::vector<TQLChildInfo>*>(Param);
  TQLChildInfo info;
  info.Window = Child;
  char text[512] = {};
  GetClassNameA(Child, text, sizeof(text));
  info.Class = text;
  text[0] = 0;
  GetWindowTextA(Child, text, sizeof(text));
  info.Text = text;
  info.Id = GetDlgCtrlID(Child);
  info.Style = DWORD(GetWindowLongA(Child, GWL_STYLE));
  info.Enabled = IsWindowEnabled(Child) != FALSE;
  GetWindowRect(Child, &info.Rect);
  MapWindowPoints(nullptr, GetAncestor(Child, GA_ROOT), reinterpret_cast<POINT*>(&info.Rect), 2);
  list->push_back(info);
  return TRUE;
}

}  // namespace

bool WaitFor(const std::function<bool()>& Condition, DWORD TimeoutMs) {
  DWORD start = GetTickCount();
  while (!Condition()) {
    if (GetTickCount() - start > TimeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool DriveModal(const char* Class, const std::function<void()>& Modal, const std::function<void(HWND)>& Drive,
                DWORD TimeoutMs) {
  DWORD thread = GetCurrentThreadId();
  bool found = false;
  std::thread driver([&] {
    HWND window = nullptr;
    found = WaitFor([&] { return (window = FindThreadWindow(thread, Class)) != nullptr; }, TimeoutMs);
    if (found) Drive(window);
    // Whatever the driver did, the modal loop must end.
    if (!WaitFor([&] { return !IsWindow(window); }, 3000)) PostMessageA(window, WM_CLOSE, 0, 0);
    if (!found) EnumThreadWindows(thread, CloseVisible, 0);
  });
  Modal();
  driver.join();
  return found;
}

std::vector<TQLChildInfo> ChildWindows(HWND Window) {
  std::vector<TQLChildInfo> list;
  EnumChildWindows(Window, CollectChild, reinterpret_cast<LPARAM>(&list));
  return list;
}

HWND FocusedWindow(HWND Window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(Window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void PressKey(HWND Window, WPARAM Key) {
  HWND target = FocusedWindow(Window);
  if (!target) target = Window;
  PostMessageA(target, WM_KEYDOWN, Key, 1);
  PostMessageA(target, WM_KEYUP, Key, LPARAM(0xC0000001u));
}

std::vector<uint8_t> CaptureWindowRgb(HWND Window, int& Width, int& Height) {
  RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(300);
  RECT r{};
  GetWindowRect(Window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return {};
  HDC screen = GetDC(nullptr);
  TQLMemoryDC dc(CreateCompatibleDC(screen));
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  TQLGdiObject bitmap(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
  BitBlt(dc.Get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(dc.Get(), old);
  ReleaseDC(nullptr, screen);
  Width = w;
  Height = h;
  std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
  if (!bits) return rgb;
  const auto* p = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
    rgb[i * 3] = p[i * 4 + 2];
    rgb[i * 3 + 1] = p[i * 4 + 1];
    rgb[i * 3 + 2] = p[i * 4];
  }
  return rgb;
}

bool CaptureWindowPng(HWND Window, const std::string& Path) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb = CaptureWindowRgb(Window, w, h);
  CreateDirectoryA(Path.substr(0, Path.find_last_of("\\/")).c_str(), nullptr);
  return WritePngFile(Path, w, h, rgb);
}
