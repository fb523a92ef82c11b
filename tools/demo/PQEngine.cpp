// The demo product's runtime: a small window that shows where the product
// is installed, as it reads it from the product section the setup wrote,
// and the content file it was asked to open, if any.
#include <windows.h>

#include <string>

namespace {

const char kSectionKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\SECTION";

std::string InstalledProgram() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSectionKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  char value[MAX_PATH] = {};
  DWORD size = sizeof value - 1, type = 0;
  LONG rc = RegQueryValueExA(key, "AppMain", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : std::string();
}

std::string Message() {
  const std::string program = InstalledProgram();
  std::string text = "Prismora SE demo runtime\r\n\r\n";
  if (program.empty()) return text + "The product section was not found: Prismora SE is not installed.";
  text += "Installed in:\r\n" + program.substr(0, program.rfind('\\'));
  if (__argc > 1) text += std::string("\r\n\r\nContent file:\r\n") + __argv[1];
  return text;
}

LRESULT CALLBACK WindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(Window, Msg, WParam, LParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int Show) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = Instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PrismoraSEDemoRuntime";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "Prismora SE", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                480, 200, nullptr, nullptr, Instance, nullptr);
  HWND text = CreateWindowExA(0, "STATIC", Message().c_str(), WS_CHILD | WS_VISIBLE, 16, 16, 440, 130, window, nullptr,
                              Instance, nullptr);
  SendMessageA(text, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ShowWindow(window, Show);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
