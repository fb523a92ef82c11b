// The removal of the recorded files of an installation and of the folders
// they leave empty. A file the user changed since installation goes only
// when the user agrees; a file that cannot go now (in use) is left to the
// next start of Windows. Folders are removed only when they held a recorded
// file or are an installation folder, only when empty, and never when the
// folder safety protects them. Asks through the message dialog.
#pragma once

#include <string>
#include <vector>

#include "records/QLInstallItem.h"
#include "shell/QLFolderSafety.h"

class TQLItemRemoval {
public:
  // Roots: the installation folders whose records are listed.
  explicit TQLItemRemoval(std::vector<std::string> Roots);

  // Deletes the recorded file (asking first when it changed); a file that
  // is already gone is no failure.
  void Remove(const TQLInstallItem& Item);

  // Removes, deepest first, the empty folders that held the removed items'
  // files, up to and including their installation folder.
  void RemoveFolders(const TQLFolderSafety& Safety);

  // Whether any file was left to the next start of Windows.
  bool LeftForRestart() const { return !FQueued.empty(); }

private:
  bool Confirm(const TQLInstallItem& Item, TDateTime Time, int32_t Size);
  void NoteFolders(const std::string& Path);
  bool HoldsQueuedFile(const std::string& Folder) const;

  std::vector<std::string> FRoots;
  std::vector<std::string> FFolders;
  std::vector<std::string> FQueued;
  bool FDeleteAll = false;
  std::string FSeparator;
};
