#include "app/QLInstallRun.h"

#include <windows.h>

#include "archive/QLSetupArchive.h"
#include "plugin/UPluginSetup.h"
#include "records/QLDeferredFileOps.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLFileUtils.h"
#include "shell/QLRegistExt.h"
#include "shell/QLRegistry.h"
#include "shell/QLShortCut.h"
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
    if (CreateShortCutFile(DestFolder, row) || quiet) continue;
    if (MessageDlg("Cannot create shortcut file:\r\rPath: " + DestFolder + row.FileName + "\rName: " + row.LinkName,
                   mtError, mbOK | mbAll) == mrAll)
      quiet = true;
  }
}

}  // namespace

bool InstallProductFiles(const std::string& DestFolder, const TQLProgressProc& OnProgress,
                         const TQLExtractedProc& AfterEachFile) {
  TQLInstallRegistory& records = InstallRegistory();
  records.SetAppPath(DestFolder);
  RemoveOldShortCuts();
  records.WriteUninstallKeys(false);
  records.WriteUninstallKeys(true);
  records.WriteAppMain();
  auto onFile = [&](const std::string& FullName, int32_t Size, TDateTime FileDate) {
    records.AddInstallItem(FullName, Size, RecordedDate(FullName, FileDate));
    if (AfterEachFile) AfterEachFile(FullName, Size, FileDate);
  };
  return ExtractSetupArchive(GetModuleHandleA(nullptr), DestFolder, onFile, FixedFileDate, OnProgress);
}

void WriteInstallRecords(const std::string& DestFolder) {
  TQLInstallRegistory& records = InstallRegistory();
  CreateShortCuts(DestFolder);
  const std::string setup = ProgramPath();
  records.WriteInstallInfo(RegistExtTable, RegistExtCount, setup);
  CopyFileWithTime(setup, records.GetUninstallerPath());
  CancelDeleteAtReboot(records.GetUninstallerPath(), setup);
}

void RegisterBrowserPlugins(const std::string& DestFolder, double IEVersion) {
  RemoveBrowserMimeKeys();
  WriteBrowserMimeKeys();
  WriteRuntimeFileClsid();
  InstallNetscapePlugins(DestFolder);
  RemoveJavaPluginClasses();
  if (!RegisterActiveXControl(DestFolder) && IEVersion >= 4.0)
    MessageDlg("Failed in installing of the ActiveX plugin.", mtWarning, mbOK);
  TQLRegistry classes(HKEY_CLASSES_ROOT);
  if (classes.OpenKey(".PQR", true)) classes.WriteString("Content Type", "application/x-prismora-se");
}
