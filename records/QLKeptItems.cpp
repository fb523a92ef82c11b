#include "records/QLKeptItems.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "archive/QLNumberText.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPathRules.h"
#include "shell/QLRegistry.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr char kKeptPrefix[] = "Kept";

TQLKeyTree ReadTreeBelow(TQLRegistry& Registry, const std::string& Key, bool ValuesOnly) {
  TQLKeyTree tree;
  if (!Registry.OpenKeyReadOnly(Key)) return tree;
  tree.Existed = true;
  for (const std::string& name : Registry.GetValueNames()) {
    TQLRegValue value;
    value.Name = name;
    if (Registry.ReadValue(name, value.Type, value.Data)) tree.Values.push_back(std::move(value));
  }
  if (ValuesOnly) return tree;
  for (const std::string& name : Registry.GetKeyNames()) {
    TQLKeyTree sub = ReadTreeBelow(Registry, Key + "\\" + name, false);
    sub.Name = name;
    tree.Keys.push_back(std::move(sub));
  }
  return tree;
}

void WriteTreeBelow(TQLRegistry& Registry, const std::string& Key, const TQLKeyTree& Tree) {
  if (!Registry.OpenKey(Key, true)) throw EQLRegistryError("Failed to set data for '" + Key + "'");
  for (const TQLRegValue& value : Tree.Values) Registry.WriteValue(value.Name, value.Type, value.Data);
  for (const TQLKeyTree& sub : Tree.Keys) WriteTreeBelow(Registry, Key + "\\" + sub.Name, sub);
}

bool PutKeyBack(const TQLJournalEntry& Entry) {
  const auto place = SplitKeptKeyPath(Entry.Path);
  const std::optional<TQLKeyTree> tree = DecodeKeyTree(Entry.Data);
  if (!place || !tree || !KeptKeyRoot(place->first)) return false;
  TQLRegistry registry(KeptKeyRoot(place->first));
  if (Entry.Kind == TQLJournalKind::KeyKept) {
    registry.DeleteKey(place->second);
  } else if (registry.OpenKey(place->second, false)) {
    for (const std::string& name : registry.GetValueNames()) registry.DeleteValue(name);
    registry.CloseKey();
  }
  if (tree->Existed) WriteTreeBelow(registry, place->second, *tree);
  return true;
}

// A key made only to hold others goes when nothing is left in it.
bool RemoveKeyIfEmpty(const TQLJournalEntry& Entry) {
  const auto place = SplitKeptKeyPath(Entry.Path);
  if (!place || !KeptKeyRoot(place->first)) return false;
  TQLRegistry registry(KeptKeyRoot(place->first));
  if (!registry.OpenKeyReadOnly(place->second)) return true;
  const bool empty = registry.GetKeyNames().empty() && registry.GetValueNames().empty();
  registry.CloseKey();
  if (empty) registry.DeleteKey(place->second);
  return true;
}

bool PutFileBack(const TQLJournalEntry& Entry, bool ReplaceExisting) {
  if (!IsKept(Entry)) return true;  // never moved, or back already
  if (FileExists(Entry.Path)) {
    if (!ReplaceExisting || !DeleteFileIfExists(Entry.Path)) return false;
  }
  ForceDirectories(ParentFolder(Entry.Path));
  return MoveFileExA(Entry.Backup.c_str(), Entry.Path.c_str(), 0) != FALSE;
}

bool WriteSavedFile(const TQLJournalEntry& Entry, bool ReplaceExisting) {
  if (FileExists(Entry.Path) && (!ReplaceExisting || !DeleteFileIfExists(Entry.Path))) return false;
  ForceDirectories(ParentFolder(Entry.Path));
  TQLFileHandle file(CreateFileA(Entry.Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
  DWORD written = 0;
  const bool whole = file && WriteFile(file.Get(), Entry.Data.data(), DWORD(Entry.Data.size()), &written, nullptr) &&
                     written == Entry.Data.size();
  file.Reset();
  if (!whole) DeleteFileA(Entry.Path.c_str());
  return whole;
}

struct TKeptValue {
  std::string Name;
  TQLJournalEntry Entry;
};

std::vector<TKeptValue> KeptList(TQLRegistry& Info) {
  std::vector<TKeptValue> kept;
  for (const std::string& name : Info.GetValueNames()) {
    if (name.rfind(kKeptPrefix, 0) != 0 || name.size() != 12) continue;
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!Info.ReadValue(name, type, bytes)) continue;
    if (std::optional<TQLJournalEntry> entry = DecodeJournalEntry(bytes)) kept.push_back({name, std::move(*entry)});
  }
  std::sort(kept.begin(), kept.end(), [](const TKeptValue& a, const TKeptValue& b) { return a.Name < b.Name; });
  return kept;
}

}  // namespace

std::string KeptFilesFolder(const std::string& AppPath) { return AppPath + "\\UNINST\\KEPT"; }

TQLJournalEntry SavedFileEntry(const std::string& Path, bool Ours) {
  TQLJournalEntry entry;
  entry.Kind = TQLJournalKind::FileSaved;
  entry.Path = Path;
  entry.Ours = Ours;
  TQLFileHandle file(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 16 * 1024 * 1024) return entry;
  entry.Data.resize(size_t(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.Get(), entry.Data.data(), DWORD(entry.Data.size()), &read, nullptr)) read = 0;
  entry.Data.resize(read);
  return entry;
}

HKEY KeptKeyRoot(const std::string& Root) {
  if (Root == "HKLM") return HKEY_LOCAL_MACHINE;
  if (Root == "HKCU") return HKEY_CURRENT_USER;
  if (Root == "HKCR") return HKEY_CLASSES_ROOT;
  return nullptr;
}

TQLKeyTree ReadKeyTree(HKEY Root, const std::string& Key, bool ValuesOnly) {
  TQLRegistry registry(Root);
  return ReadTreeBelow(registry, Key, ValuesOnly);
}

bool PutBack(const TQLJournalEntry& Entry, bool ReplaceExisting) {
  switch (Entry.Kind) {
    case TQLJournalKind::FileKept: return PutFileBack(Entry, ReplaceExisting);
    case TQLJournalKind::FileSaved: return WriteSavedFile(Entry, ReplaceExisting);
    case TQLJournalKind::KeyKept:
    case TQLJournalKind::ValuesKept: return PutKeyBack(Entry);
    case TQLJournalKind::KeyMade: return RemoveKeyIfEmpty(Entry);
    default: return true;
  }
}

bool IsKept(const TQLJournalEntry& Entry) {
  return Entry.Kind != TQLJournalKind::FileKept || FileExists(Entry.Backup);
}

void DropKept(const TQLJournalEntry& Entry) {
  if (Entry.Kind == TQLJournalKind::FileKept) DeleteFileIfExists(Entry.Backup);
}

void KeepForLifetime(const TQLJournalEntry& Entry) {
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  if (!info.OpenKey(kUninstallInfoKey, true)) throw EQLRegistryError("Failed to set data for 'Kept'");
  const std::vector<uint8_t> bytes = EncodeJournalEntry(Entry);
  uint32_t number = 0;
  for (const TKeptValue& kept : KeptList(info)) {
    if (EncodeJournalEntry(kept.Entry) == bytes) return;  // listed already
    char* end = nullptr;
    const unsigned long n = std::strtoul(kept.Name.c_str() + 4, &end, 16);
    if (*end == '\0' && n < 0xFFFFFFFFul) number = std::max(number, uint32_t(n) + 1);
  }
  info.WriteBinaryData(kKeptPrefix + HexText(number, 8), bytes.data(), bytes.size());
  SetupLog("kept for the uninstall to put back: " + Entry.Path);
}

std::vector<std::string> RestoreKeptForLifetime(const std::vector<std::string>& InstallRoots) {
  std::vector<std::string> left;
  std::set<std::string> emptied;
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  if (info.OpenKey(kUninstallInfoKey, false)) {
    std::vector<TKeptValue> kept = KeptList(info);
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
      const bool there = IsKept(it->Entry);
      bool back = false;
      try {
        back = PutBack(it->Entry, false);
      } catch (const EQLRegistryError&) {
      }
      if (!back) {
        SetupLog("error: could not be put back: " + it->Entry.Path + (it->Entry.Backup.empty() ? "" : " (kept as " + it->Entry.Backup + ")"));
        left.push_back(it->Entry.Path);
        continue;
      }
      SetupLog((there ? "put back: " : "nothing kept to put back: ") + it->Entry.Path);
      if (info.OpenKey(kUninstallInfoKey, false)) info.DeleteValue(it->Name);
      if (!it->Entry.Backup.empty()) emptied.insert(ParentFolder(it->Entry.Backup));
    }
  }
  // The folders the kept files were in, then the kept-files folders: each
  // goes when nothing is left in it.
  for (const std::string& root : InstallRoots)
    for (const std::string& folder : emptied)
      if (IsWithinFolder(KeptFilesFolder(root), folder)) RemoveDirectoryA(folder.c_str());
  for (const std::string& root : InstallRoots) RemoveDirectoryA(KeptFilesFolder(root).c_str());
  return left;
}
