#include "app/QLInstallMode.h"

#include "app/QLSetupRules.h"
#include "shell/QLSetupLog.h"
#include "ui/QLDialogs.h"

// The uninstaller started to install: it has no archive to install from,
// and says so as a setup whose archive is missing does, before any window.
int RunInstallMode(const std::vector<std::string>&, const TQLSetupOptions&) {
  SetupLog("error: archive check failed");
  MessageDlg("The archive file is broken or is not found.", mtError, mbOK);
  return kExitFailed;
}
