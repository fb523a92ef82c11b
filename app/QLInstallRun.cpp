#include "app/QLInstallRun.h"

#include <windows.h>

#include "app/QLCarriedUninstaller.h"
#include "app/QLInstallTransaction.h"
#include "archive/QLNumberText.h"
#include "archive/QLSetupArchive.h"
#include "plugin/UPluginSetup.h"
#include "records/QLDeferredFileOps.h"
#include "records/QLInstallRegistory.h"
#include "records/QLItemRecorder.h"
#include "records/QLReinstallRecords.h"
#include "shell/QLFileUtils.h"
#include "shell/QLRegistExt.h"
#include "shell/QLRegistry.h"
#include "shell/QLSetupLog.h"
#include "shell/QLShortCut.h"
#include "shell/QLWidePath.h"
#include "ui/QLDialogs.h"

namespace {

void RemoveOldShortCuts() {
  DeleteProgramsFolder("Prismora SE");
  DeleteProgramsFolder("Prismora 1.0 SE");
  DeleteDesktopShortCut("Prismora SE");
  DeleteDesktopShortCut("Prismora 1.0 SE");
}

void CreateShortCuts(const std::string& DestFolder) {
  bool quiet = false;
  for (const TQLShortCutFile& table : ShortCutTable) {
    const TQLShortCutFile row = AllUsersShortCut(table);
    const bool created = CreateShortCutFile(DestFolder, row);
    SetupLog(std::string(created ? "shortcut created: " : "shortcut failed: ") + row.LinkName);
    if (created || quiet) continue;
    if (MessageDlg("Cannot create shortcut file:\r\rPath: " + DestFolder + row.FileName + "\rName: " + row.LinkName,
                   mtError, mbOK | mbAll) == mrAll)
      quiet = true;
  }
}

// The uninstaller just written stays after the next start although a delete
// of it is pending: its replacement is a copy of it.
void KeepUninstallerPastPendingDelete() {
  const std::string uninstaller = InstallRegistory().GetUninstallerPath();
  CancelDeleteAtReboot(uninstaller, uninstaller);
}

// The uninstaller in place before any product file: an earlier one is kept
// aside. False, with the reason in Error, when it could not be written whole.
bool PlaceUninstaller(TQLInstallTransaction& Run, std::string& Error) {
  const std::string uninstaller = InstallRegistory().GetUninstallerPath();
  Error = uninstaller;
  if (FileExists(uninstaller) && !Run.KeepFile(uninstaller, true)) return false;
  Run.WillCreate(uninstaller);
  if (WriteCarriedUninstaller(uninstaller) != cfCopied) return false;
  Error.clear();
  SetupLog("uninstaller written: " + uninstaller);
  return true;
}

}  // namespace

TQLExtractResult InstallProductFiles(TQLInstallTransaction& Run, const std::string& DestFolder,
                                     const TQLProgressProc& OnProgress, const TQLExtractedProc& AfterEachFile) {
  // What this run writes must outlive the next start; what an uninstall
  // left to go then is the product's own.
  Run.NoteLeftovers(WithdrawPendingOperations({DestFolder}));
  TQLInstallRegistory& records = InstallRegistory();
  TQLExtractResult result;
  records.SetAppPath(DestFolder);
  Run.KeepShortCuts({"Prismora SE", "Prismora 1.0 SE"});
  RemoveOldShortCuts();
  Run.KeepOwnRecords();
  if (!PlaceUninstaller(Run, result.Error)) {
    result.Outcome = TQLExtractOutcome::NoUninstaller;
    return result;
  }
  // The registration is written anew; the item list of the earlier
  // installation stays until this run's records have replaced it.
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
  records.WriteUninstallKeys(true);
  Run.Earlier().KeepFolders(DestFolder);
  records.WriteAppMain();
  int missing = 0;
  auto onFile = [&](const std::string& FullName, int32_t Size, TDateTime FileDate) {
    // A file that could not be created is not there (its record goes with
    // the run when the run is undone).
    if (!FileExists(FullName)) {
      ++missing;
      return;
    }
    result.InstalledBytes += Size;
    SetupLog("file written: " + FullName + " (" + std::to_string(Size) + " bytes)");
    if (AfterEachFile) AfterEachFile(FullName, Size, FileDate);
  };
  TQLExtractReport report;
  const bool extracted = ExtractSetupArchive(GetModuleHandleA(nullptr), DestFolder, onFile, FixedFileDate,
                                             OnProgress, &report, &Run);
  result.LeftForRestart = report.LeftForRestart;
  result.Error = Run.DiskError();
  if (!result.Error.empty())
    result.Outcome = TQLExtractOutcome::Failed;
  else if (extracted)
    result.Outcome = missing == 0 ? TQLExtractOutcome::Extracted : TQLExtractOutcome::FilesMissing;
  else
    result.Outcome = report.Cancelled ? TQLExtractOutcome::Cancelled : TQLExtractOutcome::Broken;
  return result;
}

std::string UnfinishedRunText(const TQLExtractResult& Result) {
  switch (Result.Outcome) {
    case TQLExtractOutcome::Cancelled: return "The installation was canceled.";
    case TQLExtractOutcome::FilesMissing: return "The installation failed: some files could not be created.";
    case TQLExtractOutcome::Failed: return Result.Error;
    case TQLExtractOutcome::NoUninstaller:
      return "The uninstaller could not be written:\r\r" + Result.Error +
             "\r\rThe installation failed. Free some space on the drive and run the setup again.";
    default: return "The installation file was illegal or it was destroyed.\r\nIt is not possible to have installed it.";
  }
}

std::string RolledBackText(bool EarlierRestored) {
  return EarlierRestored ? "The earlier installation of Prismora SE is as it was before the setup started."
                         : "Everything the setup had written was removed again: nothing of it is left.";
}

void WriteInstallRecords(TQLInstallTransaction& Run, const std::string& DestFolder) {
  TQLInstallRegistory& records = InstallRegistory();
  for (const TQLShortCutFile& row : ShortCutTable) {
    const std::string link = ShortCutLinkPath(AllUsersShortCut(row));
    if (!link.empty()) Run.WillCreate(link);
  }
  CreateShortCuts(DestFolder);
  Run.KeepFileTypes(RegistExtTable, RegistExtCount);
  records.WriteInstallInfo(RegistExtTable, RegistExtCount, ProgramPath());
  SetupLog("file types registered: " + std::to_string(RegistExtCount));
  KeepUninstallerPastPendingDelete();
}

void WriteProgramListDetails(int64_t InstalledBytes) {
  const TQLInstallRegistory& records = InstallRegistory();
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kUninstallKey, true)) throw EQLRegistryError("Failed to set data for 'DisplayVersion'");
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const std::string date = DecimalText(today.wYear, 4) + DecimalText(today.wMonth, 2) + DecimalText(today.wDay, 2);
  registry.WriteString("DisplayVersion", GetProductVersionText());
  registry.WriteString("DisplayIcon", records.AppPath + "\\PQENGINE.EXE");
  registry.WriteInteger("EstimatedSize", int32_t((InstalledBytes + CarriedUninstallerSize() + 1023) / 1024));
  registry.WriteString("InstallDate", date);
  registry.WriteString("QuietUninstallString", "\"" + records.GetUninstallerPath() + "\" /UNINSTALL /S");
  registry.WriteString("URLInfoAbout", kMakerWebSite);
  registry.WriteInteger("NoModify", 1);
  registry.WriteInteger("NoRepair", 1);
}

void RegisterBrowserPlugins(TQLInstallTransaction& Run, const std::string& DestFolder, double IEVersion) {
  for (const TQLBrowserKey& key : BrowserMimeKeys()) Run.KeepKey(key.Root, key.Key, !key.Sibling);
  if (!SiblingMimeExtension()) {
    TQLRegistry info(HKEY_LOCAL_MACHINE);
    if (info.OpenKey(kUninstallInfoKey, true)) info.WriteInteger(kSiblingMimeCreatedValue, 1);
  }
  RemoveBrowserMimeKeys();
  WriteBrowserMimeKeys();
  WriteRuntimeFileClsid();
  Run.KeepBrowserPluginFiles(BrowserPluginFolders());
  InstallNetscapePlugins(DestFolder);
  RemoveJavaPluginClasses();
  SetupLog("browser plug-ins installed from: " + DestFolder + "\\NPPQESE.DLL");
  const bool registered = RegisterActiveXControl(DestFolder);
  SetupLog(std::string(registered ? "control registered: " : "control registration failed: ") + DestFolder +
           "\\axpqeng.dll");
  if (!registered && IEVersion >= 4.0) MessageDlg("Failed in installing of the ActiveX plugin.", mtWarning, mbOK);
  TQLRegistry classes(HKEY_CLASSES_ROOT);
  if (classes.OpenKey(".PQR", true)) classes.WriteString("Content Type", "application/x-prismora-se");
}
