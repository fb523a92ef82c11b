#include "shell/QLRegistry.h"

#include <cstring>

#include "shell/QLSetupLog.h"

namespace {

constexpr size_t kUsualValueSize = 512;  // the item records, paths and numbers all fit

std::string RelativeKey(const std::string& Key) {
  size_t start = Key.find_first_not_of('\\');
  return start == std::string::npos ? std::string() : Key.substr(start);
}

[[noreturn]] void RaiseError(const char* Format, const std::string& Name) {
  throw EQLRegistryError(std::string(Format) + "'" + Name + "'");
}

// The names of Key's direct subkeys, read before any of them is removed.
std::vector<std::string> SubKeyNames(HKEY Key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof(name);
    if (RegEnumKeyExA(Key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

bool DeleteKeyTree(HKEY Parent, const std::string& Name) {
  {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(Parent, Name.c_str(), 0, KEY_READ | KEY_WRITE, &raw) != ERROR_SUCCESS) return false;
    TQLRegKey key(raw);
    for (const std::string& sub : SubKeyNames(key.Get())) DeleteKeyTree(key.Get(), sub);
  }
  return RegDeleteKeyA(Parent, Name.c_str()) == ERROR_SUCCESS;
}

std::string RootName(HKEY Root) {
  if (Root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (Root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (Root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (Root == HKEY_USERS) return "HKEY_USERS";
  return "HKEY";
}

}  // namespace

TQLRegistry::TQLRegistry(HKEY Root) : FRoot(Root) {}

void TQLRegistry::SetRootKey(HKEY Root) {
  CloseKey();
  FRoot = Root;
}

bool TQLRegistry::OpenWithAccess(const std::string& Key, bool CanCreate, REGSAM Access) {
  CloseKey();
  std::string path = RelativeKey(Key);
  HKEY raw = nullptr;
  LONG status = CanCreate ? RegCreateKeyExA(FRoot, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr,
                                            &raw, nullptr)
                          : RegOpenKeyExA(FRoot, path.c_str(), 0, Access, &raw);
  if (status != ERROR_SUCCESS) return false;
  FKey.Reset(raw);
  FKeyPath = path;
  return true;
}

bool TQLRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  return OpenWithAccess(Key, CanCreate, KEY_ALL_ACCESS);
}

bool TQLRegistry::OpenKeyReadOnly(const std::string& Key) { return OpenWithAccess(Key, false, KEY_READ); }

void TQLRegistry::CloseKey() { FKey.Reset(); }

bool TQLRegistry::KeyExists(const std::string& Key) const {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(FRoot, RelativeKey(Key).c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  TQLRegKey key(raw);
  return true;
}

bool TQLRegistry::DeleteKey(const std::string& Key) {
  std::string path = RelativeKey(Key);
  if (path.empty()) return false;
  const bool deleted = DeleteKeyTree(FRoot, path);
  if (deleted) SetupLog("registry key removed: " + RootName(FRoot) + "\\" + path);
  return deleted;
}

std::vector<std::string> TQLRegistry::GetKeyNames() const {
  return FKey ? SubKeyNames(FKey.Get()) : std::vector<std::string>();
}

std::vector<std::string> TQLRegistry::GetValueNames() const {
  std::vector<std::string> names;
  std::vector<char> name(16384);
  for (DWORD index = 0; FKey; ++index) {
    DWORD length = DWORD(name.size());
    if (RegEnumValueA(FKey.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name.data(), length);
  }
  return names;
}

std::vector<TQLRegistryValue> TQLRegistry::ReadAllValues() const {
  std::vector<TQLRegistryValue> values;
  DWORD count = 0, longestName = 0, largestData = 0;
  if (!FKey || RegQueryInfoKeyA(FKey.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                                &largestData, nullptr, nullptr) != ERROR_SUCCESS)
    return values;
  std::vector<char> name(longestName + 1);
  std::vector<uint8_t> data(largestData + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = DWORD(name.size()), size = DWORD(data.size()), type = 0;
    const LONG status = RegEnumValueA(FKey.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) {  // the key grew meanwhile: this value again, with room for it
      name.resize(name.size() * 2 + 256);
      data.resize(data.size() * 2 + size);
      --index;
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    values.push_back({std::string(name.data(), nameLength), type, std::vector<uint8_t>(data.begin(), data.begin() + size)});
  }
  return values;
}

bool TQLRegistry::QueryValue(const std::string& Name, DWORD& Type, std::vector<uint8_t>* Data) const {
  DWORD size = 0;
  if (!Data) return RegQueryValueExA(FKey.Get(), Name.c_str(), nullptr, &Type, nullptr, &size) == ERROR_SUCCESS;
  // One call for the usual small value; a larger one (or one that grew
  // meanwhile) is asked for again with the size the system gave.
  Data->assign(kUsualValueSize, 0);
  for (int attempt = 0; attempt < 8; ++attempt) {
    size = DWORD(Data->size());
    const LONG status = RegQueryValueExA(FKey.Get(), Name.c_str(), nullptr, &Type, Data->data(), &size);
    if (status == ERROR_MORE_DATA) {
      Data->assign(size > Data->size() ? size : 2 * Data->size(), 0);
      continue;
    }
    if (status != ERROR_SUCCESS) return false;
    Data->resize(size);
    return true;
  }
  return false;
}

bool TQLRegistry::ValueExists(const std::string& Name) const {
  DWORD type = 0;
  return FKey && QueryValue(Name, type, nullptr);
}

int TQLRegistry::GetDataSize(const std::string& Name) const {
  DWORD size = 0;
  if (!FKey || RegQueryValueExA(FKey.Get(), Name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return -1;
  return static_cast<int>(size);
}

bool TQLRegistry::DeleteValue(const std::string& Name) {
  const bool deleted = FKey && RegDeleteValueA(FKey.Get(), Name.c_str()) == ERROR_SUCCESS;
  if (deleted) SetupLog("registry value removed: " + RootName(FRoot) + "\\" + FKeyPath + " [" + Name + "]");
  return deleted;
}

void TQLRegistry::WriteData(const std::string& Name, DWORD Type, const void* Data, DWORD Size) {
  if (!FKey || RegSetValueExA(FKey.Get(), Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size) != ERROR_SUCCESS)
    RaiseError("Failed to set data for ", Name);
  if (!SetupLogOpen()) return;
  std::string value;
  if (Type == REG_SZ) value = " = \"" + std::string(static_cast<const char*>(Data), strnlen(static_cast<const char*>(Data), Size)) + "\"";
  if (Type == REG_DWORD && Size == sizeof(int32_t)) value = " = " + std::to_string(*static_cast<const int32_t*>(Data));
  if (Type == REG_BINARY) value = " = " + std::to_string(Size) + " bytes";
  SetupLog("registry value written: " + RootName(FRoot) + "\\" + FKeyPath + " [" + Name + "]" + value);
}

void TQLRegistry::WriteString(const std::string& Name, const std::string& Value) {
  WriteData(Name, REG_SZ, Value.c_str(), static_cast<DWORD>(Value.size() + 1));
}

std::string TQLRegistry::ReadString(const std::string& Name) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!FKey || !QueryValue(Name, type, &data)) return std::string();
  if (type != REG_SZ && type != REG_EXPAND_SZ) RaiseError("Invalid data type for ", Name);
  std::string text(data.begin(), data.end());
  return text.substr(0, text.find('\0'));
}

void TQLRegistry::WriteInteger(const std::string& Name, int32_t Value) {
  WriteData(Name, REG_DWORD, &Value, sizeof(Value));
}

std::optional<int32_t> TQLRegistry::ReadInteger(const std::string& Name) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!FKey || !QueryValue(Name, type, &data)) return std::nullopt;
  if (type != REG_DWORD || data.size() != sizeof(int32_t)) RaiseError("Invalid data type for ", Name);
  int32_t value = 0;
  memcpy(&value, data.data(), sizeof(value));
  return value;
}

void TQLRegistry::WriteBinaryData(const std::string& Name, const void* Data, size_t Size) {
  WriteData(Name, REG_BINARY, Data, static_cast<DWORD>(Size));
}

std::vector<uint8_t> TQLRegistry::ReadBinaryData(const std::string& Name) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!FKey || !QueryValue(Name, type, &data)) return {};
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD) RaiseError("Invalid data type for ", Name);
  return data;
}

bool TQLRegistry::ReadValue(const std::string& Name, uint32_t& Type, std::vector<uint8_t>& Data) const {
  DWORD type = 0;
  if (!FKey || !QueryValue(Name, type, &Data)) return false;
  Type = type;
  return true;
}

void TQLRegistry::WriteValue(const std::string& Name, uint32_t Type, const std::vector<uint8_t>& Data) {
  WriteData(Name, Type, Data.data(), static_cast<DWORD>(Data.size()));
}
