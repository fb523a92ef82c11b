#include "app/QLInstallRun.h"

#include <windows.h>

#include "app/QLCarriedUninstaller.h"
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

// The date an extracted file is recorded with.
TDateTime RecordedDate(const std::string& FullName, TDateTime FileDate) {
  if (FixedFileDate[0] == '\0') return FileDate;
  TDateTime d = FileDateTimeOf(FullName);
  if (d == 0) d = ParseFixedDateTime(FixedFileDate);
  return d == 0 ? FileDate : d;
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

}  // namespace

TQLExtractResult InstallProductFiles(const std::string& DestFolder, const TQLProgressProc& OnProgress,
                                     const TQLExtractedProc& AfterEachFile) {
  WithdrawPendingOperations({DestFolder});  // what this run writes must outlive the next start
  TQLInstallRegistory& records = InstallRegistory();
  const TQLEarlierInstallation earlier = TQLEarlierInstallation::Read();
  TQLExtractResult result;
  result.EarlierFolders = earlier.Folders();
  records.SetAppPath(DestFolder);
  RemoveOldShortCuts();
  // The registration is written anew; the item list of the earlier
  // installation stays until this run's records have replaced it.
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
  records.WriteUninstallKeys(true);
  earlier.KeepFolders(DestFolder);
  records.WriteAppMain();
  int missing = 0;
  TQLItemRecorder recorder;  // AddInstallItem for each file, its keys kept open for the walk
  std::string recordError;  // the walk ends at an error; its text is kept here
  auto onFile = [&](const std::string& FullName, int32_t Size, TDateTime FileDate) {
    // A file that could not be created is not there to record.
    if (!FileExists(FullName)) {
      ++missing;
      return;
    }
    try {
      recorder.Add(FullName, Size, RecordedDate(FullName, FileDate));
    } catch (const std::exception& e) {
      recordError = e.what();
      throw;
    }
    result.InstalledBytes += Size;
    SetupLog("file written: " + FullName + " (" + std::to_string(Size) + " bytes)");
    if (AfterEachFile) AfterEachFile(FullName, Size, FileDate);
  };
  TQLExtractReport report;
  bool extracted = false;
  try {
    extracted =
        ExtractSetupArchive(GetModuleHandleA(nullptr), DestFolder, onFile, FixedFileDate, OnProgress, &report);
    result.LeftForRestart = report.LeftForRestart;
    earlier.MergeItems();
  } catch (const std::exception& e) {
    result.Error = e.what();
  }
  if (result.Error.empty()) result.Error = recordError;
  if (!result.Error.empty())
    result.Outcome = TQLExtractOutcome::Failed;
  else if (extracted)
    result.Outcome = missing == 0 ? TQLExtractOutcome::Extracted : TQLExtractOutcome::FilesMissing;
  else
    result.Outcome = report.Cancelled ? TQLExtractOutcome::Cancelled : TQLExtractOutcome::Broken;
  return result;
}

bool WriteUninstaller() {
  const std::string uninstaller = InstallRegistory().GetUninstallerPath();
  if (WriteCarriedUninstaller(uninstaller) == cfCopied) {
    SetupLog("uninstaller written: " + uninstaller);
    return true;
  }
  MessageDlg("The uninstaller could not be written:\r\r" + uninstaller +
                 "\r\rThe installation failed. Free some space on the drive and run the setup again.",
             mtError, mbOK);
  return false;
}

void WriteInstallRecords(const std::string& DestFolder) {
  TQLInstallRegistory& records = InstallRegistory();
  CreateShortCuts(DestFolder);
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

void KeepUnfinishedRunRemovable(const TQLExtractResult& Result) {
  TQLInstallRegistory& records = InstallRegistory();
  if (!FileExists(records.GetUninstallerPath()) && WriteUninstaller()) KeepUninstallerPastPendingDelete();
  // The shortcuts removed at the start lead to the runtime again when an
  // earlier installation's runtime is still there.
  std::vector<std::string> folders{records.AppPath};
  folders.insert(folders.end(), Result.EarlierFolders.begin(), Result.EarlierFolders.end());
  if (Result.EarlierFolders.empty()) return;
  for (const std::string& folder : folders) {
    if (!FileExists(folder + "\\PQENGINE.EXE")) continue;
    CreateShortCuts(folder);
    const std::string chosen = records.AppPath;
    records.SetAppPath(folder);
    records.WriteAppMain();
    records.SetAppPath(chosen);
    return;
  }
}

void RegisterBrowserPlugins(const std::string& DestFolder, double IEVersion) {
  if (!SiblingMimeExtension()) {
    TQLRegistry info(HKEY_LOCAL_MACHINE);
    if (info.OpenKey(kUninstallInfoKey, true)) info.WriteInteger(kSiblingMimeCreatedValue, 1);
  }
  RemoveBrowserMimeKeys();
  WriteBrowserMimeKeys();
  WriteRuntimeFileClsid();
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
