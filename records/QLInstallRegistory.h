// TQLInstallRegistory: everything an installation records in the registry
// and everything the uninstall takes back. The uninstall registration
// (key 1), the uninstall information with the item list (key 2), the
// product section (key 3) and the product keys under both roots (key 4).
// One process-wide instance; every operation opens and closes its own
// registry keys. Registry write errors propagate as EQLRegistryError.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLDateTime.h"
#include "records/QLInstallItem.h"
#include "records/QLUninstallOutcome.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLRegistExt.h"

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prismora 1.0 SE";
constexpr char kVendorKey[] = "SOFTWARE\\VELDRANE";
constexpr char kProductKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE";
constexpr char kUninstallInfoKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\UnInstallInfo";
constexpr char kSectionKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\SECTION";
// In the uninstall information: 1 when an installation wrote the sibling
// product's browser MIME key on a machine that did not have it, so the
// uninstall does not write it back.
constexpr char kSiblingMimeCreatedValue[] = "SiblingMimeKeyCreated";

// One "App" value found in a group subkey of the uninstall information: its
// record, or why it cannot be read.
struct TQLStoredItem {
  int32_t Index = 0;
  TQLInstallItem Item;
  std::string Damage;
};

// Every "App" value that exists in the group subkeys, in item order,
// whatever the item count says; from slot From on (groups wholly below it
// are not read).
std::vector<TQLStoredItem> StoredInstallItems(int32_t From = 0);

// The vendor key under Root, removed when nothing is left below it.
void DeleteVendorKeyIfEmpty(HKEY Root);

// The group subkey (below HKEY_LOCAL_MACHINE) that holds item Index.
std::string InstallItemGroupPath(int32_t Index);

class TQLInstallRegistory {
public:
  // The installation folder as the user confirmed it.
  std::string AppPath;

  void SetAppPath(const std::string& Path) { AppPath = Path; }
  std::string GetUninstallerPath() const { return AppPath + "\\UNINST\\UNINST.EXE"; }

  void WriteUninstallKeys(bool Write);
  void WriteAppMain();
  void AddInstallItem(const std::string& Path, int32_t Size, TDateTime Time);
  void WriteSection(bool Write, const std::string& SetupPath);
  void WriteInstallInfo(const TQLRegistExt* FileTypes, int Count, const std::string& SetupPath);
  void DeleteProductKeys();

  // Whether an installation is recorded: the uninstall registration or the
  // uninstall information exists.
  static bool IsInstalled();
  // The installation folders whose records are listed: "AppPath", then
  // "EarlierAppPath1", "EarlierAppPath2", ... (earlier installations into
  // other folders); empty ones are left out.
  static std::vector<std::string> InstallRoots();

  // Deletes every recorded file inside the installation that exists in the
  // group subkeys (asking about changed ones), leaves files in use to the
  // next start of Windows, removes the folders they held when empty, and
  // empties the item list. Damaged records and files outside the
  // installation do not stop the walk; the outcome names them. Safety
  // tells the folders never to remove (its reading costs a few hundred
  // system calls: a caller that needs it again passes its own).
  TQLUninstallOutcome UninstallItems(const TQLFolderSafety& Safety = TQLFolderSafety());
  // The file types, UninstallItems, then the Start-menu folder, every key of
  // the product and the vendor key when it is left empty.
  TQLUninstallOutcome Uninstall(const TQLRegistExt* FileTypes, int Count,
                                const TQLFolderSafety& Safety = TQLFolderSafety());
};

// The process-wide instance.
TQLInstallRegistory& InstallRegistory();
