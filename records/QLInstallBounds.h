// The bounds of an installation for the uninstall: its own folders (the
// installation folder and the earlier ones it keeps) in their normal, long
// form. Decides whether a recorded file or a folder lies inside one of them,
// reached through no link or junction, and gives the path to remove it by.
// Asks the file system once per folder and keeps the answers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/QLFolderSafety.h"

class TQLInstallBounds {
public:
  explicit TQLInstallBounds(const std::vector<std::string>& Roots);

  // The normal path of a recorded file inside the installation (its folder
  // in long form, its name as recorded); empty when it lies elsewhere, has no
  // normal form, or a folder on its way down from the installation folder is
  // a link or junction.
  std::string FileInside(const std::string& Path);
  // The same for a folder; an installation folder itself is inside.
  std::string FolderInside(const std::string& Path);

private:
  std::string CheckedFolder(const std::string& Normal);
  std::string LongFormOf(const std::string& Normal);
  bool IsLink(const std::string& Folder);

  std::vector<std::string> FRoots;              // normal, long, upper case
  std::map<std::string, std::string> FFolders;  // normal folder -> its answer
  std::map<std::string, bool> FLinks;           // folder -> whether it is a link or junction
  TQLLongPaths FLongPaths;
};
