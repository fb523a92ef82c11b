#include "ui/QLDialogs.h"

#include <windows.h>

#include <algorithm>

#include "shell/QLSetupLog.h"
#include "shell/QLWinHandles.h"
#include "ui/QLButtonSpec.h"

namespace {

TQLDialogAnswerer& Answerer() {
  static TQLDialogAnswerer answerer;
  return answerer;
}

// One open dialog: the request, its plan and the fonts it owns.
struct TQLMessageForm {
  const TQLDialogRequest* Request = nullptr;
  TQLDialogPlan Plan;
  TQLGdiObject Font;
  TQLGdiObject LabelFont;
};

const char* const Titles[] = {"Warning", "Error", "Information", "Confirm"};
const LPCSTR Icons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};

std::string ApplicationTitle() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

LOGFONTA MessageLogFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    LOGFONTA fallback{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return fallback;
  }
  return metrics.lfMessageFont;
}

// Size of Text drawn in Font: wrapped at MaxWidth, or unwrapped when 0.
SIZE MeasureText(HDC DC, HGDIOBJ Font, const std::string& Text, int MaxWidth, UINT Extra = 0) {
  HGDIOBJ old = SelectObject(DC, Font);
  RECT r{0, 0, MaxWidth, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | Extra | (MaxWidth > 0 ? DT_WORDBREAK : 0);
  DrawTextA(DC, Text.empty() ? " " : Text.c_str(), -1, &r, flags);
  SelectObject(DC, old);
  return {r.right - r.left, r.bottom - r.top};
}

// Margins and sizes in dialog units of the message font.
TQLDialogMetrics Metrics(HDC DC, TQLMessageForm& F, bool HasIcon, int& OldTextWidth) {
  HGDIOBJ old = SelectObject(DC, F.Font.Get());
  SIZE ave{};
  GetTextExtentPoint32A(DC, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &ave);
  SelectObject(DC, old);
  int cx = (ave.cx / 26 + 1) / 2, cy = ave.cy;
  TQLDialogMetrics m;
  m.HorzMargin = MulDiv(8, cx, 4);
  m.VertMargin = MulDiv(8, cy, 8);
  m.HorzSpacing = MulDiv(10, cx, 4);
  m.VertSpacing = MulDiv(10, cy, 8);
  m.ButtonWidth = MulDiv(50, cx, 4);
  m.ButtonHeight = MulDiv(14, cy, 8);
  m.ButtonSpacing = MulDiv(4, cx, 4);
  m.IconSize = HasIcon ? GetSystemMetrics(SM_CXICON) : 0;
  for (const TQLPlannedButton& b : F.Plan.Buttons)
    m.ButtonWidth = std::max(m.ButtonWidth, int(MeasureText(DC, F.Font.Get(), b.Caption, 0, DT_SINGLELINE).cx) + 2 * cx);
  const std::string& text = F.Request->Text;
  SIZE wrapped = MeasureText(DC, F.Font.Get(), text, GetSystemMetrics(SM_CXSCREEN) / 2);
  OldTextWidth = wrapped.cx;
  SIZE shown = F.Plan.FontStyle ? MeasureText(DC, F.LabelFont.Get(), text, 0) : wrapped;
  m.TextWidth = wrapped.cx;
  m.TextHeight = shown.cy;
  return m;
}

HWND AddControl(HWND Dialog, const char* Class, const std::string& Text, DWORD Style, const TQLRect& R, int Id,
                HGDIOBJ Font) {
  HWND w = CreateWindowExA(0, Class, Text.c_str(), WS_CHILD | WS_VISIBLE | Style, R.Left, R.Top, R.Width, R.Height,
                           Dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  return w;
}

void PlaceWindow(HWND Dialog, const TQLDialogLayout& L) {
  RECT r{0, 0, L.ClientWidth, L.ClientHeight};
  AdjustWindowRectEx(&r, DWORD(GetWindowLongA(Dialog, GWL_STYLE)), FALSE, DWORD(GetWindowLongA(Dialog, GWL_EXSTYLE)));
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(Dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void BuildForm(HWND Dialog, TQLMessageForm& F) {
  int kind = std::clamp(int(F.Request->Kind), int(mtWarning), int(mtCustom));
  SetWindowTextA(Dialog, kind == mtCustom ? ApplicationTitle().c_str() : Titles[kind]);
  LOGFONTA lf = MessageLogFont();
  F.Font.Reset(CreateFontIndirectA(&lf));
  if (F.Plan.FontStyle) {
    uint8_t style = *F.Plan.FontStyle;
    lf.lfWeight = style & fsBold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style & fsItalic ? TRUE : FALSE;
    lf.lfUnderline = style & fsUnderline ? TRUE : FALSE;
    lf.lfStrikeOut = style & fsStrikeOut ? TRUE : FALSE;
    F.LabelFont.Reset(CreateFontIndirectA(&lf));
  }
  TQLMemoryDC dc(CreateCompatibleDC(nullptr));
  int oldWidth = 0;
  TQLDialogMetrics m = Metrics(dc.Get(), F, kind != mtCustom, oldWidth);
  TQLDialogLayout layout = LayoutDialog(m, int(F.Plan.Buttons.size()));
  if (F.Plan.FontStyle) WidenDialog(layout, int(MeasureText(dc.Get(), F.LabelFont.Get(), F.Request->Text, 0).cx) - oldWidth);

  if (kind != mtCustom) {
    HWND icon = AddControl(Dialog, "STATIC", "", SS_ICON, layout.Icon, QLDialogIconId, F.Font.Get());
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, Icons[kind])), 0);
  }
  AddControl(Dialog, "STATIC", F.Request->Text, SS_LEFT | SS_NOPREFIX, layout.Text, QLDialogMessageId,
             F.Plan.FontStyle ? F.LabelFont.Get() : F.Font.Get());
  HWND focus = nullptr;
  for (size_t i = 0; i < F.Plan.Buttons.size(); ++i) {
    const TQLPlannedButton& b = F.Plan.Buttons[i];
    DWORD style = WS_TABSTOP | (b.Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND w = AddControl(Dialog, "BUTTON", b.Caption, style, layout.Buttons[i], QLDialogButtonIdBase + b.Kind,
                        F.Font.Get());
    if (b.Default) SendMessageA(Dialog, DM_SETDEFID, WPARAM(QLDialogButtonIdBase + b.Kind), 0);
    if (b.Focus) focus = w;
  }
  PlaceWindow(Dialog, layout);
  if (focus) SendMessageA(Dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
}

// A button pressed (by click, Enter or as the cancel button): its result
// closes the dialog; the standard Help button has no help file to open.
void Press(HWND Dialog, const TQLPlannedButton& B) {
  if (B.Result != 0) EndDialog(Dialog, B.Result);
}

const TQLPlannedButton* PlannedButton(const TQLMessageForm& F, int Id) {
  for (const TQLPlannedButton& b : F.Plan.Buttons)
    if (QLDialogButtonIdBase + b.Kind == Id) return &b;
  return nullptr;
}

void OnCommand(HWND Dialog, TQLMessageForm& F, int Id) {
  if (Id == IDCANCEL) {  // Escape
    for (const TQLPlannedButton& b : F.Plan.Buttons)
      if (b.Cancel) Press(Dialog, b);
    return;
  }
  if (const TQLPlannedButton* b = PlannedButton(F, Id)) Press(Dialog, *b);
}

INT_PTR HandleMessage(HWND Dialog, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* form = reinterpret_cast<TQLMessageForm*>(GetWindowLongPtrA(Dialog, DWLP_USER));
  switch (Msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(Dialog, DWLP_USER, LParam);
      BuildForm(Dialog, *reinterpret_cast<TQLMessageForm*>(LParam));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (form && HIWORD(WParam) == BN_CLICKED) OnCommand(Dialog, *form, LOWORD(WParam));
      return TRUE;
    case WM_CLOSE:
      EndDialog(Dialog, mrCancel);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (!form || !form->Plan.TextColor || GetDlgCtrlID(reinterpret_cast<HWND>(LParam)) != QLDialogMessageId) return FALSE;
      SetTextColor(reinterpret_cast<HDC>(WParam), COLORREF(*form->Plan.TextColor));
      SetBkMode(reinterpret_cast<HDC>(WParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK MessageFormProc(HWND Dialog, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    return HandleMessage(Dialog, Msg, WParam, LParam);
  } catch (...) {
    EndDialog(Dialog, mrCancel);
    return TRUE;
  }
}

// An empty dialog template; the controls are made at initialisation.
struct alignas(4) TQLEmptyTemplate {
  DLGTEMPLATE Header;
  WORD Menu, Class, Title;
};

uint16_t ShowMessageForm(const TQLDialogRequest& R) {
  TQLMessageForm form;
  form.Request = &R;
  form.Plan = R.ButtonDialog ? PlanButtonDialog(R.Buttons, R.ButtonSpec) : PlanStandardDialog(R.Buttons);
  TQLEmptyTemplate tmpl{};
  // In the foreground when it opens, also when the program has no window of
  // its own in front (the uninstall) and the person turned elsewhere.
  tmpl.Header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND;
  INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &tmpl.Header, GetActiveWindow(),
                                           MessageFormProc, reinterpret_cast<LPARAM>(&form));
  return result > 0 ? uint16_t(result) : uint16_t(mrCancel);
}

const char* AnswerName(uint16_t Result) {
  static const char* const Names[] = {"none", "OK",  "Cancel",     "Abort",      "Retry", "Ignore",
                                      "Yes",  "No",  "All", "No to All", "Yes to All", "Help",
                                      "replace at the next start"};
  return Result < sizeof Names / sizeof Names[0] ? Names[Result] : "unknown";
}

// Every question and message goes to the log with the answer it got.
uint16_t Show(const TQLDialogRequest& R) {
  const bool answered = static_cast<bool>(Answerer());
  const uint16_t result = answered ? Answerer()(R) : ShowMessageForm(R);
  SetupLog(std::string(answered ? "question answered: [" : "question: [") + Titles[R.Kind < mtCustom ? R.Kind : 0] +
           "] " + R.Text + " | answer: " + AnswerName(result));
  return result;
}

}  // namespace

uint16_t MessageDlg(const std::string& Text, TMsgDlgType Kind, TMsgDlgButtons Buttons) {
  return Show({Text, Kind, Buttons, std::string(), false});
}

uint16_t ShowButtonDialog(const std::string& Text, TMsgDlgType Kind, TMsgDlgButtons Buttons,
                          const std::string& ButtonSpec) {
  return Show({Text, Kind, Buttons, ButtonSpec, true});
}

void SetDialogAnswerer(TQLDialogAnswerer Answerer_) { Answerer() = std::move(Answerer_); }
