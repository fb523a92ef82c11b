#include "tests/support/InstallState.h"

#include "records/QLInstallItem.h"
#include "shell/QLRegistry.h"

const char kTestUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prismora 1.0 SE";
const char kTestProductKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE";
const char kTestInfoKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\UnInstallInfo";

std::string ReadRegistryString(HKEY Root, const std::string& Key, const std::string& Name) {
  TQLRegistry r(Root);
  return r.OpenKeyReadOnly(Key) ? r.ReadString(Name) : "";
}

bool RegistryKeyExists(HKEY Root, const std::string& Key) { return TQLRegistry(Root).KeyExists(Key); }

int32_t RecordedItems() {
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  return info.OpenKeyReadOnly(kTestInfoKey) ? info.ReadInteger("InstallItem").value_or(0) : 0;
}

std::vector<std::string> RecordedPaths() {
  std::vector<std::string> paths;
  for (int32_t i = 0; i < RecordedItems(); ++i) {
    TQLRegistry group(HKEY_LOCAL_MACHINE);
    if (group.OpenKeyReadOnly(std::string(kTestInfoKey) + "\\" + InstallItemGroupKey(i)))
      paths.push_back(DecodeInstallItem(group.ReadBinaryData(InstallItemValueName(i))).Path);
  }
  return paths;
}

std::string PendingOperations() {
  TQLRegistry r(HKEY_LOCAL_MACHINE);
  if (!r.OpenKeyReadOnly("SYSTEM\\CurrentControlSet\\Control\\Session Manager")) return "";
  std::vector<uint8_t> data = r.ReadBinaryData("PendingFileRenameOperations");
  std::string text(data.begin(), data.end());
  for (char& c : text)
    if (c == '\0') c = '|';
  return text;
}

void ClearPendingOperations() {
  TQLRegistry r(HKEY_LOCAL_MACHINE);
  if (r.OpenKey("SYSTEM\\CurrentControlSet\\Control\\Session Manager", false))
    r.DeleteValue("PendingFileRenameOperations");
}
