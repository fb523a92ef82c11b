#include "ui/MultiLang.h"

#include <cstdlib>
#include <cstring>

#include "shell/QLWinHandles.h"

bool UILanguageEnglish = true;

namespace {

// "ＭＳ ゴシック" as the system stores it (Shift-JIS).
const char JapaneseFixedFace[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";

TQLGdiObject& MemoFontObject() {
  static TQLGdiObject font;
  return font;
}

void ConfigureMemoFont(bool English) {
  LOGFONTA lf{};
  lf.lfHeight = 14;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = FIXED_PITCH;
  std::strcpy(lf.lfFaceName, English ? "Courier New" : JapaneseFixedFace);
  MemoFontObject().Reset(CreateFontIndirectA(&lf));
}

}  // namespace

void SetUILanguage(bool English) {
  UILanguageEnglish = English;
  ConfigureMemoFont(English);
}

HFONT MemoFont() {
  if (!MemoFontObject()) ConfigureMemoFont(UILanguageEnglish);
  return static_cast<HFONT>(MemoFontObject().Get());
}

TQLMultiControl::TQLMultiControl(HWND Parent, const char* Class, DWORD Style, const RECT& Bounds, int Id) {
  FHandle = CreateWindowExA(0, Class, "", WS_CHILD | WS_VISIBLE | Style, Bounds.left, Bounds.top,
                            Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, Parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleA(nullptr), nullptr);
  // A new control starts with empty texts, whatever its class would give.
  SetCaptionJP("");
  SetCaptionUS("");
  SetHintJP("");
  SetHintUS("");
}

TQLMultiControl::~TQLMultiControl() {
  if (FHandle) DestroyWindow(FHandle);
}

std::string TQLMultiControl::Caption() const {
  int length = GetWindowTextLengthA(FHandle);
  std::string text(size_t(length) + 1, '\0');
  text.resize(size_t(GetWindowTextA(FHandle, &text[0], length + 1)));
  return text;
}

void TQLMultiControl::SetCaption(const std::string& Value) { SetWindowTextA(FHandle, Value.c_str()); }

void TQLMultiControl::SetFont(HFONT Font) { SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE); }

void TQLMultiControl::SetCaptionJP(const std::string& Value) {
  FCaptionJP = Value;
  if (!UILanguageEnglish) SetCaption(Value);
}

void TQLMultiControl::SetCaptionUS(const std::string& Value) {
  FCaptionUS = Value;
  if (UILanguageEnglish) SetCaption(Value);
}

void TQLMultiControl::SetHintJP(const std::string& Value) {
  FHintJP = Value;
  if (!UILanguageEnglish) FHint = Value;
}

void TQLMultiControl::SetHintUS(const std::string& Value) {
  FHintUS = Value;
  if (UILanguageEnglish) FHint = Value;
}

void TQLMultiControl::SetBounds(int X, int Y, int Width, int Height) {
  SetWindowPos(FHandle, nullptr, X, Y, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TQLMultiControl::BoundsRect() const {
  RECT r{};
  GetWindowRect(FHandle, &r);
  MapWindowPoints(nullptr, GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TQLMultiLabel::TQLMultiLabel(HWND Parent, const RECT& Bounds, int Id)
    : TQLMultiControl(Parent, "STATIC", SS_LEFT, Bounds, Id) {}

TQLMultiButton::TQLMultiButton(HWND Parent, const RECT& Bounds, int Id)
    : TQLMultiControl(Parent, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, Bounds, Id) {}

TQLMultiRadioButton::TQLMultiRadioButton(HWND Parent, const RECT& Bounds, int Id)
    : TQLMultiControl(Parent, "BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, Bounds, Id) {}

void TQLMultiRadioButton::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TQLMultiRadioButton::SetCaption(const std::string& Value) {
  TQLMultiControl::SetCaption(Value);
  AdjustSize();
}

void TQLMultiRadioButton::SetFont(HFONT Font) {
  TQLMultiControl::SetFont(Font);
  AdjustSize();
}

void TQLMultiRadioButton::Loaded() {
  FLoading = false;
  AdjustSize();
}

void TQLMultiRadioButton::AdjustSize() {
  if (!FAutoSize || FLoading || !Handle()) return;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
  if (!font) font = GetStockObject(SYSTEM_FONT);
  LOGFONTA lf{};
  GetObjectA(font, sizeof(lf), &lf);
  TQLMemoryDC scratch(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(scratch.Get(), font);
  std::string text = Caption();
  SIZE size{};
  GetTextExtentPoint32A(scratch.Get(), text.c_str(), int(text.size()), &size);
  SelectObject(scratch.Get(), old);
  RECT r = BoundsRect();
  SetBounds(r.left, r.top, size.cx + 20, std::abs(lf.lfHeight) + 2);
}
