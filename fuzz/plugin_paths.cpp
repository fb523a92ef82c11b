// Fuzz target: the plug-in folder path rules and the Internet Explorer
// version text, as read from registry values other programs write. The first
// byte picks which folders exist (by the length of their path) and which
// bytes lead double-byte characters; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plugin/QLPluginPaths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const uint8_t key = Data[0];
  std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  auto exists = [&](const std::string& Path) { return (Path.size() ^ key) % 3 != 0; };
  auto lead = [&](unsigned char Byte) { return key & 0x80 && Byte >= 0x81 && Byte <= 0x9F; };
  std::string folder = PluginFolderOfBrowserText(text, exists, lead);
  const std::string suffix = "\\PLUGINS";
  if (!folder.empty() && (folder.size() <= suffix.size() ||
                          folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) != 0))
    std::abort();
  ParseInternetExplorerVersion(text);
  return 0;
}
