// TQLInstallRegistory: everything an installation records in the registry
// and everything the uninstall takes back. The uninstall registration
// (key 1), the uninstall information with the item list (key 2), the
// product section (key 3) and the product keys under both roots (key 4).
// One process-wide instance; every operation opens and closes its own
// registry keys. Registry write errors propagate as EQLRegistryError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLDateTime.h"
#include "shell/QLRegistExt.h"

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prismora 1.0 SE";
constexpr char kProductKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE";
constexpr char kUninstallInfoKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\UnInstallInfo";
constexpr char kSectionKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\SECTION";

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

  // Deletes the recorded files (asking about changed ones), the folders of
  // the installation folder left empty, and the item list. Damaged records
  // are skipped and reported once.
  void UninstallItems();
  // UninstallItems, then the Start-menu folder, the file types and every key.
  void Uninstall(const TQLRegistExt* FileTypes, int Count);

  // Appends Folder (absolute) and every folder below it, parents first;
  // hidden and system folders are not entered.
  static void ListFolderTree(const std::string& Folder, std::vector<std::string>& List);
};

// The process-wide instance.
TQLInstallRegistory& InstallRegistory();
