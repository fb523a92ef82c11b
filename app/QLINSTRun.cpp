// The wizard form's last three pages: the copying run with its gauges, the
// DirectX page and the completion page.
#include <optional>
#include <string>

#include "app/QLINST.h"
#include "app/QLInstallRun.h"
#include "app/QLInstallTransaction.h"
#include "app/QLSetupRules.h"
#include "directx/QLDSETUPP.h"
#include "shell/QLRegistry.h"
#include "shell/QLSetupLog.h"
#include "ui/QLDialogs.h"

namespace {

const char kFinishedRestart[] =
    "The %s installation has finished.\r\r\rCaution!\rPrismora uses the advanced technology to display\rhigh quality "
    "3D graphics.  It might not work properly\ron some notebook PC if they don't have enough 3D\rdisplay abilities. A "
    "drawing test and technical information\rare looking-got from the following site of our company.\rPlease "
    "confirm after re-starting.\r\rVELDRANE CORPORATION";
const char kFinishedDetails[] =
    "The %s installation has finished.\r\r\rCaution!\rPrismora uses the advanced technology to display "
    "high\rquality 3D graphics.  It might not work properly on some\rnotebook PC if they don't have enough 3D display "
    "abilities.\rA click of a Details button displays the technical information\rpage which can do a 3D drawing "
    "test.\r\rVELDRANE CORPORATION";
const char kFinishedPlain[] =
    "The installation has finished.\r\r\rCaution!\rPrismora uses the advanced technology to display high\rquality "
    "3D graphics.  It might not work properly on some\rnotebook PC if they don't have enough 3D display "
    "abilities.\rA click of a Details button displays the technical information\rpage which can do a 3D drawing "
    "test.\r\rVELDRANE CORPORATION";

}  // namespace

// Keeps the window answering during the copying run. The extraction reports
// far more often than a person can see: looking at the queue every 20 ms
// keeps the window as lively and costs a fraction of looking every time.
// The gauges take their values here too, right before they are painted:
// values given between two paints would only ask the window system for a
// repaint nobody sees.
void TFQLINST::KeepAlive() {
  const DWORD now = GetTickCount();
  if (now - FLastKeepAlive < 20) return;
  FLastKeepAlive = now;
  if (FGaugesChanged) ShowGauges();
  MSG message;
  if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) ProcessMessages();
  UpdateWindow(FHandle);
}

void TFQLINST::OnFileExtracted(const std::string&, int32_t, double) { KeepAlive(); }

// The gauges take the latest report at the pace's moments only: each
// change is a repaint, and the extraction reports thousands of times a second.
void TFQLINST::OnExtractProgress(int32_t Position, int32_t Max, bool Overall) {
  if (FGaugePace.Report(Position, Max, Overall, GetTickCount())) FGaugesChanged = true;
  KeepAlive();
}

void TFQLINST::ShowGauges() {
  FGaugesChanged = false;
  Gauge1->SetMaxValue(FGaugePace.Overall().Max);
  Gauge1->SetProgress(FGaugePace.Overall().Position);
  Gauge2->SetMaxValue(FGaugePace.Entry().Max);
  Gauge2->SetProgress(FGaugePace.Entry().Position);
}

void TFQLINST::EndWithError(const std::string& Text, int Status) {
  SetupLog("error: " + Text);
  MessageDlg(Text, mtError, mbOK);
  ExitStatus = Status;
  CloseForm();
}

// The copying run, as one transaction. Every way it can end is told, and
// ends the program with the status deployment tools read; a run that does
// not finish is undone first, so the machine is as it was before it.
void TFQLINST::EnterSetUpNow() {
  ShowWindow(Button_Cancel, SW_HIDE);
  SetWindowTextA(Button_Next, "&Next");
  EnableWindow(Button_Next, FALSE);
  EnableWindow(Button_Back, FALSE);
  UpdateWindow(FHandle);
  const std::string folder = FolderText();
  SetupLog("folder: " + folder);
  std::optional<TQLInstallTransaction> run;
  const auto undo = [&](const std::string& Why, int Status) {
    const bool earlier = run && run->RollBack();
    EndWithError(Why + (run ? "\r\r" + RolledBackText(earlier) : std::string()), Status);
  };
  try {
    run.emplace(folder);
    FGaugePace.Start(FileCount, GetTickCount());
    FLastKeepAlive = GetTickCount() - 20;
    const TQLExtractResult result = InstallProductFiles(
        *run, folder, [this](int32_t p, int32_t m, bool o) { OnExtractProgress(p, m, o); },
        [this](const std::string& n, int32_t s, TDateTime d) { OnFileExtracted(n, s, d); });
    ShowGauges();
    if (result.Outcome != TQLExtractOutcome::Extracted) {
      undo(UnfinishedRunText(result),
           result.Outcome == TQLExtractOutcome::Cancelled ? kExitUserCancelled : kExitFailed);
      return;
    }
    WriteInstallRecords(*run, folder);
    WriteProgramListDetails(result.InstalledBytes);
    RegisterBrowserPlugins(*run, folder, IEVersion);
    run->Commit();
    char text[1024] = {};
    GetWindowTextA(Label_Setup, text, sizeof text);
    SetText(Label_Setup, std::string(text) + "  Completed.");
    EnableWindow(Button_Next, TRUE);
    SetFocus(Button_Next);
  } catch (const std::exception& e) {
    undo(e.what(), kExitFailed);
  } catch (...) {
    undo("The installation failed unexpectedly.", kExitFailed);
  }
}

void TFQLINST::EnterSetUpDirectX() {
  SetWindowTextA(Button_Next, "&Install");
  SetWindowTextA(Button_Cancel, "Skip");
  ShowWindow(Button_Cancel, SW_SHOW);
  SetFocus(Button_Next);
  SetText(Label_DirectXMsg1, "The installation of DirectX begins.");
}

void TFQLINST::RunDirectXStep() {
  EnableWindow(Button_Next, FALSE);
  SetText(Label_Complete, "DirectX is under installation....");
  ShowWebLink(false);
  UpdateWindow(FHandle);
  int32_t result = 0;
  try {
    result = RunDirectXSetup(FHandle, DirectXSetupPath, true);
  } catch (const std::exception& e) {
    MessageDlg(e.what(), mtError, mbOK);
    result = -1;
  }
  RestartPending = result == 1;
  ShowWindow(Button_Back, SW_SHOW);
  EnableWindow(Button_Back, TRUE);
  SetWindowTextA(Button_Back, RestartPending ? "Restart" : "Details");
  EnableWindow(Button_Next, TRUE);
  SetWindowTextA(Button_Next, "&Exit");
  SetFocus(Button_Back);
  SetText(Label_Complete, FormatText(RestartPending ? kFinishedRestart : kFinishedDetails, kProduct));
  ShowWebLink(true);
}

void TFQLINST::EnterComplete() {
  ShowWindow(Button_Cancel, SW_HIDE);
  if (DirectXSetupEnabled) {
    RunDirectXStep();
    return;
  }
  EnableWindow(Button_Back, TRUE);
  SetWindowTextA(Button_Back, "Details");
  SetFocus(Button_Back);
  SetWindowTextA(Button_Next, "&Exit");
  SetText(Label_Complete, kFinishedPlain);
  ShowWebLink(true);
}

void TFQLINST::ShowWebLink(bool Show) {
  FitLabelHeight(Label_Complete);
  RECT r;
  GetWindowRect(Label_Complete, &r);
  MapWindowPoints(nullptr, GetParent(Label_Complete), reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(Label_HTTPLink1, nullptr, r.left, r.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(Label_HTTPLink1, Show ? SW_SHOW : SW_HIDE);
}

