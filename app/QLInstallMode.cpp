#include "app/QLInstallMode.h"

#include "app/QLArchiveCheck.h"
#include "app/QLINST.h"
#include "app/QLInstallTransaction.h"
#include "app/QLSetupRules.h"
#include "app/QLSilentInstall.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

namespace {

int RunWizard(const TQLSetupOptions& Options, TQLArchiveCheck& Check) {
  TQLComApartment com;
  TFQLINST form;
  if (!form.FormCreate(Check)) return form.ExitStatus;
  if (Options.HasFolder) form.PresetFolder(Options.Folder);
  return form.Run();
}

}  // namespace

int RunInstallMode(const std::vector<std::string>& Args, const TQLSetupOptions& Options) {
  // A run that was stopped is undone before anything else.
  RecoverStoppedRun();
  if (Options.HasFolder && !IsUsableInstallFolder(Options.Folder)) {
    SetupLog("error: installation folder refused: " + Options.Folder);
    MessageDlg("The installation folder must be a full path, such as C:\\Program Files\\Prismora 1.0 SE:\r\r" +
                   Options.Folder,
               mtError, mbOK);
    return kExitFailed;
  }
  // The archive check runs while COM starts and the windows are made.
  TQLArchiveCheck check;
  if (Options.Silent) {
    TQLComApartment com;
    return RunSilentInstall(Options, check);
  }
  UnattendedMode = HasUnattendedOption(Args);
  return RunWizard(Options, check);
}
