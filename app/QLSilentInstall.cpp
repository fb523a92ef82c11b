#include "app/QLSilentInstall.h"

#include "app/QLDestinationCheck.h"
#include "app/QLInstallRun.h"
#include "app/QLInstallTransaction.h"
#include "app/QLSetupRules.h"
#include "app/QLWizardStartup.h"
#include "shell/QLSetupLog.h"
#include "ui/QLDialogs.h"

namespace {

int Failed(const std::string& Why) {
  SetupLog("error: " + Why);
  return kExitFailed;
}

// The folder page's space questions, answered silently: false stops.
bool EnoughSpace(const std::string& Folder, int64_t InstallSize) {
  const int64_t free = DestinationFreeSpace(Folder);
  SetupLog("space: " + std::to_string(InstallSize) + " bytes needed, " + std::to_string(free) + " free");
  return DiskSpaceAccepted(free, InstallSize);
}

// What the wizard's undone run tells in its message, the log tells here.
int Undone(TQLInstallTransaction& Run, const std::string& Why, int Status) {
  SetupLog("error: " + Why);
  SetupLog("rollback: " + RolledBackText(Run.RollBack()));
  return Status;
}

int RunFrom(const TQLSetupInfo& Info, const std::string& Folder) {
  TQLInstallTransaction run(Folder);
  try {
    const TQLExtractResult result = InstallProductFiles(run, Folder, nullptr, nullptr);
    switch (result.Outcome) {
      case TQLExtractOutcome::Extracted: break;
      case TQLExtractOutcome::FilesMissing: return Undone(run, "some files could not be created", kExitFailed);
      case TQLExtractOutcome::Cancelled: return Undone(run, "a file in the way could not be replaced", kExitFailed);
      case TQLExtractOutcome::Failed: return Undone(run, result.Error, kExitFailed);
      case TQLExtractOutcome::NoUninstaller:
        return Undone(run, "the uninstaller could not be written: " + result.Error, kExitFailed);
      default: return Undone(run, "the installation file was illegal or it was destroyed", kExitFailed);
    }
    WriteInstallRecords(run, Folder);
    WriteProgramListDetails(result.InstalledBytes);
    RegisterBrowserPlugins(run, Folder, Info.IEVersion);
    run.Commit();
    if (result.LeftForRestart > 0) {
      SetupLog("installation finished; " + std::to_string(result.LeftForRestart) +
               " file(s) take their place at the next start of Windows");
      return kExitRestartRequired;
    }
  } catch (const std::exception& e) {
    return Undone(run, e.what(), kExitFailed);
  }
  SetupLog("installation finished");
  return kExitSuccess;
}

}  // namespace

int RunSilentInstall(const TQLSetupOptions& Options, TQLArchiveCheck& Check) {
  const TQLSetupInfo info = GatherSetupInfo(Check);
  if (info.InstallSize == 0) {
    MessageDlg("The archive file is broken or is not found.", mtError, mbOK);
    return Failed("archive check failed");
  }
  SetupLog("archive check: " + std::to_string(info.FileCount) + " files, " + std::to_string(info.InstallSize) +
           " bytes needed");
  const std::string folder = Options.HasFolder ? Options.Folder : info.DefaultFolder;
  if (!DestinationAccepted(Options.HasFolder ? CommandLineFolder() : WidePathOf(folder), info.LongestEntryName))
    return kExitFailed;
  SetupLog("folder: " + folder);
  if (!EnoughSpace(folder, info.InstallSize)) return Failed("not enough space on the destination drive");
  try {
    return RunFrom(info, folder);
  } catch (const std::exception& e) {
    return Failed(e.what());
  }
}
