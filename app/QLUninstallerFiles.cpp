#include "app/QLUninstallerFiles.h"

#include <windows.h>

#include "records/QLDeferredFileOps.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPlatform.h"

namespace {

std::string UninstallerFolderOf(const std::string& Root) { return Root + "\\UNINST"; }

// This program is the installed uninstaller of Root: its file and, on the NT
// family, its folder and Root are left to the next start, when they are
// removed if empty.
void QueueOwnFiles(const std::string& Root, const std::string& Program, const TQLFolderSafety& Safety) {
  DeleteFileAtReboot(Program);
  if (!IsNTFamily()) return;
  for (const std::string& folder : {UninstallerFolderOf(Root), Root})
    if (Safety.MayRemove(folder)) DeleteFileAtReboot(folder);
}

// Another installation's uninstaller: removed now with its folders when they
// are empty; what cannot go now goes at the next start. True when something
// was left.
bool RemoveOtherUninstaller(const std::string& Root, const TQLFolderSafety& Safety) {
  const std::string uninstaller = UninstallerFolderOf(Root) + "\\UNINST.EXE";
  bool queued = false;
  if (FileExists(uninstaller) && !DeleteFileIfExists(uninstaller)) {
    DeleteFileAtReboot(uninstaller);
    queued = true;
  }
  for (const std::string& folder : {UninstallerFolderOf(Root), Root}) {
    if (!Safety.MayRemove(folder) || !DirectoryExists(folder) || RemoveDirectoryA(folder.c_str())) continue;
    if (queued && IsNTFamily()) DeleteFileAtReboot(folder);
  }
  return queued;
}

}  // namespace

TQLUninstallerOutcome RemoveUninstallers(const std::vector<std::string>& Roots, const std::string& RunningProgram,
                                         const TQLFolderSafety& Safety) {
  TQLUninstallerOutcome outcome;
  for (const std::string& root : Roots) {
    if (SamePath(UninstallerFolderOf(root) + "\\UNINST.EXE", RunningProgram)) {
      QueueOwnFiles(root, RunningProgram, Safety);
      outcome.OwnFileQueued = true;
    } else if (RemoveOtherUninstaller(root, Safety)) {
      outcome.OthersQueued = true;
    }
  }
  return outcome;
}
