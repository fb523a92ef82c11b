// Registry access for every unit that touches the registry: one open key at a
// time below a switchable root, typed reads and writes, and key removal with
// all subkeys. Owns the open key and closes it on every path; raises
// EQLRegistryError for a failed write and for a value of the wrong type.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/QLError.h"
#include "shell/QLWinHandles.h"

// "Failed to set data for '<value>'" or "Invalid data type for '<value>'".
class EQLRegistryError : public EQLError {
 public:
  using EQLError::EQLError;
};

// One value of a key with its type and data, as the enumeration gives it.
struct TQLRegistryValue {
  std::string Name;
  DWORD Type = 0;
  std::vector<uint8_t> Data;
};

// Key paths are always taken from the root key; a leading "\" is allowed and
// ignored. An empty value name is the key's default value.
class TQLRegistry {
 public:
  explicit TQLRegistry(HKEY Root);

  HKEY RootKey() const { return FRoot; }
  // Closes the open key and makes Root the base of later key paths.
  void SetRootKey(HKEY Root);

  // Opens Key for full access (creating it and missing parents when
  // CanCreate); the key opened before is closed first. False when it fails.
  bool OpenKey(const std::string& Key, bool CanCreate);
  // Opens Key for reading only; never creates it.
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();
  bool HasOpenKey() const { return static_cast<bool>(FKey); }

  // Whether Key exists below the root (the open key stays open).
  bool KeyExists(const std::string& Key) const;
  // Removes Key with all its subkeys, deepest first, and their values.
  bool DeleteKey(const std::string& Key);

  // The names of the open key's direct subkeys and of its values; empty
  // when no key is open.
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;
  // Every value of the open key with its type and data, in one pass over
  // the key (one system call per value); empty when no key is open.
  std::vector<TQLRegistryValue> ReadAllValues() const;

  // The values of the open key.
  bool ValueExists(const std::string& Name) const;
  // Size in bytes of the value's data; -1 when there is no such value.
  int GetDataSize(const std::string& Name) const;
  bool DeleteValue(const std::string& Name);

  // REG_SZ, ANSI, the terminating zero counted in the stored length.
  void WriteString(const std::string& Name, const std::string& Value);
  // REG_SZ or REG_EXPAND_SZ up to the first zero; empty when missing.
  std::string ReadString(const std::string& Name) const;
  void WriteInteger(const std::string& Name, int32_t Value);
  // REG_DWORD; nothing when missing.
  std::optional<int32_t> ReadInteger(const std::string& Name) const;
  void WriteBinaryData(const std::string& Name, const void* Data, size_t Size);
  // Any type but REG_SZ, REG_EXPAND_SZ and REG_DWORD; empty when missing.
  std::vector<uint8_t> ReadBinaryData(const std::string& Name) const;
  // Any value as it is stored: its type and bytes; false when there is no
  // such value (or no open key).
  bool ReadValue(const std::string& Name, uint32_t& Type, std::vector<uint8_t>& Data) const;
  // Writes the value with exactly that type and those bytes.
  void WriteValue(const std::string& Name, uint32_t Type, const std::vector<uint8_t>& Data);

 private:
  bool OpenWithAccess(const std::string& Key, bool CanCreate, REGSAM Access);
  void WriteData(const std::string& Name, DWORD Type, const void* Data, DWORD Size);
  // Type and bytes of a value; false when it cannot be read.
  bool QueryValue(const std::string& Name, DWORD& Type, std::vector<uint8_t>* Data) const;

  HKEY FRoot;
  TQLRegKey FKey;
  std::string FKeyPath;  // the open key, for the log
};
