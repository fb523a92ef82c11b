#include "app/QLInstallMode.h"

#include "app/QLArchiveCheck.h"
#include "app/QLDestinationCheck.h"
#include "app/QLINST.h"
#include "app/QLInstallTransaction.h"
#include "app/QLSetupRules.h"
#include "app/QLSilentInstall.h"
#include "shell/QLWinHandles.h"

namespace {

int RunWizard(const TQLSetupOptions& Options, TQLArchiveCheck& Check) {
  TQLComApartment com;
  TFQLINST form;
  if (!form.FormCreate(Check)) return form.ExitStatus;
  if (Options.HasFolder) form.PresetFolder(CommandLineFolder());
  return form.Run();
}

}  // namespace

int RunInstallMode(const std::vector<std::string>& Args, const TQLSetupOptions& Options) {
  // A run that was stopped is undone before anything else.
  RecoverStoppedRun();
  // The archive check runs while COM starts and the windows are made.
  TQLArchiveCheck check;
  if (Options.Silent) {
    TQLComApartment com;
    return RunSilentInstall(Options, check);
  }
  UnattendedMode = HasUnattendedOption(Args);
  return RunWizard(Options, check);
}
