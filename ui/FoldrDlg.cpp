#include "ui/FoldrDlg.h"

#include <string>

#include "shell/QLFileUtils.h"
#include "shell/QLWidePath.h"

namespace {

// The timer that checks the tree stands on the item it is to start on.
constexpr UINT_PTR kStartTimer = 0x5154;

const char* const ComponentProp = "QLFolderDialog";
constexpr int FolderTreeId = 14145;
constexpr int OkId = 1;

const int CSIDLs[] = {-1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};

bool Has(TFolderDialogOptions Set, TFolderDialogOption O) { return (Set & Opt(O)) != 0; }

std::string PathOf(LPCITEMIDLIST Item) {
  char path[MAX_PATH] = {};
  if (!Item || !SHGetPathFromIDListA(Item, path)) return std::string();
  return path;
}

TQLItemList Clone(LPCITEMIDLIST Item) { return TQLItemList(Item ? ILClone(Item) : nullptr); }

// "C:\" (or "C:\." and the like) for a drive the system knows.
bool IsDriveRoot(const std::string& Path) {
  if (Path.size() < 3 || Path[1] != ':' || Path[2] != '\\') return false;
  return GetDriveTypeA(Path.substr(0, 3).c_str()) != DRIVE_NO_ROOT_DIR;
}

// The item list of a file-system path, or none.
TQLItemList ParseFileSystemPath(const std::string& Path) {
  IShellFolder* raw = nullptr;
  if (FAILED(SHGetDesktopFolder(&raw))) return TQLItemList();
  TQLComPtr<IShellFolder> desktop(raw);
  TQLWideText wide = WidePathOf(Path);
  LPITEMIDLIST item = nullptr;
  ULONG attributes = SFGAO_FILESYSTEM;
  if (FAILED(desktop.Get()->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &item, &attributes)))
    return TQLItemList();
  TQLItemList owned(item);
  if (!(attributes & SFGAO_FILESYSTEM)) owned.Reset();
  return owned;
}

}  // namespace

int ShellFolderCSIDL(TShellFolder Root) { return CSIDLs[Root]; }

TFolderDialogOptions NormalizeFolderOptions(TFolderDialogOptions Current, TFolderDialogOptions New,
                                            bool& NetworkRoot) {
  NetworkRoot = false;
  auto drop = [&](TFolderDialogOption O) { New = TFolderDialogOptions(New & ~Opt(O)); };
  auto added = [&](TFolderDialogOption O) { return Has(New, O) && !Has(Current, O); };
  if (Has(New, bfScreenCenter) && Has(New, bfParentCenter)) {
    if (Has(Current, bfScreenCenter)) drop(bfScreenCenter);
    else if (Has(Current, bfParentCenter)) drop(bfParentCenter);
  }
  if (added(bfBrowseForComputer)) {
    NetworkRoot = true;
    drop(bfFileSysDirsOnly), drop(bfFileSysAncestors), drop(bfBrowseForPrinter);
  } else if (added(bfBrowseForPrinter)) {
    drop(bfFileSysDirsOnly), drop(bfDontGoBelowDomain), drop(bfFileSysAncestors), drop(bfBrowseForComputer);
  }
  if (added(bfShowPathInStatusArea) && !Has(New, bfStatusText)) New |= Opt(bfStatusText);
  if (Has(Current, bfStatusText) && !Has(New, bfStatusText) && Has(New, bfShowPathInStatusArea))
    drop(bfShowPathInStatusArea);
  return New;
}

UINT FolderBrowseFlags(TFolderDialogOptions Options, unsigned ShellMajorVersion) {
  static const UINT flags[] = {BIF_RETURNONLYFSDIRS,  BIF_DONTGOBELOWDOMAIN, BIF_STATUSTEXT,
                               BIF_RETURNFSANCESTORS, BIF_BROWSEFORCOMPUTER, BIF_BROWSEFORPRINTER,
                               BIF_BROWSEINCLUDEFILES};
  UINT result = 0;
  for (int i = 0; i < 7; ++i)
    if (Options & (1u << i)) result |= flags[i];
  if (ShellMajorVersion >= 5) result |= BIF_NEWDIALOGSTYLE;
  return result;
}

TFolderDialog::TFolderDialog(HWND Owner) : FOwner(Owner) {}

TFolderDialog::~TFolderDialog() {
  if (FHandle) SendMessageA(FHandle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string TFolderDialog::Directory() const { return FHandle ? PathOf(FCurrent.Get()) : FDirectory; }

void TFolderDialog::SetDirectory(const std::string& Value) {
  FDirectory = Value;
  SelectPath(Value);
}

std::string TFolderDialog::Title() const {
  if (!FHandle) return FTitle;
  char caption[257] = {};
  GetWindowTextA(FHandle, caption, sizeof(caption));
  return caption;
}

void TFolderDialog::SetTitle(const std::string& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, Value.c_str());
}

void TFolderDialog::SetOptions(TFolderDialogOptions Value) {
  bool networkRoot = false;
  FOptions = NormalizeFolderOptions(FOptions, Value, networkRoot);
  if (networkRoot) SetRootFolder(sfoNetwork);
}

void TFolderDialog::SetRootFolder(TShellFolder Value) {
  if (Value == FRootFolder) return;
  FCurrent.Reset();
  FLastResult.Reset();
  FRoot.Reset();
  FRootFolder = Value;
  LPITEMIDLIST root = nullptr;
  if (Value != sfoDesktopExpanded && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, ShellFolderCSIDL(Value), &root)))
    FRoot.Reset(root);
}

void TFolderDialog::SetTop(int16_t Value) {
  FTop = Value;
  if (FHandle) Position();
}

void TFolderDialog::SetLeft(int16_t Value) {
  FLeft = Value;
  if (FHandle) Position();
}

void TFolderDialog::SetCustomButton(HWND Button, std::function<void()> OnClick) {
  FCustomButton = Button;
  FCustomClick = std::move(OnClick);
}

void TFolderDialog::SelectPath(const std::string& Path) {
  if (FCurrent && Path == PathOf(FCurrent.Get())) return;
  FCurrent.Reset();
  if (!DirectoryExists(Path) && !IsDriveRoot(Path)) return;
  std::string path = Path;
  if (path.size() >= 2 && path.compare(path.size() - 2, 2, "\\.") == 0) path.pop_back();
  FCurrent = ParseFileSystemPath(path);
  if (FCurrent && FHandle) SendMessageA(FHandle, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(FCurrent.Get()));
}

bool TFolderDialog::Execute() {
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = IsWindow(FOwner) ? FOwner : nullptr;
  info.pidlRoot = FRoot.Get();
  info.pszDisplayName = displayName;
  info.lpszTitle = FText.empty() ? nullptr : FText.c_str();
  info.ulFlags = FolderBrowseFlags(FOptions, GetShellMajorVersion());
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(this);
  TQLItemList chosen(SHBrowseForFolderA(&info));
  FCurrent.Reset();
  if (info.hwndOwner) SetFocus(info.hwndOwner);
  if (!chosen) {
    FDirectory.clear();
    return false;
  }
  FDisplayName = displayName;
  FDirectory = PathOf(chosen.Get());
  FLastResult = std::move(chosen);
  return true;
}

int CALLBACK TFolderDialog::BrowseCallback(HWND Window, UINT Msg, LPARAM Param, LPARAM Data) {
  auto* self = reinterpret_cast<TFolderDialog*>(Data);
  try {
    if (Msg == BFFM_INITIALIZED) self->Initialized(Window);
    else if (Msg == BFFM_SELCHANGED && Param) self->SelectionChanged(reinterpret_cast<LPCITEMIDLIST>(Param));
  } catch (...) {
    // A failed notification leaves the dialog as the shell made it.
  }
  return 0;
}

void TFolderDialog::Initialized(HWND Window) {
  FHandle = Window;
  SetPropA(Window, ComponentProp, this);
  FOldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFolderDialog::SubclassProc)));
  RECT client{};
  GetClientRect(Window, &client);
  FClient = {client.right, client.bottom};
  FOkButton = GetDlgItem(Window, OkId);
  Position();
  // The tree starts without selection, whatever was selected before the run.
  FCurrent.Reset();
  FStartPath = FDirectory;
  FStartTries = 0;
  if (!FStartPath.empty()) SetTimer(Window, kStartTimer, 100, nullptr);
  if (!FDirectory.empty()) {
    if (FLastResult && FDirectory == PathOf(FLastResult.Get()))
      SendMessageA(Window, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(FLastResult.Get()));
    else
      SelectPath(FDirectory);
  }
  FLastResult.Reset();
  if (CustomButton()) CreateHostedButton();
  SetWindowTextA(Window, FTitle.c_str());
  if (OnShow) OnShow();
}

void TFolderDialog::SetStatusText(const std::string& Text) {
  SendMessageA(FHandle, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(Text.c_str()));
}

void TFolderDialog::SelectionChanged(LPCITEMIDLIST Item) {
  FCurrent = Clone(Item);
  std::string path = PathOf(Item);
  if (Has(FOptions, bfFileSysDirsOnly)) {
    SendMessageA(FHandle, BFFM_ENABLEOK, 0, !path.empty());
    if (FHosted && Has(FOptions, bfSyncCustomButton)) EnableWindow(FHosted, !path.empty());
  }
  if (!path.empty()) {
    if (Has(FOptions, bfShowPathInStatusArea)) SetStatusText(path);
    if (OnChange) OnChange();
  } else if (Has(FOptions, bfFileSysDirsOnly) || Has(FOptions, bfShowPathInStatusArea)) {
    SetStatusText("");
  }
}

void TFolderDialog::Position() {
  RECT r{};
  GetWindowRect(FHandle, &r);
  int w = r.right - r.left, x = 0, y = 0;
  HWND owner = GetWindow(FHandle, GW_OWNER);
  if (Has(FOptions, bfParentCenter) && owner) {
    RECT o{};
    GetWindowRect(owner, &o);
    x = o.left + (o.right - o.left) / 2 - w / 2;
    y = o.top + (o.bottom - o.top) / 4;
  } else if (Has(FOptions, bfScreenCenter) || Has(FOptions, bfParentCenter)) {
    x = (GetSystemMetrics(SM_CXSCREEN) - FClient.cx) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - FClient.cy) / 3;
  } else {
    POINT p{FLeft, FTop};
    if (owner) ClientToScreen(owner, &p);
    x = p.x, y = p.y;
  }
  SetWindowPos(FHandle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TFolderDialog::SubclassProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* self = static_cast<TFolderDialog*>(GetPropA(Window, ComponentProp));
  if (!self) return DefWindowProcA(Window, Msg, WParam, LParam);
  try {
    return self->HandleMessage(Msg, WParam, LParam);
  } catch (...) {
    return self->Default(Msg, WParam, LParam);
  }
}

LRESULT TFolderDialog::Default(UINT Msg, WPARAM WParam, LPARAM LParam) {
  return CallWindowProcA(FOldProc, FHandle, Msg, WParam, LParam);
}

LRESULT TFolderDialog::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_TIMER:
      if (WParam != kStartTimer) return Default(Msg, WParam, LParam);
      // The shell may fill its tree after the start item was selected and
      // stand on its root instead: the start item is asked for again until
      // the tree stands on it, for two seconds at most.
      if (FStartPath.empty() || ++FStartTries > 20 || (FCurrent && PathOf(FCurrent.Get()) == FStartPath)) {
        FStartPath.clear();
        KillTimer(FHandle, kStartTimer);
      } else {
        SendMessageA(FHandle, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(FStartPath.c_str()));
      }
      return 0;
    case WM_SHOWWINDOW: {
      LRESULT result = Default(Msg, WParam, LParam);
      if (!FShown) {
        FShown = true;
        if (FolderBrowseFlags(FOptions, GetShellMajorVersion()) & BIF_NEWDIALOGSTYLE) {
          RECT client{};
          GetClientRect(FHandle, &client);
          FClient = {client.right, client.bottom};
        }
        Position();
        SetFocus(GetDlgItem(FHandle, FolderTreeId));
      }
      return result;
    }
    case WM_COMMAND:
      if (!FHosted) return Default(Msg, WParam, LParam);
      if (LOWORD(WParam) == OkId && CustomButton()) {
        LONG type = GetWindowLongA(FCustomButton, GWL_STYLE) & BS_TYPEMASK;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
          SendMessageA(FCustomButton, BM_SETCHECK, SendMessageA(FHosted, BM_GETCHECK, 0, 0), 0);
      } else if (reinterpret_cast<HWND>(LParam) == FHosted && HIWORD(WParam) == BN_CLICKED) {
        if (FCustomClick) FCustomClick();
        return 0;
      }
      return Default(Msg, WParam, LParam);
    case WM_DESTROY: {
      LRESULT result = Default(Msg, WParam, LParam);
      if (OnClose) OnClose();
      if (FHosted) DestroyWindow(FHosted);
      FHosted = nullptr;
      return result;
    }
    case WM_NCDESTROY: {
      LRESULT result = Default(Msg, WParam, LParam);
      SetWindowLongPtrA(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOldProc));
      RemovePropA(FHandle, ComponentProp);
      FHandle = nullptr;
      FHosted = nullptr;
      FShown = false;
      return result;
    }
    default:
      return Default(Msg, WParam, LParam);
  }
}

namespace {

// The standard browse-dialog layout, in dialog units.
constexpr int LayoutWidth = 212, LayoutHeight = 188;
constexpr RECT StatusArea{7, 27, 7 + 160, 27 + 12};
constexpr RECT CancelButton{154, 166, 154 + 50, 166 + 14};

}  // namespace

void TFolderDialog::CreateHostedButton() {
  LONG units = GetDialogBaseUnits();
  int ux = LOWORD(units), uy = HIWORD(units);
  auto sx = [&](int V) { return (V * ux / 4) * FClient.cx / (LayoutWidth * ux / 4) + 1; };
  auto sy = [&](int V) { return (V * uy / 8) * FClient.cy / (LayoutHeight * uy / 8) + 1; };
  char cls[64] = {}, text[256] = {};
  GetClassNameA(FCustomButton, cls, sizeof(cls));
  GetWindowTextA(FCustomButton, text, sizeof(text));
  DWORD style = DWORD(GetWindowLongA(FCustomButton, GWL_STYLE));
  RECT source{};
  GetWindowRect(FCustomButton, &source);
  MapWindowPoints(nullptr, GetParent(FCustomButton), reinterpret_cast<POINT*>(&source), 2);
  bool pushButton = (style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  int x = source.left, y = source.top, w = source.right - source.left, h = source.bottom - source.top;
  if (Has(FOptions, bfAlignCustomButton)) x = sx(StatusArea.left) + 1, y = sy(CancelButton.top) - 1;
  if (Has(FOptions, bfResizeCustomButton)) {
    w = sx(CancelButton.right - CancelButton.left);
    h = sy(CancelButton.bottom - CancelButton.top);
  } else if (pushButton) {
    h = sy(CancelButton.bottom - CancelButton.top);
  }
  FHosted = CreateWindowExA(0, cls, text, (style & ~WS_VISIBLE) | WS_CHILD, x, y, w, h, FHandle, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (!FHosted) return;
  SendMessageA(FHosted, WM_SETFONT, SendMessageA(FCustomButton, WM_GETFONT, 0, 0), FALSE);
  SendMessageA(FHosted, BM_SETCHECK, SendMessageA(FCustomButton, BM_GETCHECK, 0, 0), 0);
  bool enabled = IsWindowEnabled(FCustomButton) != FALSE;
  if (Has(FOptions, bfSyncCustomButton) && FOkButton) enabled = IsWindowEnabled(FOkButton) != FALSE;
  EnableWindow(FHosted, enabled);
  ShowWindow(FHosted, SW_SHOW);
}
