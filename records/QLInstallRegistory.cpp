#include "records/QLInstallRegistory.h"

#include <windows.h>

#include "records/QLInstallItem.h"
#include "shell/QLFileUtils.h"
#include "shell/QLRegistry.h"
#include "shell/QLShortCut.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

namespace {

constexpr int32_t kVersionMinor = 327680;  // 0x50000

std::string GroupKeyPath(int32_t Index) {
  return std::string(kUninstallInfoKey) + "\\" + InstallItemGroupKey(Index);
}

std::string DateSeparator() {
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator) <= 1) return "/";
  return separator;
}

// The item count of key 2; 0 when absent.
int32_t ReadItemCount(TQLRegistry& Key) { return Key.ReadInteger("InstallItem").value_or(0); }

// The number of items actually stored, found by walking them in order; for
// a count that cannot be read.
int32_t CountStoredItems() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  int32_t count = 0;
  while (registry.OpenKeyReadOnly(GroupKeyPath(count)) && registry.ValueExists(InstallItemValueName(count))) ++count;
  return count;
}

// Reads item Index into Item; false when its group key cannot be opened.
// A record stored with the wrong type raises EQLRegistryError.
bool ReadItem(TQLRegistry& Registry, int32_t Index, TQLInstallItem& Item) {
  if (!Registry.OpenKey(GroupKeyPath(Index), true)) return false;
  Item = DecodeInstallItem(Registry.ReadBinaryData(InstallItemValueName(Index)));
  Registry.CloseKey();
  return true;
}

// Deletes the recorded files, asking first about any the user changed.
class TItemRemoval {
public:
  void Remove(const TQLInstallItem& Item) {
    if (!FileExists(Item.Path)) return;
    const TDateTime time = FileDateTimeOf(Item.Path);
    const int32_t size = FileSizeOf(Item.Path);
    if (size < 0) return;
    if (!FDeleteAll && (time != Item.Time || size != Item.Size) && !Confirm(Item, time, size)) return;
    DeleteFileA(Item.Path.c_str());  // a file that cannot go stays
  }

private:
  bool Confirm(const TQLInstallItem& Item, TDateTime Time, int32_t Size) {
    switch (MessageDlg(ChangedFileQuestion(Item, Time, Size, FSeparator), mtWarning, mbYes | mbNo | mbAll)) {
      case mrAll: FDeleteAll = true; return true;
      case mrYes: return true;
      default: return false;
    }
  }
  bool FDeleteAll = false;
  const std::string FSeparator = DateSeparator();
};

// A drive or share root is never swept for empty folders: only folders
// below it can belong to the installation.
bool IsRoot(const std::string& Folder) {
  std::string path = FullPathOf(Folder);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.rfind("\\\\", 0) == 0) return path.find('\\', path.find('\\', 2) + 1) == std::string::npos;
  return path.find('\\') == std::string::npos;
}

void RemoveEmptyFolders(const std::string& AppPath) {
  if (AppPath.empty() || IsRoot(AppPath)) return;
  std::vector<std::string> folders;
  TQLInstallRegistory::ListFolderTree(AppPath, folders);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryA(it->c_str());
}

void ClearItemList(int32_t Count) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  for (int32_t i = 0; i < Count; ++i)
    if (registry.OpenKey(GroupKeyPath(i), false)) registry.DeleteValue(InstallItemValueName(i));
  if (registry.OpenKey(kUninstallInfoKey, false)) registry.DeleteValue("InstallItem");
}

}  // namespace

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
  // A file left unrecorded could never be removed: a key that cannot be
  // opened is a failed write.
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kUninstallInfoKey, true)) throw EQLRegistryError("Failed to set data for 'InstallItem'");
  const int32_t count = ReadItemCount(registry);
  registry.CloseKey();
  if (!registry.OpenKey(GroupKeyPath(count), true))
    throw EQLRegistryError("Failed to set data for '" + InstallItemValueName(count) + "'");
  const std::vector<uint8_t> record = EncodeInstallItem({Time, Size, Path});
  registry.WriteBinaryData(InstallItemValueName(count), record.data(), record.size());
  registry.CloseKey();
  // The record is complete before the count admits it.
  if (registry.OpenKey(kUninstallInfoKey, true)) registry.WriteInteger("InstallItem", count + 1);
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

void TQLInstallRegistory::ListFolderTree(const std::string& Folder, std::vector<std::string>& List) {
  if (Folder.empty()) return;
  std::string folder = FullPathOf(Folder);
  List.push_back(folder);
  if (folder.back() != '\\') folder += '\\';
  WIN32_FIND_DATAA entry;
  TQLFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &entry));
  if (!find) return;
  do {
    const std::string name = entry.cFileName;
    const DWORD hiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (entry.dwFileAttributes & hiddenOrSystem)) continue;
    if (name == "." || name == "..") continue;
    ListFolderTree(folder + name, List);
  } while (FindNextFileA(find.Get(), &entry));
}

void TQLInstallRegistory::UninstallItems() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kUninstallInfoKey, false)) return;
  std::string damaged;  // the first damaged value, told to the user once
  int32_t count = 0;
  try {
    count = ReadItemCount(registry);
  } catch (const EQLRegistryError& e) {
    damaged = e.what();
    count = CountStoredItems();
  }
  try {
    AppPath = registry.ReadString("AppPath");
  } catch (const EQLRegistryError& e) {
    if (damaged.empty()) damaged = e.what();
    AppPath.clear();
  }
  registry.CloseKey();
  TItemRemoval removal;
  for (int32_t i = 0; i < count; ++i) {
    try {
      TQLInstallItem item;
      if (ReadItem(registry, i, item)) removal.Remove(item);
    } catch (const EQLRegistryError& e) {
      if (damaged.empty()) damaged = e.what();
    }
  }
  RemoveEmptyFolders(AppPath);
  ClearItemList(count);
  if (!damaged.empty()) MessageDlg(damaged, mtError, mbOK);
}

void TQLInstallRegistory::Uninstall(const TQLRegistExt* FileTypes, int Count) {
  UninstallItems();
  DeleteProgramsFolder("Prismora SE");
  RegisterFileTypes(FileTypes, Count, AppPath, false);
  WriteSection(false, "");
  WriteUninstallKeys(false);
  DeleteProductKeys();
}
