#include "records/QLReinstallRecords.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "records/QLInstallItem.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLFileUtils.h"
#include "shell/QLRegistry.h"

namespace {

std::string GroupKeyPath(int32_t Index) {
  return std::string(kUninstallInfoKey) + "\\" + InstallItemGroupKey(Index);
}

std::string Lower(std::string Text) {
  CharLowerBuffA(Text.data(), DWORD(Text.size()));
  return Text;
}

// The same folder, whatever the letter case or a trailing separator.
std::string FolderKey(const std::string& Folder) {
  std::string full = Lower(FullPathOf(Folder));
  while (full.size() > 3 && full.back() == '\\') full.pop_back();
  return full;
}

// One past the highest item slot that holds a record, group by group until
// a group key is missing.
int32_t UsedItemSlots() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  int32_t used = 0;
  for (int32_t group = 0; registry.OpenKeyReadOnly(GroupKeyPath(group * kItemsPerGroup)); ++group) {
    for (int32_t i = group * kItemsPerGroup; i < (group + 1) * kItemsPerGroup; ++i)
      if (registry.ValueExists(InstallItemValueName(i))) used = i + 1;
    registry.CloseKey();
  }
  return used;
}

struct TSlot {
  int32_t Index;
  TQLInstallItem Item;
};

// The readable records of slots 0 to Count - 1; false when one is damaged.
bool ReadSlots(int32_t Count, std::vector<TSlot>& Slots) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  for (int32_t i = 0; i < Count; ++i) {
    if (!registry.OpenKeyReadOnly(GroupKeyPath(i))) continue;
    if (!registry.ValueExists(InstallItemValueName(i))) continue;
    try {
      const std::vector<uint8_t> record = registry.ReadBinaryData(InstallItemValueName(i));
      if (record.size() <= kItemRecordHeader) return false;
      Slots.push_back({i, DecodeInstallItem(record)});
    } catch (const EQLRegistryError&) {
      return false;
    }
  }
  return true;
}

void WriteSlot(int32_t Index, const TQLInstallItem& Item) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(GroupKeyPath(Index), true)) return;
  const std::vector<uint8_t> record = EncodeInstallItem(Item);
  registry.WriteBinaryData(InstallItemValueName(Index), record.data(), record.size());
}

void WriteCount(int32_t Count) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKey(kUninstallInfoKey, true)) registry.WriteInteger("InstallItem", Count);
}

void DeleteSlots(int32_t From, int32_t To) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  for (int32_t i = From; i < To; ++i)
    if (registry.OpenKey(GroupKeyPath(i), false)) registry.DeleteValue(InstallItemValueName(i));
}

}  // namespace

std::string EarlierAppPathName(int Number) { return "EarlierAppPath" + std::to_string(Number); }

TQLEarlierInstallation TQLEarlierInstallation::Read() {
  TQLEarlierInstallation earlier;
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kUninstallInfoKey)) return earlier;
  auto readFolder = [&](const std::string& Name) {
    try {
      const std::string folder = registry.ValueExists(Name) ? registry.ReadString(Name) : "";
      if (!folder.empty()) earlier.FFolders.push_back(folder);
    } catch (const EQLRegistryError&) {
      // A folder value that is not text names no folder.
    }
  };
  readFolder("AppPath");
  for (int n = 1; registry.ValueExists(EarlierAppPathName(n)); ++n) readFolder(EarlierAppPathName(n));
  int32_t counted = -1;
  try {
    counted = registry.ReadInteger("InstallItem").value_or(-1);
  } catch (const EQLRegistryError&) {
  }
  registry.CloseKey();
  earlier.FItemCount = std::max(counted, UsedItemSlots());
  if (earlier.FItemCount != counted) WriteCount(earlier.FItemCount);
  return earlier;
}

void TQLEarlierInstallation::KeepFolders(const std::string& NewAppPath) const {
  std::vector<std::string> kept;
  std::set<std::string> seen{FolderKey(NewAppPath)};
  for (const std::string& folder : FFolders)
    if (seen.insert(FolderKey(folder)).second) kept.push_back(folder);
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kUninstallInfoKey, true)) return;
  for (int n = 1; registry.ValueExists(EarlierAppPathName(n)); ++n) registry.DeleteValue(EarlierAppPathName(n));
  for (size_t i = 0; i < kept.size(); ++i) registry.WriteString(EarlierAppPathName(int(i) + 1), kept[i]);
}

void TQLEarlierInstallation::MergeItems() const {
  int32_t total = 0;
  {
    TQLRegistry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(kUninstallInfoKey)) return;
    total = std::max(registry.ReadInteger("InstallItem").value_or(0), UsedItemSlots());
  }
  std::vector<TSlot> slots;
  // A damaged record cannot be moved: the list then stays as it is, longer
  // but complete.
  if (!ReadSlots(total, slots)) return;
  // The latest record of each path wins; an earlier one of a file that is
  // gone describes nothing.
  std::vector<TSlot> kept;
  std::set<std::string> seen;
  for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
    if (!seen.insert(Lower(it->Item.Path)).second) continue;
    if (it->Index < FItemCount && !FileExists(it->Item.Path)) continue;
    kept.push_back(*it);
  }
  std::reverse(kept.begin(), kept.end());
  // Every record moves to the same or a lower slot, over one already copied
  // or not kept: an interruption leaves every file recorded.
  for (size_t i = 0; i < kept.size(); ++i)
    if (kept[i].Index != int32_t(i)) WriteSlot(int32_t(i), kept[i].Item);
  WriteCount(int32_t(kept.size()));
  DeleteSlots(int32_t(kept.size()), total);
}
