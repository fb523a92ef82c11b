#include "app/QLUninstallerFiles.h"

#include <windows.h>

#include <cctype>
#include <functional>

#include "records/QLDeferredFileOps.h"
#include "records/QLInstallBounds.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPlatform.h"
#include "shell/QLWinHandles.h"

namespace {

using TQLFolderRule = std::function<bool(const std::string&)>;

std::string UninstallerFolderOf(const std::string& Root) { return Root + "\\UNINST"; }

bool IsReplacementCopy(const std::string& Name) {
  if (Name.size() != 10 || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, Name.c_str(), 7, "UNINST.", 7) != CSTR_EQUAL)
    return false;
  for (size_t i = 7; i < 10; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(Name[i]))) return false;
  return true;
}

// The copies "UNINST.000" to "UNINST.FFF" an installation over a pending
// delete leaves beside the uninstaller, to be moved onto it at the next
// start: they go now, so that no uninstaller comes back after the restart.
void RemoveReplacementCopies(const std::string& Folder) {
  WIN32_FIND_DATAA entry;
  std::vector<std::string> copies;
  {
    TQLFindHandle find(FindFirstFileA((Folder + "\\UNINST.*").c_str(), &entry));
    if (!find) return;
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsReplacementCopy(entry.cFileName))
        copies.push_back(Folder + "\\" + entry.cFileName);
    } while (FindNextFileA(find.Get(), &entry));
  }
  for (const std::string& copy : copies) DeleteFileIfExists(copy);
}

// This program is the installed uninstaller of Root: its file and, on the NT
// family, its folder and Root are left to the next start, when they are
// removed if empty.
void QueueOwnFiles(const std::string& Root, const std::string& Program, TQLFolderRule& MayRemove) {
  RemoveReplacementCopies(UninstallerFolderOf(Root));
  DeleteFileAtReboot(Program);
  if (!IsNTFamily()) return;
  for (const std::string& folder : {UninstallerFolderOf(Root), Root})
    if (MayRemove(folder)) DeleteFileAtReboot(folder);
}

// Another installation's uninstaller: removed now with its folders when they
// are empty; what cannot go now goes at the next start. True when something
// was left.
bool RemoveOtherUninstaller(const std::string& Root, TQLFolderRule& MayRemove) {
  const std::string uninstaller = UninstallerFolderOf(Root) + "\\UNINST.EXE";
  if (!MayRemove(UninstallerFolderOf(Root))) return false;
  RemoveReplacementCopies(UninstallerFolderOf(Root));
  bool queued = false;
  if (FileExists(uninstaller) && !DeleteFileIfExists(uninstaller)) {
    DeleteFileAtReboot(uninstaller);
    queued = true;
  }
  for (const std::string& folder : {UninstallerFolderOf(Root), Root}) {
    if (!MayRemove(folder) || !DirectoryExists(folder) || RemoveDirectoryA(folder.c_str())) continue;
    if (queued && IsNTFamily()) DeleteFileAtReboot(folder);
  }
  return queued;
}

}  // namespace

TQLUninstallerOutcome RemoveUninstallers(const std::vector<std::string>& Roots, const std::string& RunningProgram,
                                         const TQLFolderSafety& Safety) {
  TQLUninstallerOutcome outcome;
  // Only folders inside the installations, reached through no link, and
  // never one the safety protects.
  TQLInstallBounds bounds(Roots);
  TQLFolderRule mayRemove = [&](const std::string& Folder) {
    return Safety.MayRemove(Folder) && !bounds.FolderInside(Folder).empty();
  };
  for (const std::string& root : Roots) {
    if (SamePath(UninstallerFolderOf(root) + "\\UNINST.EXE", RunningProgram)) {
      QueueOwnFiles(root, RunningProgram, mayRemove);
      outcome.OwnFileQueued = true;
    } else if (RemoveOtherUninstaller(root, mayRemove)) {
      outcome.OthersQueued = true;
    }
  }
  return outcome;
}
