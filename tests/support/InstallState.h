// Test support (Windows): what an installation left on the machine, read
// back for checks: registry strings, keys, the recorded items and the
// system's pending file operations.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

extern const char kTestUninstallKey[];  // the uninstall registration
extern const char kTestProductKey[];    // the maker's product key
extern const char kTestInfoKey[];       // the uninstall information with the items

// The string value, or "" when the key or value is missing.
std::string ReadRegistryString(HKEY Root, const std::string& Key, const std::string& Name);
bool RegistryKeyExists(HKEY Root, const std::string& Key);
// The item count as recorded (0 when missing) and the recorded paths.
int32_t RecordedItems();
std::vector<std::string> RecordedPaths();
// The pending file operations as one text, each string followed by "|".
std::string PendingOperations();
// Forgets every pending file operation (tests holding the pending-operations
// lock start clean).
void ClearPendingOperations();
