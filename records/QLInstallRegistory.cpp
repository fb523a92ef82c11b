#include "records/QLInstallRegistory.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "records/QLInstallItem.h"
#include "records/QLItemRecorder.h"
#include "records/QLItemRemoval.h"
#include "records/QLKeptItems.h"
#include "shell/QLFileUtils.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLRegistry.h"
#include "shell/QLSetupLog.h"
#include "shell/QLShortCut.h"

namespace {

constexpr int32_t kVersionMinor = 327680;  // 0x50000


// Index of a name made by Format from a number (a group subkey, an "App"
// value), or -1 when the name is not one that Format makes.
int32_t IndexOfName(const std::string& Name, size_t Prefix, std::string (*Format)(int32_t), int32_t Scale) {
  if (Name.size() <= Prefix) return -1;
  char* end = nullptr;
  const unsigned long n = std::strtoul(Name.c_str() + Prefix, &end, 16);
  if (*end != '\0' || n > 0x7FFFFFFFul / unsigned(Scale)) return -1;
  const int32_t index = int32_t(n) * Scale;
  return Format(index) == Name ? index : -1;
}

TQLStoredItem StoredItemOf(const TQLRegistryValue& Value, int32_t Index) {
  TQLStoredItem stored;
  stored.Index = Index;
  if (Value.Type == REG_SZ || Value.Type == REG_EXPAND_SZ || Value.Type == REG_DWORD)
    stored.Damage = "Invalid data type for '" + Value.Name + "'";
  else if (Value.Data.size() < kItemRecordHeader)
    stored.Damage = "Invalid data size for '" + Value.Name + "'";
  else
    stored.Item = DecodeInstallItem(Value.Data);
  return stored;
}

// The item list goes with its group subkeys: one removal per 64 items.
void ClearItemList(const std::vector<TQLStoredItem>& Items) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  int32_t group = -1;
  for (const TQLStoredItem& stored : Items) {
    if (stored.Index / kItemsPerGroup == group) continue;
    group = stored.Index / kItemsPerGroup;
    registry.DeleteKey(InstallItemGroupPath(stored.Index));
  }
  if (registry.OpenKey(kUninstallInfoKey, false)) registry.DeleteValue("InstallItem");
}

// A text value of key 2, empty when it is absent or no text.
std::string ReadInfoString(const TQLRegistry& Info, const std::string& Name) {
  try {
    return Info.ReadString(Name);
  } catch (const EQLRegistryError&) {
    return std::string();
  }
}

}  // namespace

std::vector<TQLStoredItem> StoredInstallItems(int32_t From) {
  std::vector<TQLStoredItem> items;
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kUninstallInfoKey)) return items;
  for (const std::string& groupName : registry.GetKeyNames()) {
    const int32_t first = IndexOfName(groupName, 0, InstallItemGroupKey, kItemsPerGroup);
    TQLRegistry group(HKEY_LOCAL_MACHINE);
    if (first < 0 || first / kItemsPerGroup < From / kItemsPerGroup ||
        !group.OpenKeyReadOnly(std::string(kUninstallInfoKey) + "\\" + groupName))
      continue;
    for (const TQLRegistryValue& value : group.ReadAllValues()) {
      const int32_t index = IndexOfName(value.Name, 3, InstallItemValueName, 1);
      if (index >= From && index / kItemsPerGroup == first / kItemsPerGroup) items.push_back(StoredItemOf(value, index));
    }
  }
  std::sort(items.begin(), items.end(), [](const TQLStoredItem& a, const TQLStoredItem& b) { return a.Index < b.Index; });
  return items;
}

void DeleteVendorKeyIfEmpty(HKEY Root) {
  TQLRegistry registry(Root);
  if (!registry.OpenKeyReadOnly(kVendorKey)) return;
  const bool empty = registry.GetKeyNames().empty() && registry.GetValueNames().empty();
  registry.CloseKey();
  if (empty) registry.DeleteKey(kVendorKey);
}

std::string InstallItemGroupPath(int32_t Index) {
  return std::string(kUninstallInfoKey) + "\\" + InstallItemGroupKey(Index);
}

TQLInstallRegistory& InstallRegistory() {
  static TQLInstallRegistory instance;
  return instance;
}

void TQLInstallRegistory::WriteUninstallKeys(bool Write) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!Write) {
    registry.DeleteKey(kUninstallKey);
    registry.DeleteKey(kUninstallInfoKey);
    return;
  }
  if (registry.OpenKey(kUninstallKey, true)) {
    registry.WriteString("DisplayName", "Prismora SE");
    registry.WriteString("UninstallString", "\"" + GetUninstallerPath() + "\" /UNINSTALL");
    registry.WriteString("Publisher", "VELDRANE");
    registry.WriteInteger("VersionMajor", 1);
    registry.WriteInteger("VersionMinor", kVersionMinor);
    registry.WriteInteger("MajorVersion", 1);
    registry.WriteInteger("MinorVersion", kVersionMinor);
    registry.WriteString("InstallLocation", AppPath + "\\");
    registry.CloseKey();
  }
  if (registry.OpenKey(kUninstallInfoKey, true)) registry.WriteString("AppPath", AppPath);
}

void TQLInstallRegistory::WriteAppMain() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKey(kSectionKey, true)) registry.WriteString("AppMain", AppPath + "\\PQENGINE.EXE");
}

void TQLInstallRegistory::AddInstallItem(const std::string& Path, int32_t Size, TDateTime Time) {
  TQLItemRecorder().Add(Path, Size, Time);
}

void TQLInstallRegistory::WriteSection(bool Write, const std::string& SetupPath) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!Write) {
    registry.DeleteKey(kSectionKey);
    return;
  }
  if (!registry.OpenKey(kSectionKey, true)) return;
  registry.WriteString("Name", "Prismora 1.0 SE");
  registry.WriteString("Version", "1.0E");
  registry.WriteString("Path01", SetupPath);
}

void TQLInstallRegistory::WriteInstallInfo(const TQLRegistExt* FileTypes, int Count, const std::string& SetupPath) {
  WriteSection(true, SetupPath);
  RegisterFileTypes(FileTypes, Count, AppPath, true);
}

void TQLInstallRegistory::DeleteProductKeys() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  registry.DeleteKey(kProductKey);
  registry.SetRootKey(HKEY_CURRENT_USER);
  registry.DeleteKey(kProductKey);
}

bool TQLInstallRegistory::IsInstalled() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  return registry.KeyExists(kUninstallKey) || registry.KeyExists(kUninstallInfoKey);
}

std::vector<std::string> TQLInstallRegistory::InstallRoots() {
  std::vector<std::string> roots;
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  if (!info.OpenKeyReadOnly(kUninstallInfoKey)) return roots;
  const std::string appPath = ReadInfoString(info, "AppPath");
  if (!appPath.empty()) roots.push_back(appPath);
  for (int n = 1;; ++n) {
    const std::string name = "EarlierAppPath" + std::to_string(n);
    if (!info.ValueExists(name)) break;
    const std::string earlier = ReadInfoString(info, name);
    if (!earlier.empty()) roots.push_back(earlier);
  }
  return roots;
}

TQLUninstallOutcome TQLInstallRegistory::UninstallItems(const TQLFolderSafety& Safety) {
  TQLUninstallOutcome outcome;
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kUninstallInfoKey)) return outcome;
  try {
    AppPath = registry.ReadString("AppPath");
  } catch (const EQLRegistryError& e) {
    outcome.Damaged.push_back(e.what());
    AppPath.clear();
  }
  registry.CloseKey();
  TQLItemRemoval removal(InstallRoots());
  std::vector<TQLStoredItem> items = StoredInstallItems();
  std::set<std::string> later;  // paths of later records, which describe the file as it is
  TQLComparablePaths comparable;
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    if (!it->Damage.empty()) continue;
    if (!later.insert(comparable.Of(it->Item.Path)).second)
      it->Item.Path.clear();  // an earlier record of a path recorded again later
  }
  for (const TQLStoredItem& stored : items) {
    if (!stored.Damage.empty()) {
      SetupLog("error: " + stored.Damage);
      outcome.Damaged.push_back(stored.Damage);
    } else if (!stored.Item.Path.empty()) {
      removal.Remove(stored.Item);
    }
  }
  // What the installation kept aside goes back to its place, now that the
  // product's own files are gone, and keeps its folder.
  for (const std::string& kept : RestoreKeptForLifetime(InstallRoots())) outcome.Stuck.push_back(kept);
  removal.RemoveFolders(Safety);
  ClearItemList(items);
  outcome.Add(removal.Outcome());
  return outcome;
}

TQLUninstallOutcome TQLInstallRegistory::Uninstall(const TQLRegistExt* FileTypes, int Count,
                                                   const TQLFolderSafety& Safety) {
  // The file types go first: another product's that the installation kept
  // are put back with the files.
  RegisterFileTypes(FileTypes, Count, AppPath, false);
  const TQLUninstallOutcome outcome = UninstallItems(Safety);
  DeleteProgramsFolder("Prismora SE");
  WriteSection(false, "");
  WriteUninstallKeys(false);
  DeleteProductKeys();
  DeleteVendorKeyIfEmpty(HKEY_LOCAL_MACHINE);
  DeleteVendorKeyIfEmpty(HKEY_CURRENT_USER);
  return outcome;
}
