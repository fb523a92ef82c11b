// The removal of the recorded files of an installation and of the folders
// they leave empty. Only a file inside the installation's own folders,
// reached through no link or junction, is touched; any other is left alone
// and reported. A file the user changed since installation goes only when
// the user agrees; a read-only or hidden one has its attributes cleared
// first; one that cannot go now (in use) is left to the next start of
// Windows. Folders are removed only when they held a recorded file or are an
// installation folder, only when empty, only inside the installation, and
// never when the folder safety protects them. Sizes and times come from one
// listing per folder. Asks through the message dialog.
#pragma once

#include <string>
#include <vector>

#include "records/QLInstallBounds.h"
#include "records/QLInstallItem.h"
#include "records/QLUninstallOutcome.h"
#include "shell/QLFolderListing.h"
#include "shell/QLFolderSafety.h"

class TQLItemRemoval {
public:
  // Roots: the installation folders whose records are listed.
  explicit TQLItemRemoval(const std::vector<std::string>& Roots);

  // Deletes the recorded file (asking first when it changed); a file that
  // is already gone is no failure.
  void Remove(const TQLInstallItem& Item);

  // Removes, deepest first, the empty folders that held the removed items'
  // files, up to and including their installation folder.
  void RemoveFolders(const TQLFolderSafety& Safety);

  // What was left to the next start of Windows, or stays.
  const TQLUninstallOutcome& Outcome() const { return FOutcome; }

private:
  bool Confirm(const TQLInstallItem& Item, TDateTime Time, int32_t Size);
  void DeleteOrQueue(const std::string& Path, uint32_t Attributes);
  void NoteFolders(const std::string& Folder);
  bool HoldsQueuedFile(const std::string& Folder) const;

  TQLInstallBounds FBounds;
  TQLFolderListings FListings;
  std::vector<std::string> FRoots;    // the installation folders in long form
  std::vector<std::string> FFolders;  // folders to remove when empty
  TQLUninstallOutcome FOutcome;
  bool FDeleteAll = false;
  std::string FSeparator;
};
