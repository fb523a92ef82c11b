#include "app/QLUninstallSequence.h"

#include <windows.h>

#include <optional>

#include "app/QLInstallTransaction.h"
#include "app/QLSetupRules.h"
#include "app/QLUninstallerFiles.h"
#include "plugin/UPluginSetup.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLFileUtils.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLRegistExt.h"
#include "shell/QLRegistry.h"
#include "shell/QLShortCut.h"
#include "ui/QLDialogs.h"

namespace {

std::string FolderOf(const std::string& Path) { return Path.substr(0, Path.rfind('\\')); }

bool Confirmed() {
  return ShowButtonDialog("Prismora SE will be uninstalled now. Are you OK?\r\r(Please end all the applications "
                          "executing it before the uninstallation is executed)",
                          mtWarning, mbOK | mbCancel, "CANCEL|*FOCUS") == mrOk;
}

// The control is looked for in the installation folder; without one on
// record, beside the uninstaller's folder.
std::string ControlFolder(const std::vector<std::string>& Roots, const std::string& Program) {
  return Roots.empty() ? FolderOf(Program) + "\\.." : Roots.front();
}

// Whether an installation wrote the sibling product's MIME key itself.
bool SiblingMimeKeyIsOurs() {
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  try {
    return info.OpenKeyReadOnly(kUninstallInfoKey) && info.ReadInteger(kSiblingMimeCreatedValue).value_or(0) == 1;
  } catch (const EQLRegistryError&) {
    return false;
  }
}

// The plug-in registration taken back. Of the Internet Explorer MIME keys
// only the sibling product's is written back, and only when it was there
// before any installation of this product wrote it.
void RemoveBrowserPlugins(const std::string& ControlFolder) {
  const std::optional<std::string> sibling = SiblingMimeExtension();
  const bool ours = SiblingMimeKeyIsOurs();
  RemoveBrowserMimeKeys();
  if (sibling && !ours) WriteSiblingMimeKey(*sibling);
  RemoveNetscapePlugins();
  RemoveJavaPluginClasses();
  if (!UnregisterActiveXControl(ControlFolder))
    MessageDlg("Failed in un-installing of the ActiveX plugin.", mtWarning, mbOK);
}

// Names what stays when recorded files remain for another reason than the
// next start; otherwise the usual closing words.
void ShowClosingMessage(const TQLUninstallOutcome& Outcome, bool LeftForRestart) {
  if (Outcome.Incomplete()) {
    MessageDlg(IncompleteUninstallText(Outcome, LeftForRestart), mtError, mbOK);
    return;
  }
  MessageDlg(LeftForRestart ? "Uninstallation was finished\r\n\r\nWhen Windows will be started next time, the "
                              "remaining file is automatically deleted."
                            : "Uninstallation was finished",
             mtInformation, mbOK);
}

// 1603 when recorded files stay for another reason than the next start
// (they are named), 3010 when product files wait for it, else 0.
int ExitStatusOf(const TQLUninstallOutcome& Outcome, bool OthersQueued) {
  if (Outcome.Incomplete()) return kExitFailed;
  return Outcome.LeftForRestart() || OthersQueued ? kExitRestartRequired : kExitSuccess;
}

// A run that was stopped is undone first. When it was all there was, the
// uninstall is done: only this program may be left, for the next start.
std::optional<int> RecoverFirst(const std::string& Program) {
  const TQLRecovery recovery = RecoverStoppedRun();
  if (!recovery.Found || TQLInstallRegistory::IsInstalled()) return std::nullopt;
  const TQLUninstallerOutcome own = RemoveUninstallers({recovery.AppPath}, Program, TQLFolderSafety());
  ShowClosingMessage(TQLUninstallOutcome(), own.OwnFileQueued || own.OthersQueued);
  return own.OthersQueued ? kExitRestartRequired : kExitSuccess;
}

}  // namespace

int RunUninstallSequence() {
  if (const std::optional<int> recovered = RecoverFirst(ProgramPath())) return *recovered;
  if (!TQLInstallRegistory::IsInstalled()) {
    MessageDlg("Prismora SE is not installed.", mtError, mbOK);
    return kExitNotInstalled;
  }
  if (!Confirmed()) {
    MessageDlg("The operation was canceled.", mtError, mbOK);
    return kExitUserCancelled;
  }
  const std::vector<std::string> roots = TQLInstallRegistory::InstallRoots();
  const std::string program = ProgramPath();
  RemoveBrowserPlugins(ControlFolder(roots, program));
  for (const TQLShortCutFile& row : ShortCutTable) DeleteShortCutFile(AllUsersShortCut(row));
  const TQLFolderSafety safety;
  const TQLUninstallOutcome outcome = InstallRegistory().Uninstall(RegistExtTable, RegistExtCount, safety);
  const TQLUninstallerOutcome uninstallers = RemoveUninstallers(roots, program, safety);
  const bool leftForRestart = outcome.LeftForRestart() || uninstallers.OthersQueued || uninstallers.OwnFileQueued;
  ShowClosingMessage(outcome, leftForRestart);
  return ExitStatusOf(outcome, uninstallers.OthersQueued);
}
