// The records of an earlier installation across a reinstall. Read before the
// new run changes anything; the earlier installation folders are kept beside
// the new one ("EarlierAppPath1", "EarlierAppPath2", ... in the uninstall
// information key), and after the extraction the item list is merged so that
// every file still on disk stays recorded exactly once, by its latest
// record. A cancelled, failed or ignored reinstall, or one into another
// folder, therefore leaves nothing the uninstaller cannot find.
// Registry write errors propagate as EQLRegistryError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/QLInstallRegistory.h"

// "EarlierAppPath" + Number (from 1).
std::string EarlierAppPathName(int Number);

class TQLEarlierInstallation {
public:
  // What the registry records now: the installation folders and the number
  // of item slots in use (a damaged or missing count is found by walking
  // the records, and written back so new records go after the earlier ones).
  static TQLEarlierInstallation Read();

  bool Exists() const { return !FFolders.empty(); }
  // The folders of the earlier installation, the latest first.
  const std::vector<std::string>& Folders() const { return FFolders; }

  // Records every earlier folder other than NewAppPath as an earlier one.
  void KeepFolders(const std::string& NewAppPath) const;

  // The item slots the earlier installation uses: the run's own records
  // start here.
  int32_t ItemCount() const { return FItemCount; }
  // Its records as they were read.
  const std::vector<TQLStoredItem>& Items() const { return FItems; }

private:
  std::vector<std::string> FFolders;
  int32_t FItemCount = 0;
  std::vector<TQLStoredItem> FItems;
};

// After a run's records, which follow the EarlierCount slots of the earlier
// installation: one record per path, the latest; earlier records of files
// that are gone are dropped, the run's own always stay. Run again after an
// interruption, it comes to the same list. Earlier, when given, is what the
// slots below EarlierCount held when the run began, and Run what the run
// recorded from EarlierCount on; each is read again when not given, and Run
// also when the item count says other records were added.
void MergeInstallItems(int32_t EarlierCount, const std::vector<TQLStoredItem>* Earlier = nullptr,
                       const std::vector<TQLStoredItem>* Run = nullptr);
