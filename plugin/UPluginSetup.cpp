#include "plugin/UPluginSetup.h"

#include <windows.h>

#include "plugin/QLPluginPaths.h"
#include "shell/QLDllSearch.h"
#include "shell/QLFileUtils.h"
#include "shell/QLRegistry.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

namespace {

struct TBrowserSource {
  HKEY Root;
  const char* Key;
};

const TBrowserSource kBrowserSources[] = {
    {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE"},
    {HKEY_CLASSES_ROOT, "\\NetscapeMarkup\\shell\\open\\command"},
    {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscp6.exe"},
    {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscp.exe"},
    {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mozilla.exe"},
    {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe"},
    {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Opera.exe"},
};

const char kMimeBase[] = "\\Software\\Microsoft\\Internet Explorer\\Plugins\\MIME\\";
const char kExtensionBase[] = "\\Software\\Microsoft\\Internet Explorer\\Plugins\\Extension\\";

// The Internet Explorer plug-in keys, in the order they are removed.
const std::string kExplorerPluginKeys[] = {
    std::string(kMimeBase) + "application/x-lumitrace", std::string(kMimeBase) + "application/x-prismora-se",
    std::string(kExtensionBase) + ".pqr", std::string(kExtensionBase) + ".ltr",
    std::string(kExtensionBase) + ".ltl"};

const char* const kContentTypeKeys[] = {"\\Mime\\Database\\Content Type\\application/x-prismora",
                                        "\\Mime\\Database\\Content Type\\application/x-prismora-se"};

const char kControlFile[] = "axpqeng.dll";
const char kPluginFile[] = "NPPQESE.DLL";
const char kSiblingPluginFile[] = "NPLTPLAY.DLL";
const char* const kJavaClasses[] = {"LumitracePlugin.class", "KORPrismora.class"};

void WriteMimeExtension(TQLRegistry& Registry, const std::string& Key, const char* Extension) {
  if (!Registry.OpenKey(Key, true)) return;
  Registry.WriteString("Extension", Extension);
  Registry.CloseKey();
}

// Calls a library's registration export; true only for S_OK.
bool CallServerExport(HMODULE Library, const char* Name) {
  using TServerProc = HRESULT(WINAPI*)();
  auto proc = reinterpret_cast<TServerProc>(reinterpret_cast<void*>(GetProcAddress(Library, Name)));
  return proc && proc() == S_OK;
}

// The registered server of the control, from the machine-wide classes
// only: the per-user classes that the merged view of HKEY_CLASSES_ROOT adds
// are anyone's to write, and an elevated uninstaller must not load a
// library named there.
std::string RegisteredServerPath() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(std::string("SOFTWARE\\Classes\\CLSID\\") + kRuntimeClsid + "\\InprocServer32"))
    return "";
  try {
    return registry.ReadString("");
  } catch (const EQLRegistryError&) {
    return "";  // a server path that is no text names no server
  }
}

void DeleteFromEveryPluginFolder(const char* First, const char* Second) {
  for (const std::string& folder : BrowserPluginFolders()) {
    DeleteFileA((folder + "\\" + First).c_str());
    DeleteFileA((folder + "\\" + Second).c_str());
  }
}

}  // namespace

std::string PluginFolderOfBrowser(const std::string& Text) {
  return PluginFolderOfBrowserText(Text, DirectoryExists,
                                   [](unsigned char b) { return IsDBCSLeadByte(b) != FALSE; });
}

std::vector<std::string> BrowserPluginFolders() {
  std::vector<std::string> folders;
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  for (const TBrowserSource& source : kBrowserSources) {
    registry.SetRootKey(source.Root);
    if (!registry.OpenKeyReadOnly(source.Key)) continue;
    std::string text;
    try {
      text = registry.ReadString("");
    } catch (const EQLRegistryError&) {
      // a default value that is no text names no browser
    }
    registry.CloseKey();
    std::string folder = PluginFolderOfBrowser(text);
    if (!folder.empty()) folders.push_back(folder);
  }
  return folders;
}

double InternetExplorerVersion() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly("\\Software\\Microsoft\\Internet Explorer")) return 0;
  try {
    return ParseInternetExplorerVersion(registry.ReadString("Version"));
  } catch (const EQLRegistryError&) {
    return 0;  // a "Version" that is no text
  }
}

bool RemoveBrowserMimeKeys() {
  bool result = true;
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  for (const std::string& key : kExplorerPluginKeys) {
    if (!registry.OpenKeyReadOnly(key)) continue;
    registry.CloseKey();
    if (result) result = registry.DeleteKey(key);
  }
  registry.SetRootKey(HKEY_CLASSES_ROOT);
  for (const char* key : kContentTypeKeys) {
    if (!registry.OpenKeyReadOnly(key)) continue;
    registry.CloseKey();
    registry.DeleteKey(key);
  }
  return result;
}

std::vector<TQLBrowserKey> BrowserMimeKeys() {
  std::vector<TQLBrowserKey> keys;
  for (const std::string& key : kExplorerPluginKeys) keys.push_back({"HKLM", key.substr(1), key == kExplorerPluginKeys[0]});
  for (const char* key : kContentTypeKeys) keys.push_back({"HKCR", key + 1, false});
  return keys;
}

bool WriteBrowserMimeKeys() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  WriteMimeExtension(registry, kExplorerPluginKeys[0], ".ltr");
  WriteMimeExtension(registry, kExplorerPluginKeys[1], ".pqr");
  return true;
}

std::optional<std::string> SiblingMimeExtension() {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kExplorerPluginKeys[0])) return std::nullopt;
  try {
    return registry.ReadString("Extension");
  } catch (const EQLRegistryError&) {
    return std::string();
  }
}

void WriteSiblingMimeKey(const std::string& Extension) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kExplorerPluginKeys[0], true) || Extension.empty()) return;
  registry.WriteString("Extension", Extension);
}

void WriteRuntimeFileClsid() {
  TQLRegistry registry(HKEY_CLASSES_ROOT);
  if (!registry.OpenKey("PrismoraSERuntimeFile\\CLSID", true)) return;
  registry.WriteString("", kRuntimeClsid);
}

bool RegisterActiveXControl(const std::string& Folder) {
  TQLLibrary control(LoadLibraryFromPath(FullPathOf(Folder + "\\" + kControlFile)));
  if (!control) return false;
  return CallServerExport(control.Get(), "DllRegisterServer");
}

bool UnregisterActiveXControl(const std::string& Folder) {
  TQLLibrary control(LoadLibraryFromPath(FullPathOf(Folder + "\\" + kControlFile)));
  if (!control) {
    std::string registered = RegisteredServerPath();
    if (!registered.empty()) control.Reset(LoadLibraryFromPath(registered));
  }
  if (!control) return true;  // nothing to unregister
  bool unregistered = CallServerExport(control.Get(), "DllUnregisterServer");
  return FreeLibrary(control.Release()) && unregistered;
}

void InstallNetscapePlugins(const std::string& DestFolder) {
  const std::string source = DestFolder + "\\" + kPluginFile;
  for (const std::string& folder : BrowserPluginFolders()) {
    const std::string target = folder + "\\" + kPluginFile;
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
      MessageDlg("Copy fault: \r\rSource " + source + "\rTarget " + target, mtError, mbOK);
    DeleteFileA((folder + "\\" + kSiblingPluginFile).c_str());
  }
}

void RemoveNetscapePlugins() { DeleteFromEveryPluginFolder(kPluginFile, kSiblingPluginFile); }

void RemoveJavaPluginClasses() { DeleteFromEveryPluginFolder(kJavaClasses[0], kJavaClasses[1]); }

TQLPluginFiles PluginFilesIn(const std::string& Folder) {
  return {Folder + "\\" + kPluginFile,
          {Folder + "\\" + kSiblingPluginFile, Folder + "\\" + kJavaClasses[0], Folder + "\\" + kJavaClasses[1]}};
}
