// TFolderDialog: the shell's folder browser (SHBrowseForFolder) as a
// component with a title, an instruction text, an initial folder, options
// and a root. While the dialog is open the component is attached to its
// window: it positions it, keeps the status line showing the current path,
// enables OK only for real folders and can host a copy of a button of the
// application's own. Owns its item lists (shell allocator) and the hosted
// copy. UI thread only; Execute is modal and needs COM on the thread.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>

#include "shell/QLWinHandles.h"

enum TFolderDialogOption {
  bfFileSysDirsOnly, bfDontGoBelowDomain, bfStatusText, bfFileSysAncestors, bfBrowseForComputer,
  bfBrowseForPrinter, bfBrowseIncludeFiles, bfShowPathInStatusArea, bfSyncCustomButton, bfAlignCustomButton,
  bfScreenCenter, bfParentCenter, bfResizeCustomButton
};
using TFolderDialogOptions = uint16_t;  // bit n = option n
constexpr TFolderDialogOptions Opt(TFolderDialogOption O) { return TFolderDialogOptions(1u << O); }
constexpr TFolderDialogOptions DefaultFolderDialogOptions =
    Opt(bfFileSysDirsOnly) | Opt(bfStatusText) | Opt(bfShowPathInStatusArea) | Opt(bfSyncCustomButton) |
    Opt(bfAlignCustomButton) | Opt(bfParentCenter);

enum TShellFolder {
  sfoDesktopExpanded, sfoDesktop, sfoPrograms, sfoControlPanel, sfoPrinters, sfoPersonal, sfoFavorites,
  sfoStartup, sfoRecent, sfoSendto, sfoRecycleBin, sfoStartMenu, sfoDesktopDirectory, sfoMyComputer, sfoNetwork,
  sfoNetworkNeighborhood, sfoFonts, sfoTemplates, sfoCommonStartMenu, sfoCommonPrograms, sfoCommonStartup,
  sfoCommonDesktopDirectory, sfoAppData, sfoPrintHood
};

// The special folder (CSIDL) of a root; -1 for sfoDesktopExpanded.
int ShellFolderCSIDL(TShellFolder Root);

// A new option set normalised against the current one; NetworkRoot is set
// when bfBrowseForComputer was newly added (the root becomes sfoNetwork).
TFolderDialogOptions NormalizeFolderOptions(TFolderDialogOptions Current, TFolderDialogOptions New,
                                            bool& NetworkRoot);

// The BROWSEINFO flags of an option set: bits 0 to 6, plus the new dialog
// style from shell version 5 on.
UINT FolderBrowseFlags(TFolderDialogOptions Options, unsigned ShellMajorVersion);

using TQLItemList = TQLCoTaskMem<ITEMIDLIST>;

class TFolderDialog {
public:
  explicit TFolderDialog(HWND Owner = nullptr);
  ~TFolderDialog();
  TFolderDialog(const TFolderDialog&) = delete;
  TFolderDialog& operator=(const TFolderDialog&) = delete;

  // True when the user chose an item with OK.
  bool Execute();

  std::string Directory() const;
  void SetDirectory(const std::string& Value);
  std::string Title() const;
  void SetTitle(const std::string& Value);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value) { FText = Value; }
  TFolderDialogOptions Options() const { return FOptions; }
  void SetOptions(TFolderDialogOptions Value);
  TShellFolder RootFolder() const { return FRootFolder; }
  void SetRootFolder(TShellFolder Value);
  int16_t Top() const { return FTop; }
  int16_t Left() const { return FLeft; }
  void SetTop(int16_t Value);
  void SetLeft(int16_t Value);
  // A button, check box or radio button to be copied into the dialog, with
  // its click handler; a destroyed window counts as none.
  void SetCustomButton(HWND Button, std::function<void()> OnClick);
  HWND CustomButton() const { return IsWindow(FCustomButton) ? FCustomButton : nullptr; }

  HWND Handle() const { return FHandle; }  // the dialog window while open
  HWND HostedButton() const { return FHosted; }
  const std::string& DisplayName() const { return FDisplayName; }

  std::function<void()> OnShow, OnClose, OnChange;

private:
  static int CALLBACK BrowseCallback(HWND Window, UINT Msg, LPARAM Param, LPARAM Data);
  static LRESULT CALLBACK SubclassProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT Default(UINT Msg, WPARAM WParam, LPARAM LParam);
  void Initialized(HWND Window);
  void SelectionChanged(LPCITEMIDLIST Item);
  void SelectPath(const std::string& Path);
  void Position();
  void CreateHostedButton();
  void SetStatusText(const std::string& Text);

  HWND FOwner;
  std::string FDirectory, FTitle = "Browse for Folder", FText, FDisplayName;
  TFolderDialogOptions FOptions = DefaultFolderDialogOptions;
  TShellFolder FRootFolder = sfoDesktopExpanded;
  int16_t FTop = 0, FLeft = 0;
  HWND FCustomButton = nullptr;
  std::function<void()> FCustomClick;
  TQLItemList FRoot, FCurrent, FLastResult;
  HWND FHandle = nullptr, FOkButton = nullptr, FHosted = nullptr;
  WNDPROC FOldProc = nullptr;
  SIZE FClient{};
  bool FShown = false;
  std::string FStartPath;  // the start item, until the tree first stands on it
  int FStartTries = 0;
};
