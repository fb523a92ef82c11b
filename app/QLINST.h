// TFQLINST: the wizard form of the install mode. One fixed-size window with
// five pages (each a child window with the background picture and its
// controls) and the Cancel, Back and Next buttons; the page flow, the checks
// before moving on, the free-space display, the close question, the arrow
// keys and the automatic presses of the unattended mode (QLINST.cpp), and
// the copying run, DirectX and completion pages (QLINSTRun.cpp). Owns its
// windows, controls and fonts. UI thread only.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/QLWizardStartup.h"
#include "archive/QLDIBImage.h"
#include "shell/QLWidePath.h"
#include "ui/FoldrDlg.h"
#include "ui/MultiLang.h"
#include "ui/QLGauge.h"
#include "ui/QLGaugePace.h"

enum TQLPage { pgTitlePage, pgSetDirectory, pgSetUpNow, pgSetUpDirectX, pgComplete, pgCount };

class TFQLINST {
public:
  TFQLINST();
  ~TFQLINST();
  TFQLINST(const TFQLINST&) = delete;
  TFQLINST& operator=(const TFQLINST&) = delete;

  // Prepares the form; false when the archive is missing or broken (the
  // user has been told and the program ends).
  bool FormCreate(TQLArchiveCheck& Check);
  // Shows the form and runs the messages until it closes; the exit status.
  int Run();

  void FormShow();
  void Timer1Timer();
  void Button_NextClick();
  void Button_BackClick();
  void Button_CancelClick();
  void Button_DirectXClick();
  bool FormCloseQuery();
  void QLMultiButton1Click();
  void Edit_FolderLocateChange();
  // The installation folder given on the command line.
  void PresetFolder(const TQLWideText& Path);
  void Label_HTTPLink1Click();

  void EnterPage();
  void UpdateInstallSize();
  void OnFileExtracted(const std::string& FullName, int32_t Size, double FileDate);
  void OnExtractProgress(int32_t Position, int32_t Max, bool Overall);
  void ShowWebLink(bool Show);
  void OpenWebPage(int Index);
  bool IsBrowserRunning();

  HWND Handle() const { return FHandle; }
  TQLPage Page() const { return FPage; }
  // The destination folder as typed; empty when it has no ANSI form.
  std::string FolderText() const;
  TQLWideText FolderTextW() const;

  int64_t InstallSize = 0;
  int64_t FreeSpace = 0;
  int DirectXVersion = 0;
  double IEVersion = 0;
  bool DirectXSetupEnabled = false;
  std::string DirectXSetupPath;
  std::string DataFilePath;
  int32_t FileCount = 0;
  size_t LongestEntryName = 0;
  bool RestartPending = false;
  int ExitStatus = 0;

private:
  struct TPageWindow {
    HWND Handle = nullptr;
    TQLDIBImage Background;
  };

  static LRESULT CALLBACK FormProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK PageProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT PageMessage(TPageWindow& Page, UINT Msg, WPARAM WParam, LPARAM LParam);
  void CreateWindows();
  void CreatePages();
  HWND Label(TQLPage Page, int Left, int Top, int Width, int Height, DWORD Style = 0);
  HWND Button(HWND Parent, int Id, int Left, int Top, int Width, int Height, const char* Caption);
  void SetText(HWND Control, const std::string& Text);
  // Makes a label as high as its text needs.
  void FitLabelHeight(HWND Label);
  void SetPageTexts();
  void ShowPage(TQLPage Page);
  void Command(int Id, int Code);
  bool HandleArrowKey(const MSG& Message);
  void ProcessMessages();
  void CloseForm();
  bool TitlePageChecks();
  bool FolderChecks();
  bool DiskSpaceChecks();
  void EnterSetUpNow();
  void EnterSetUpDirectX();
  void EnterComplete();
  void RunDirectXStep();
  void KeepAlive();
  void ShowGauges();
  void EndWithError(const std::string& Text, int Status);

  HWND FHandle = nullptr;
  HFONT FFont = nullptr;
  HFONT FLinkFont = nullptr;
  TQLPage FPage = pgTitlePage;
  std::array<TPageWindow, pgCount> Notebook1;
  bool FClosed = false;
  DWORD FLastKeepAlive = 0;
  TQLGaugePace FGaugePace;
  bool FGaugesChanged = false;  // the pace has values the gauges do not show yet
  bool FShown = false;

  // Controls, named as the form names them.
  HWND Button_Cancel = nullptr, Button_Back = nullptr, Button_Next = nullptr, Button_DirectX = nullptr;
  HWND Label_Title = nullptr, Label_Copyright = nullptr, Label_InstMsg = nullptr, Label_InstallSize = nullptr;
  HWND Label_Setup = nullptr, Label_DirectXMsg1 = nullptr, Label_DirectXMsg2 = nullptr, Label_Complete = nullptr;
  HWND Label_HTTPLink1 = nullptr, Edit_FolderLocate = nullptr;
  std::unique_ptr<TQLMultiLabel> Label_Locate, QLMultiLabel_InstallSize;
  std::unique_ptr<TQLMultiButton> QLMultiButton1;
  std::unique_ptr<TQLGauge> Gauge1, Gauge2;
  std::unique_ptr<TFolderDialog> FolderDialog1;
};

// The one wizard form of the process while it exists.
extern TFQLINST* FQLINST;

// The product's name, which the texts made from formats name.
constexpr char kProduct[] = "Prismora SE";
// Format with every "%s" replaced by Value.
std::string FormatText(std::string Format, const std::string& Value);
