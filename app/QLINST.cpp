#include "app/QLINST.h"

#include <shellapi.h>

#include <vector>

#include "app/QLDestinationCheck.h"
#include "app/QLInstallRun.h"
#include "app/QLSetupRules.h"
#include "archive/QLDIBUTL.h"
#include "archive/QLMemoryStream.h"
#include "shell/QLFileUtils.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

TFQLINST* FQLINST = nullptr;

namespace {

enum : int {
  idCancel = 100, idBack, idNext, idDirectX, idBrowse, idFolder, idLink
};

const char kFormClass[] = "TFQLINST";
const char kPageClass[] = "TFQLINSTPage";
constexpr int kClientWidth = 532, kClientHeight = 251;

const char kCopyright[] = "Copyright (C) 2026 VELDRANE. All rights reserved.";
const char* const WebPageUrls[] = {kMakerWebSite, "http://www.veldrane.example/prismora/tech/"};

const char kTitleText[] =
    "Welcome to %s setup program.\r\rPrismora enables you to play powerful\rinteractive 3D content on your Web "
    "browser!\rThis is the setup program to play back the\r%s content on your PC and Web browser.\r\r Do you "
    "install %s ?\r\rPlease end all other programs currently running\rbefore continuing this setup program.";
const char kSetupText[] =
    "Now set up Prismora program.\r\r* Copy of application\r* Registration of Registry\r* Making the group of "
    "start menu\r* Making the short cut to desktop\r\r";
const char kInstMsg[] = "Please specify the Folder of Prismora.";
const char kDirectXRequired[] = "DirectX7 or more is definitely required. Please install,\rif it is not installed in your PC.";

}  // namespace

std::string FormatText(std::string Format, const std::string& Value) {
  for (size_t at = Format.find("%s"); at != std::string::npos; at = Format.find("%s", at + Value.size()))
    Format.replace(at, 2, Value);
  return Format;
}

namespace {

// Labels show "\r" as a line break; the system's static control needs CR LF.
std::string LineBreaks(const std::string& Text) {
  std::string out;
  for (size_t i = 0; i < Text.size(); ++i) {
    out += Text[i];
    if (Text[i] == '\r' && (i + 1 >= Text.size() || Text[i + 1] != '\n')) out += '\n';
  }
  return out;
}

RECT Bounds(int Left, int Top, int Width, int Height) { return RECT{Left, Top, Left + Width, Top + Height}; }

void RegisterClasses(WNDPROC FormProc, WNDPROC PageProc) {
  WNDCLASSA wc{};
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpfnWndProc = FormProc;
  wc.lpszClassName = kFormClass;
  wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  RegisterClassA(&wc);
  wc.lpfnWndProc = PageProc;
  wc.lpszClassName = kPageClass;
  wc.hIcon = nullptr;
  RegisterClassA(&wc);
}

}  // namespace

TFQLINST::TFQLINST() { FQLINST = this; }

TFQLINST::~TFQLINST() {
  FolderDialog1.reset();
  if (FHandle) DestroyWindow(FHandle);
  if (FFont) DeleteObject(FFont);
  if (FLinkFont) DeleteObject(FLinkFont);
  if (FQLINST == this) FQLINST = nullptr;
}

std::string TFQLINST::FolderText() const {
  std::string text;
  return ExactAnsiOf(FolderTextW(), text) ? text : std::string();
}

TQLWideText TFQLINST::FolderTextW() const {
  TQLWideText text;
  text.resize(size_t(GetWindowTextLengthW(Edit_FolderLocate)) + 1);
  text.resize(size_t(GetWindowTextW(Edit_FolderLocate, text.data(), int(text.size()))));
  return text;
}

bool TFQLINST::FolderChecks() { return DestinationAccepted(FolderTextW(), LongestEntryName); }

void TFQLINST::SetText(HWND Control, const std::string& Text) {
  SetWindowTextA(Control, LineBreaks(Text).c_str());
  // A transparent label leaves its old text behind unless the picture
  // under it is painted again.
  RECT r;
  GetWindowRect(Control, &r);
  MapWindowPoints(nullptr, GetParent(Control), reinterpret_cast<POINT*>(&r), 2);
  InvalidateRect(GetParent(Control), &r, TRUE);
}

void TFQLINST::FitLabelHeight(HWND Label) {
  RECT r;
  GetClientRect(Label, &r);
  std::string text(size_t(GetWindowTextLengthA(Label)) + 1, '\0');
  text.resize(size_t(GetWindowTextA(Label, text.data(), int(text.size()))));
  HDC dc = GetDC(Label);
  HGDIOBJ old = SelectObject(dc, FFont);
  RECT needed{0, 0, r.right, 0};
  DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, old);
  ReleaseDC(Label, dc);
  SetWindowPos(Label, nullptr, 0, 0, r.right, needed.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

HWND TFQLINST::Label(TQLPage Page, int Left, int Top, int Width, int Height, DWORD Style) {
  HWND label = CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE | Style, Left, Top, Width,
                               Height, Notebook1[Page].Handle, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(label, WM_SETFONT, WPARAM(FFont), FALSE);
  return label;
}

HWND TFQLINST::Button(HWND Parent, int Id, int Left, int Top, int Width, int Height, const char* Caption) {
  HWND button = CreateWindowExA(0, "BUTTON", Caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON, Left, Top,
                                Width, Height, Parent, reinterpret_cast<HMENU>(INT_PTR(Id)), GetModuleHandleA(nullptr),
                                nullptr);
  SendMessageA(button, WM_SETFONT, WPARAM(FFont), FALSE);
  return button;
}

void TFQLINST::CreateWindows() {
  RegisterClasses(FormProc, PageProc);
  // Fixed pixel sizes: the form is not scaled with the screen's font size.
  FFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "Tahoma");
  FLinkFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, TRUE, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "Tahoma");
  const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  FHandle = CreateWindowExA(exStyle, kFormClass, "", style, left, top, width, height, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  CreatePages();
  // The three buttons lie over the pages, in tab order.
  Button_Cancel = Button(FHandle, idCancel, 248, 216, 75, 25, "&Cancel");
  Button_Back = Button(FHandle, idBack, 344, 216, 75, 25, "&Back");
  Button_Next = Button(FHandle, idNext, 440, 216, 75, 25, "&Next");
  // The tab order follows the z-order from the top: Cancel, Back, Next,
  // all three above the pages.
  for (HWND b : {Button_Next, Button_Back, Button_Cancel})
    SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  FolderDialog1 = std::make_unique<TFolderDialog>(FHandle);
  FolderDialog1->SetTitle("Browse for Folder");
}

void TFQLINST::CreatePages() {
  for (int i = 0; i < pgCount; ++i) {
    TPageWindow& page = Notebook1[size_t(i)];
    page.Handle = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, kClientWidth,
                                  kClientHeight,
                                  FHandle, nullptr, GetModuleHandleA(nullptr), this);
    page.Background.SetParent(page.Handle);
    page.Background.SetBounds(0, 0, kClientWidth, kClientHeight);
  }
  const HWND directory = Notebook1[pgSetDirectory].Handle;
  Label_Title = Label(pgTitlePage, 176, 16, 350, 190);
  Label_Copyright = Label(pgTitlePage, 32, 200, 300, 14);
  Button_DirectX = Button(Notebook1[pgTitlePage].Handle, idDirectX, 32, 216, 113, 25, "Direct&X Only");
  Label_InstMsg = Label(pgSetDirectory, 176, 16, 340, 28);
  Label_Locate = std::make_unique<TQLMultiLabel>(directory, Bounds(176, 48, 200, 14));
  Label_Locate->SetCaptionJP("\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F");
  Label_Locate->SetCaptionUS("Folder");
  QLMultiButton1 = std::make_unique<TQLMultiButton>(directory, Bounds(440, 40, 75, 25), idBrowse);
  QLMultiButton1->SetCaptionJP("\x8E\x51\x8F\xC6\x20\x28\x26\x52\x29");
  QLMultiButton1->SetCaptionUS("B&rowse");
  // A UTF-16 field: a folder named outside the code page is seen as typed.
  Edit_FolderLocate = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                      168, 72, 353, 20, directory, reinterpret_cast<HMENU>(INT_PTR(idFolder)),
                                      GetModuleHandleW(nullptr), nullptr);
  QLMultiLabel_InstallSize = std::make_unique<TQLMultiLabel>(directory, Bounds(349, 184, 163, 14));
  QLMultiLabel_InstallSize->SetCaptionJP(
      "\xB2\xDD\xBD\xC4\xB0\xD9\xBB\xB2\xBD\xDE\x20\x2F\x20\xC4\xDE\xD7\xB2\xCC\xDE\x8B\xF3\x82\xAB\x97\x65\x97\xCA");
  QLMultiLabel_InstallSize->SetCaptionUS("Install Size / Free Space");
  SetWindowLongA(QLMultiLabel_InstallSize->Handle(), GWL_STYLE,
                 GetWindowLongA(QLMultiLabel_InstallSize->Handle(), GWL_STYLE) | SS_RIGHT);
  Label_InstallSize = Label(pgSetDirectory, 329, 200, 183, 14, SS_RIGHT);
  Label_Setup = Label(pgSetUpNow, 176, 16, 340, 140);
  Gauge1 = std::make_unique<TQLGauge>(Notebook1[pgSetUpNow].Handle, Bounds(168, 168, 353, 17));
  Gauge2 = std::make_unique<TQLGauge>(Notebook1[pgSetUpNow].Handle, Bounds(168, 192, 353, 17));
  Label_DirectXMsg1 = Label(pgSetUpDirectX, 176, 16, 340, 100);
  Label_DirectXMsg2 = Label(pgSetUpDirectX, 176, 128, 340, 60);
  Label_Complete = Label(pgComplete, 176, 16, 340, 90);
  Label_HTTPLink1 = Label(pgComplete, 176, 112, 300, 14, SS_NOTIFY);
  SetWindowLongPtrA(Label_HTTPLink1, GWLP_ID, idLink);
  SendMessageA(Label_HTTPLink1, WM_SETFONT, WPARAM(FLinkFont), FALSE);
  for (HWND c : {Edit_FolderLocate, Label_Locate->Handle(), QLMultiButton1->Handle(), QLMultiLabel_InstallSize->Handle()})
    SendMessageA(c, WM_SETFONT, WPARAM(FFont), FALSE);
}

bool TFQLINST::FormCreate(TQLArchiveCheck& Check) {
  CreateWindows();
  SetText(Label_Copyright, kCopyright);
  // The background picture, decoded once and copied into every page.
  TQLLockedResource picture = LockRawResource(nullptr, "BACKGROUND", MAKEINTRESOURCEA(10));
  if (picture.Found()) {
    TQLMemoryStream stream;
    stream.Attach(picture.Data, int32_t(picture.Size));
    TQLDIB dib = LoadBitmapFromStream(stream);
    for (TPageWindow& page : Notebook1) page.Background.SetDIB(dib, true);
  }
  const TQLSetupInfo info = GatherSetupInfo(Check);
  DirectXSetupEnabled = info.DirectXSetupEnabled;
  DirectXSetupPath = info.DirectXSetupPath;
  DirectXVersion = info.DirectXVersion;
  IEVersion = info.IEVersion;
  FPage = pgTitlePage;
  SetWindowTextA(Edit_FolderLocate, info.DefaultFolder.c_str());
  SetWindowTextA(FHandle, info.Caption.c_str());
  DataFilePath = info.DataFilePath;
  FileCount = info.FileCount;
  LongestEntryName = info.LongestEntryName;
  InstallSize = info.InstallSize;
  SetupLog("archive check: " + std::to_string(FileCount) + " files, " + std::to_string(InstallSize) + " bytes needed");
  if (InstallSize == 0) {
    SetupLog("error: archive check failed");
    MessageDlg("The archive file is broken or is not found.", mtError, mbOK);
    ExitStatus = kExitFailed;
    return false;
  }
  EnterPage();
  SetPageTexts();
  UpdateInstallSize();
  RestartPending = false;
  return true;
}

void TFQLINST::SetPageTexts() {
  SetText(Label_Title, FormatText(kTitleText, kProduct));
  SetText(Label_Setup, kSetupText);
  ShowWindow(Button_DirectX, DirectXSetupEnabled ? SW_SHOW : SW_HIDE);
  EnableWindow(Button_DirectX, DirectXSetupEnabled);
  SetText(Label_InstMsg, kInstMsg);
  SetText(Label_DirectXMsg2, DirectXVersion < 7 ? kDirectXRequired : "");
  SetWindowTextA(Button_Cancel, "&Cancel");
  SetWindowTextA(Button_Next, "&Next");
  SetWindowTextA(Button_Back, "&Back");
  SetText(Label_HTTPLink1, WebPageUrls[0]);
}

void TFQLINST::ShowPage(TQLPage Page) {
  FPage = Page;
  for (int i = 0; i < pgCount; ++i) ShowWindow(Notebook1[size_t(i)].Handle, i == Page ? SW_SHOW : SW_HIDE);
}

void TFQLINST::EnterPage() {
  ShowPage(FPage);
  switch (FPage) {
    case pgTitlePage:
      ShowWindow(Button_Cancel, SW_SHOW);
      SetWindowTextA(Button_Next, "&Next");
      EnableWindow(Button_Next, TRUE);
      EnableWindow(Button_Back, FALSE);
      SetWindowTextA(Button_Back, "&Back");
      if (FShown) SetFocus(Button_Next);
      break;
    case pgSetDirectory:
      ShowWindow(Button_Cancel, SW_SHOW);
      SetWindowTextA(Button_Next, "&Install");
      EnableWindow(Button_Back, TRUE);
      SetFocus(Button_Next);
      UpdateInstallSize();
      break;
    case pgSetUpNow: EnterSetUpNow(); break;
    case pgSetUpDirectX: EnterSetUpDirectX(); break;
    case pgComplete: EnterComplete(); break;
    default: break;
  }
}

void TFQLINST::UpdateInstallSize() {
  FreeSpace = DestinationFreeSpace(FolderTextW());
  SetText(Label_InstallSize, InstallSizeText(InstallSize, FreeSpace));
  if (FPage == pgSetDirectory) EnableWindow(Button_Next, FreeSpace != 0 && InstallSize != 0);
}

bool TFQLINST::TitlePageChecks() {
  bool goOn = true;
  auto ask = [&](const std::string& Text) {
    if (ShowButtonDialog(Text, mtWarning, mbOK | mbIgnore, "IGNORE|Continue") != mrIgnore) goOn = false;
  };
  if (DirectXVersion < 7) ask(kDirectXRequired);
  if (IEVersion < 4.0)
    ask("For performing this program, Internet Explorer 4.0 or later is required.\rPlease be sure to install the "
        "newest Internet Explorer.");
  if (IsBrowserRunning()) ask("Please terminate a browser at the time of Prismora installation.");
  return goOn;
}

bool TFQLINST::DiskSpaceChecks() { return DiskSpaceAccepted(FreeSpace, InstallSize); }

void TFQLINST::Button_NextClick() {
  bool goOn = true;
  switch (FPage) {
    case pgTitlePage: goOn = TitlePageChecks(); break;
    case pgSetDirectory: goOn = FolderChecks() && DiskSpaceChecks(); break;
    case pgComplete: CloseForm(); return;
    default: break;
  }
  if (!goOn) {
    UnattendedMode = false;
    return;
  }
  switch (FPage) {
    case pgTitlePage: FPage = pgSetDirectory; break;
    case pgSetDirectory: FPage = pgSetUpNow; break;
    case pgSetUpNow: FPage = DirectXSetupEnabled ? pgSetUpDirectX : pgComplete; break;
    case pgSetUpDirectX: FPage = pgComplete; break;
    default: break;
  }
  EnterPage();
}

void TFQLINST::Button_BackClick() {
  if (FPage == pgSetDirectory) {
    FPage = pgTitlePage;
    EnterPage();
  } else if (FPage == pgComplete && RestartPending) {
    ExitWindowsEx(EWX_REBOOT, 0);
    ExitStatus = kExitSuccess;
    FClosed = true;
    PostQuitMessage(0);
  } else if (FPage == pgComplete) {
    OpenWebPage(1);
    SetFocus(Button_Next);
  }
}

void TFQLINST::Button_CancelClick() {
  if (FPage == pgSetUpDirectX) {
    DirectXSetupEnabled = false;  // Skip
    FPage = pgComplete;
    EnterPage();
  } else if (FPage == pgTitlePage || FPage == pgSetDirectory) {
    CloseForm();
  }
}

void TFQLINST::Button_DirectXClick() {
  FPage = pgSetUpDirectX;
  EnterPage();
}

bool TFQLINST::FormCloseQuery() {
  switch (FPage) {
    case pgTitlePage:
    case pgSetDirectory:
      return MessageDlg(FormatText("The %s installation program has not finished. Do you still want to quit?", kProduct),
                        mtWarning, mbOK | mbCancel) == mrOk;
    case pgSetUpDirectX:
      return MessageBoxA(FHandle,
                         "The installation of DirectX was canceled.\rDirectX is indispensable for the operation of "
                         "Lumi Trace.\rStill, it is OK?",
                         "Information", MB_OKCANCEL | MB_ICONWARNING | MB_TASKMODAL) == IDOK;
    default:
      return true;
  }
}

void TFQLINST::CloseForm() {
  if (!FormCloseQuery()) return;
  if (FPage == pgTitlePage || FPage == pgSetDirectory) ExitStatus = kExitUserCancelled;
  if (FPage == pgComplete && RestartPending && ExitStatus == kExitSuccess) ExitStatus = kExitRestartRequired;
  FClosed = true;
  ShowWindow(FHandle, SW_HIDE);
  PostQuitMessage(0);
}

void TFQLINST::QLMultiButton1Click() {
  // The page's instruction goes above the folder tree; the dialog keeps its
  // own caption.
  char text[512] = {};
  GetWindowTextA(Label_InstMsg, text, sizeof text);
  FolderDialog1->SetText(text);
  const std::string folder = FolderText();
  FolderDialog1->SetDirectory(DirectoryExists(folder) ? folder : folder.substr(0, folder.rfind('\\')));
  if (!FolderDialog1->Execute()) return;
  SetWindowTextA(Edit_FolderLocate, FolderDialog1->Directory().c_str());
  UpdateInstallSize();
}

void TFQLINST::Edit_FolderLocateChange() { UpdateInstallSize(); }

void TFQLINST::PresetFolder(const TQLWideText& Path) {
  SetWindowTextW(Edit_FolderLocate, Path.c_str());
  UpdateInstallSize();
}

void TFQLINST::Label_HTTPLink1Click() { OpenWebPage(0); }

void TFQLINST::OpenWebPage(int Index) {
  ShellExecuteA(FHandle, nullptr, WebPageUrls[Index], nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

// Every top-level window is looked at; Found is set when one is a browser's.
BOOL CALLBACK LookForBrowser(HWND Window, LPARAM Found) {
  char title[71] = {}, name[31] = {};
  GetWindowTextA(Window, title, sizeof title);
  GetClassNameA(Window, name, sizeof name);
  if (IsBrowserWindow(title, name)) *reinterpret_cast<bool*>(Found) = true;
  return TRUE;
}

}  // namespace

bool TFQLINST::IsBrowserRunning() {
  bool found = false;
  EnumWindows(LookForBrowser, reinterpret_cast<LPARAM>(&found));
  return found;
}

void TFQLINST::FormShow() {
  if (UnattendedMode) SetTimer(FHandle, 1, 10, nullptr);
}

void TFQLINST::Timer1Timer() {
  KillTimer(FHandle, 1);
  Button_NextClick();
  ProcessMessages();
  for (int press = 0; press < 3 && UnattendedMode && !FClosed; ++press) {
    Button_NextClick();
    ProcessMessages();
  }
}

void TFQLINST::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(int(message.wParam));
      return;
    }
    if (HandleArrowKey(message) || IsDialogMessageA(FHandle, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool TFQLINST::HandleArrowKey(const MSG& Message) {
  if (Message.message != WM_KEYDOWN || (GetKeyState(VK_MENU) & 0x8000)) return false;
  const bool back = Message.wParam == VK_LEFT || Message.wParam == VK_UP;
  if (!back && Message.wParam != VK_RIGHT && Message.wParam != VK_DOWN) return false;
  HWND focus = GetFocus();
  if (!focus || (focus != FHandle && !IsChild(FHandle, focus))) return false;
  HWND next = GetNextDlgTabItem(GetParent(focus), focus, back);
  if (next) SetFocus(next);
  return true;
}

int TFQLINST::Run() {
  ShowWindow(FHandle, SW_SHOW);
  UpdateWindow(FHandle);
  FShown = true;
  SetFocus(Button_Next);
  FormShow();
  MSG message;
  while (!FClosed && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (HandleArrowKey(message) || IsDialogMessageA(FHandle, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return ExitStatus;
}

void TFQLINST::Command(int Id, int Code) {
  switch (Id) {
    case idNext: Button_NextClick(); break;
    case idBack: Button_BackClick(); break;
    case idCancel: Button_CancelClick(); break;
    case idDirectX: Button_DirectXClick(); break;
    case IDCANCEL:
      // Esc: what the Cancel button does where it can be pressed.
      if (IsWindowVisible(Button_Cancel) && IsWindowEnabled(Button_Cancel)) Button_CancelClick();
      break;
    case idBrowse: QLMultiButton1Click(); break;
    case idFolder:
      if (Code == EN_CHANGE) Edit_FolderLocateChange();
      break;
    case idLink:
      if (Code == STN_CLICKED) Label_HTTPLink1Click();
      break;
    default: break;
  }
}

LRESULT TFQLINST::FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_COMMAND: Command(LOWORD(WParam), HIWORD(WParam)); return 0;
    case WM_TIMER: Timer1Timer(); return 0;
    case WM_CLOSE: CloseForm(); return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED: return Notebook1[FPage].Background.PaletteMessage(Msg);
    default: return DefWindowProcA(FHandle, Msg, WParam, LParam);
  }
}

LRESULT TFQLINST::PageMessage(TPageWindow& Page, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Page.Handle, &ps);
      Page.Background.Paint(dc);
      EndPaint(Page.Handle, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_CTLCOLORSTATIC: {
      // Labels are transparent over the picture; the web link is blue.
      HDC dc = reinterpret_cast<HDC>(WParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, reinterpret_cast<HWND>(LParam) == Label_HTTPLink1 ? RGB(0, 0, 255) : RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(WParam) == Label_HTTPLink1) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_COMMAND: Command(LOWORD(WParam), HIWORD(WParam)); return 0;
    default: break;
  }
  return DefWindowProcA(Page.Handle, Msg, WParam, LParam);
}

LRESULT CALLBACK TFQLINST::FormProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* self = static_cast<TFQLINST*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
    self->FHandle = Window;
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TFQLINST*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  if (!self || Msg == WM_NCCREATE) return DefWindowProcA(Window, Msg, WParam, LParam);
  try {
    return self->FormMessage(Msg, WParam, LParam);
  } catch (const std::exception& e) {
    MessageDlg(e.what(), mtError, mbOK);  // nothing escapes to the system
    return 0;
  }
}

LRESULT CALLBACK TFQLINST::PageProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE)
    SetWindowLongPtrA(Window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams));
  auto* self = reinterpret_cast<TFQLINST*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  if (!self || Msg == WM_NCCREATE) return DefWindowProcA(Window, Msg, WParam, LParam);
  for (TPageWindow& page : self->Notebook1)
    if (page.Handle == Window) {
      try {
        return self->PageMessage(page, Msg, WParam, LParam);
      } catch (const std::exception& e) {
        MessageDlg(e.what(), mtError, mbOK);
        return 0;
      }
    }
  return DefWindowProcA(Window, Msg, WParam, LParam);
}
