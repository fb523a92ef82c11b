// Browser plug-in integration: discovery of the browsers' plug-in folders
// and the Internet Explorer version, and the registration and removal of the
// runtime as an ActiveX control, its Internet Explorer MIME keys and the
// Netscape-style plug-in DLL. Keeps no state; every registry key, library
// and folder list is released before an operation returns.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The control's class identifier.
constexpr char kRuntimeClsid[] = "{5E2A7C10-3B94-4F61-9D08-A1C6E3B7F245}";

// Plug-in folders of the browsers found, in source order, duplicates kept.
std::vector<std::string> BrowserPluginFolders();
// The PLUGINS folder belonging to a browser's path or open command, or "".
std::string PluginFolderOfBrowser(const std::string& Text);
// The installed Internet Explorer's version, 0 when absent or unreadable.
double InternetExplorerVersion();

// Deletes the Internet Explorer plug-in keys (stopping at the first failed
// deletion) and the two MIME database content types. True when every
// attempted plug-in key deletion succeeded.
bool RemoveBrowserMimeKeys();
bool WriteBrowserMimeKeys();
// The keys those two remove and write: "HKLM" or "HKCR", the key, and
// whether it is the sibling product's MIME key (which the uninstall writes
// back by its own rule).
struct TQLBrowserKey {
  std::string Root;
  std::string Key;
  bool Sibling = false;
};
std::vector<TQLBrowserKey> BrowserMimeKeys();
// The sibling product's Internet Explorer MIME key as it is now: nothing
// when it does not exist, else its "Extension" text ("" when absent).
std::optional<std::string> SiblingMimeExtension();
// Writes the sibling's MIME key back with that "Extension" (the key alone
// when it is "").
void WriteSiblingMimeKey(const std::string& Extension);
void WriteRuntimeFileClsid();
// Self-registration of Folder\axpqeng.dll; true only for S_OK.
bool RegisterActiveXControl(const std::string& Folder);
// Self-unregistration of Folder\axpqeng.dll, or of the server registered in
// the machine-wide classes when that file is gone; true also when no control
// is found at all.
bool UnregisterActiveXControl(const std::string& Folder);
// Copies DestFolder\NPPQESE.DLL into every plug-in folder, telling the user
// about each copy that fails, and deletes the sibling's plug-in there.
void InstallNetscapePlugins(const std::string& DestFolder);
// What the plug-in installation does in Folder: the file it writes
// (Folder\NPPQESE.DLL) and the files it deletes (the sibling's plug-in and
// the two Java classes).
struct TQLPluginFiles {
  std::string Written;
  std::vector<std::string> Deleted;
};
TQLPluginFiles PluginFilesIn(const std::string& Folder);
void RemoveNetscapePlugins();
void RemoveJavaPluginClasses();
