#include "tests/support/KeyAccess.h"

#include <sddl.h>

bool SetKeyAccess(HKEY Root, const std::string& Key, const char* Descriptor) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(Descriptor, SDDL_REVISION_1, &sd, nullptr)) return false;
  const std::string path = !Key.empty() && Key[0] == '\\' ? Key.substr(1) : Key;
  HKEY key = nullptr;
  bool ok = RegOpenKeyExA(Root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS &&
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
  if (key) RegCloseKey(key);
  LocalFree(sd);
  return ok;
}
