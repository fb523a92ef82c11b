#include "app/QLUninstallSequence.h"

#include <windows.h>

#include "app/QLSetupRules.h"
#include "shell/QLFileUtils.h"
#include "plugin/UPluginSetup.h"
#include "records/QLDeferredFileOps.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLPlatform.h"
#include "shell/QLRegistExt.h"
#include "shell/QLShortCut.h"
#include "ui/QLDialogs.h"

namespace {

std::string FolderOf(const std::string& Path) { return Path.substr(0, Path.rfind('\\')); }

bool Confirmed() {
  return ShowButtonDialog("Prismora SE will be uninstalled now. Are you OK?\r\r(Please end all the applications "
                          "executing it before the uninstallation is executed)",
                          mtWarning, mbOK | mbCancel, "CANCEL|*FOCUS") == mrOk;
}

void RemoveBrowserPlugins(const std::string& ProgramFolder) {
  RemoveBrowserMimeKeys();
  WriteBrowserMimeKeys();
  RemoveNetscapePlugins();
  RemoveJavaPluginClasses();
  if (!UnregisterActiveXControl(ProgramFolder + "\\.."))
    MessageDlg("Failed in un-installing of the ActiveX plugin.", mtWarning, mbOK);
}

void ScheduleOwnRemoval(const std::string& Program) {
  DeleteFileAtReboot(Program);
  if (!IsNTFamily()) return;
  const std::string folder = FolderOf(Program);
  DeleteFileAtReboot(folder);
  DeleteFileAtReboot(FolderOf(folder));
}

}  // namespace

int RunUninstallSequence() {
  if (!Confirmed()) {
    MessageDlg("The operation was canceled.", mtError, mbOK);
    return kExitUserCancelled;
  }
  const std::string program = ProgramPath();
  RemoveBrowserPlugins(FolderOf(program));
  for (const TQLShortCutFile& row : ShortCutTable) DeleteShortCutFile(AllUsersShortCut(row));
  InstallRegistory().Uninstall(RegistExtTable, RegistExtCount);
  ScheduleOwnRemoval(program);
  MessageDlg("Uninstallation was finished\r\n\r\nWhen Windows will be started next time, the remaining file is "
             "automatically deleted.",
             mtInformation, mbOK);
  return kExitSuccess;
}
