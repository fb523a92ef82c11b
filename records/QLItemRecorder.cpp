#include "records/QLItemRecorder.h"

#include <windows.h>

#include <vector>

#include "records/QLInstallItem.h"
#include "records/QLInstallRegistory.h"

TQLItemRecorder::TQLItemRecorder() : FInfo(HKEY_LOCAL_MACHINE), FGroup(HKEY_LOCAL_MACHINE) {}

void TQLItemRecorder::Add(const std::string& Path, int32_t Size, TDateTime Time) {
  // A file left unrecorded could never be removed: a key that cannot be
  // opened is a failed write.
  if (!FInfo.HasOpenKey() && !FInfo.OpenKey(kUninstallInfoKey, true))
    throw EQLRegistryError("Failed to set data for 'InstallItem'");
  if (FCount < 0) FCount = FInfo.ReadInteger("InstallItem").value_or(0);
  const int32_t count = FCount;
  const std::string group = InstallItemGroupPath(count);
  if (group != FGroupPath) {
    FGroupPath.clear();
    if (!FGroup.OpenKey(group, true))
      throw EQLRegistryError("Failed to set data for '" + InstallItemValueName(count) + "'");
    FGroupPath = group;
  }
  const TQLInstallItem item{Time, Size, Path};
  const std::vector<uint8_t> record = EncodeInstallItem(item);
  FGroup.WriteBinaryData(InstallItemValueName(count), record.data(), record.size());
  // The record is complete before the count admits it.
  FInfo.WriteInteger("InstallItem", count + 1);
  FCount = count + 1;
  FAdded.push_back({count, item, std::string()});
}
