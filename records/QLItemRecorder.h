// Appends item records to the installation's list (the group subkeys of
// the uninstall information), one record per installed file. The keys it
// writes into stay open from one record to the next, since an extraction
// records thousands of files in a row; each record is still written as a
// single append is: the record into its group subkey, then the count raised,
// so an interruption leaves the count describing only complete records. The
// count is read from the registry once, at the first record: while a
// recorder lives it is the only writer of the list. It keeps what it
// recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLDateTime.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLRegistry.h"

class TQLItemRecorder {
public:
  TQLItemRecorder();

  // Records the file; raises EQLRegistryError when the record or the count
  // cannot be written.
  void Add(const std::string& Path, int32_t Size, TDateTime Time);

  // The records it wrote, with their slots, in order.
  const std::vector<TQLStoredItem>& Added() const { return FAdded; }

private:
  TQLRegistry FInfo;   // the uninstall information, which holds the count
  TQLRegistry FGroup;  // the group subkey of the last record
  std::string FGroupPath;
  int32_t FCount = -1;  // the count as the registry holds it, once read
  std::vector<TQLStoredItem> FAdded;
};
