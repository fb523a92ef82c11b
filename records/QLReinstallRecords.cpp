#include "records/QLReinstallRecords.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>

#include "records/QLInstallItem.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLFileUtils.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLRegistry.h"

namespace {

// One past the highest item slot that holds a record.
int32_t UsedItemSlots(const std::vector<TQLStoredItem>& Stored) { return Stored.empty() ? 0 : Stored.back().Index + 1; }

// The group subkeys of the records, each opened once for a run of slots
// in it.
class TGroupKeys {
public:
  TQLRegistry* Of(int32_t Index, bool CanCreate) {
    const std::string group = InstallItemGroupPath(Index);
    if (group == FPath) return FOpen ? &FKey : nullptr;
    FPath = group;
    FOpen = FKey.OpenKey(group, CanCreate);
    return FOpen ? &FKey : nullptr;
  }

private:
  TQLRegistry FKey{HKEY_LOCAL_MACHINE};
  std::string FPath;
  bool FOpen = false;
};

void WriteSlot(TGroupKeys& Groups, int32_t Index, const TQLInstallItem& Item) {
  TQLRegistry* group = Groups.Of(Index, true);
  if (!group) return;
  const std::vector<uint8_t> record = EncodeInstallItem(Item);
  group->WriteBinaryData(InstallItemValueName(Index), record.data(), record.size());
}

// Every record from slot Count on: a group with no slot below Count goes
// whole (the slots below Count end in the group of slot Count - 1).
void ClearSlotsFrom(int32_t Count, const std::vector<TQLStoredItem>& Stored) {
  TGroupKeys groups;
  std::set<std::string> gone;
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  const std::string shared = Count > 0 ? InstallItemGroupPath(Count - 1) : std::string();
  for (const TQLStoredItem& slot : Stored) {
    if (slot.Index < Count) continue;
    const std::string group = InstallItemGroupPath(slot.Index);
    if (gone.count(group)) continue;
    if (group != shared) {
      registry.DeleteKey(group);
      gone.insert(group);
    } else if (TQLRegistry* key = groups.Of(slot.Index, false)) {
      key->DeleteValue(InstallItemValueName(slot.Index));
    }
  }
}

void WriteCount(int32_t Count) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKey(kUninstallInfoKey, true)) registry.WriteInteger("InstallItem", Count);
}

// The item count of the open uninstall information; nothing when it is
// missing or no number.
std::optional<int32_t> ItemCountOf(const TQLRegistry& Info) {
  try {
    return Info.ReadInteger("InstallItem");
  } catch (const EQLRegistryError&) {
    return std::nullopt;
  }
}

// The records the run wrote from slot From on, as given when they are all
// the list holds beyond From, else as read.
std::vector<TQLStoredItem> RunItems(int32_t From, const std::vector<TQLStoredItem>* Run) {
  if (Run) {
    TQLRegistry registry(HKEY_LOCAL_MACHINE);
    const std::optional<int32_t> count =
        registry.OpenKeyReadOnly(kUninstallInfoKey) ? ItemCountOf(registry) : std::nullopt;
    if (count && *count == From + int32_t(Run->size()) && (Run->empty() || Run->front().Index == From)) return *Run;
  }
  return StoredInstallItems(From);
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
  const int32_t counted = ItemCountOf(registry).value_or(-1);
  registry.CloseKey();
  earlier.FItems = StoredInstallItems();
  earlier.FItemCount = std::max(counted, UsedItemSlots(earlier.FItems));
  if (earlier.FItemCount != counted) WriteCount(earlier.FItemCount);
  return earlier;
}

void TQLEarlierInstallation::KeepFolders(const std::string& NewAppPath) const {
  std::vector<std::string> kept;
  std::set<std::string> seen{ComparablePathOf(NewAppPath)};
  for (const std::string& folder : FFolders)
    if (seen.insert(ComparablePathOf(folder)).second) kept.push_back(folder);
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kUninstallInfoKey, true)) return;
  for (int n = 1; registry.ValueExists(EarlierAppPathName(n)); ++n) registry.DeleteValue(EarlierAppPathName(n));
  for (size_t i = 0; i < kept.size(); ++i) registry.WriteString(EarlierAppPathName(int(i) + 1), kept[i]);
}

void MergeInstallItems(int32_t EarlierCount, const std::vector<TQLStoredItem>* Earlier,
                       const std::vector<TQLStoredItem>* Run) {
  // With no earlier record the list holds this run's alone, each file once
  // (the uninstall takes the latest record of a path the archive named twice).
  if (EarlierCount <= 0) return;
  if (!TQLRegistry(HKEY_LOCAL_MACHINE).KeyExists(kUninstallInfoKey)) return;
  std::vector<TQLStoredItem> stored;
  if (Earlier) {
    for (const TQLStoredItem& item : *Earlier)
      if (item.Index < EarlierCount) stored.push_back(item);
    const std::vector<TQLStoredItem> run = RunItems(EarlierCount, Run);
    stored.insert(stored.end(), run.begin(), run.end());
  } else {
    stored = StoredInstallItems();
  }
  // A damaged record cannot be moved: the list then stays as it is, longer
  // but complete.
  for (const TQLStoredItem& slot : stored)
    if (!slot.Damage.empty()) return;
  // The latest record of each path wins; an earlier one of a file that is
  // gone describes nothing.
  std::vector<TQLStoredItem> kept;
  std::set<std::string> seen;
  TQLComparablePaths comparable;
  for (auto it = stored.rbegin(); it != stored.rend(); ++it) {
    if (!seen.insert(comparable.Of(it->Item.Path)).second) continue;
    if (it->Index < EarlierCount && !FileExists(it->Item.Path)) continue;
    kept.push_back(*it);
  }
  std::reverse(kept.begin(), kept.end());
  // Every record moves to the same or a lower slot, over one already copied
  // or not kept: an interruption leaves every file recorded.
  TGroupKeys groups;
  for (size_t i = 0; i < kept.size(); ++i)
    if (kept[i].Index != int32_t(i)) WriteSlot(groups, int32_t(i), kept[i].Item);
  WriteCount(int32_t(kept.size()));
  ClearSlotsFrom(int32_t(kept.size()), stored);
}
