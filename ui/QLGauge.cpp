#include "ui/QLGauge.h"

#include <string>

#include "shell/QLWinHandles.h"

namespace {

const char kClassName[] = "TQLGauge";

void RegisterGaugeClass(WNDPROC Proc) {
  WNDCLASSA wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), kClassName, &wc)) return;
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
}

}  // namespace

TQLGauge::TQLGauge(HWND Parent, const RECT& Bounds) {
  RegisterGaugeClass(WindowProc);
  FHandle = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, Bounds.left, Bounds.top,
                            Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, Parent, nullptr,
                            GetModuleHandleA(nullptr), this);
}

TQLGauge::~TQLGauge() {
  if (FHandle) DestroyWindow(FHandle);
}

void TQLGauge::SetMaxValue(int64_t Value) { Change(Value, FProgress); }

void TQLGauge::SetProgress(int64_t Value) { Change(FMax, Value); }

// Repaints only when the bar or its percentage would look different: the
// extraction reports progress far more often than the bar can move. Values
// that did not change cost no call to the window system at all.
void TQLGauge::Change(int64_t Max, int64_t Progress) {
  if (Max == FMax && Progress == FProgress) return;
  RECT r{};
  GetClientRect(FHandle, &r);
  const int oldPercent = Percent(), oldWidth = FilledWidth(r.right);
  FMax = Max;
  FProgress = Progress;
  if (Percent() != oldPercent || FilledWidth(r.right) != oldWidth) InvalidateRect(FHandle, nullptr, FALSE);
}

int TQLGauge::FilledWidth(int Width) const {
  if (FMax <= 0) return 0;
  const int64_t p = FProgress < 0 ? 0 : FProgress > FMax ? FMax : FProgress;
  return int(int64_t(Width) * p / FMax);
}

int TQLGauge::Percent() const {
  if (FMax <= 0) return 0;
  int64_t p = FProgress * 100 / FMax;
  return int(p < 0 ? 0 : p > 100 ? 100 : p);
}

void TQLGauge::Paint(HDC DC) const {
  RECT r;
  GetClientRect(FHandle, &r);
  const int filled = FilledWidth(r.right);
  RECT done{r.left, r.top, r.left + filled, r.bottom}, rest{r.left + filled, r.top, r.right, r.bottom};
  TQLGdiObject bar(CreateSolidBrush(RGB(0, 0, 160)));
  FillRect(DC, &done, static_cast<HBRUSH>(bar.Get()));
  FillRect(DC, &rest, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(DC, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  const std::string text = std::to_string(Percent()) + "%";
  SetBkMode(DC, TRANSPARENT);
  SelectObject(DC, GetStockObject(DEFAULT_GUI_FONT));
  // The text reads white over the bar and black beside it.
  SetTextColor(DC, RGB(0, 0, 0));
  DrawTextA(DC, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  HRGN clip = CreateRectRgnIndirect(&done);
  SelectClipRgn(DC, clip);
  SetTextColor(DC, RGB(255, 255, 255));
  DrawTextA(DC, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectClipRgn(DC, nullptr);
  DeleteObject(clip);
}

LRESULT CALLBACK TQLGauge::WindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(LParam);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TQLGauge*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  if (Msg == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Window, &ps);
    self->Paint(dc);
    EndPaint(Window, &ps);
    return 0;
  }
  if (Msg == WM_ERASEBKGND) return 1;
  return DefWindowProcA(Window, Msg, WParam, LParam);
}
