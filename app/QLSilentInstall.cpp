#include "app/QLSilentInstall.h"

#include "app/QLDestinationCheck.h"
#include "app/QLInstallRun.h"
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

int RunFrom(const TQLSetupInfo& Info, const std::string& Folder) {
  const TQLExtractResult result = InstallProductFiles(Folder, nullptr, nullptr);
  if (result.Outcome != TQLExtractOutcome::Extracted) {
    KeepUnfinishedRunRemovable(result);
    switch (result.Outcome) {
      case TQLExtractOutcome::FilesMissing: return Failed("some files could not be created");
      case TQLExtractOutcome::Cancelled: return Failed("a file in the way could not be replaced");
      case TQLExtractOutcome::Failed: return Failed(result.Error);
      default: return Failed("the installation file was illegal or it was destroyed");
    }
  }
  if (!WriteUninstaller()) return Failed("the uninstaller could not be written");
  WriteInstallRecords(Folder);
  WriteProgramListDetails(result.InstalledBytes);
  RegisterBrowserPlugins(Folder, Info.IEVersion);
  if (result.LeftForRestart > 0) {
    SetupLog("installation finished; " + std::to_string(result.LeftForRestart) +
             " file(s) take their place at the next start of Windows");
    return kExitRestartRequired;
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
