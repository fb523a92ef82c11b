// Which folders the uninstall may remove, or leave to be removed at the next
// start of Windows: never a drive or share root, the Windows, system or
// program-files folder, a profile or any other folder the shell knows by
// name, nor a folder above one of them. The protected folders are asked of
// the system once, when a TQLFolderSafety is made, each with its role (the
// installation's folder check refuses them by role); the path rules
// themselves are the portable QLPathRules.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/QLPathRules.h"

// Path in the form two paths are compared in: absolute, long names, no
// trailing separator, upper case in the system's code page.
std::string ComparablePathOf(const std::string& Path);

// Whether A and B name the same file or folder (by the comparable form).
bool SamePath(const std::string& A, const std::string& B);

// The long forms of many absolute paths that share folders, as
// GetLongPathName gives them (a path with a name that is not there stays as
// written), with each folder on the way looked up once. A name found is
// remembered (a rename under it is not seen); one not there is looked for
// again the next time, since the run may make it.
class TQLLongPaths {
public:
  std::string Of(const std::string& FullPath);

private:
  std::optional<std::string> Found(const std::string& Path);
  std::map<std::string, std::string> FFound;  // path found -> its long form
};

// The comparable form of the many files an installation records, which lie
// in a few dozen folders: each folder's long form is asked of the file
// system once. Of takes the file's own name as written (upper-cased), as
// the records hold it: the name the archive gave the file. OfFolder gives
// what ComparablePathOf gives.
class TQLComparablePaths {
public:
  std::string Of(const std::string& Path);
  std::string OfFolder(const std::string& Path);

private:
  TQLLongPaths FLongPaths;
  std::map<std::string, std::string> FFolders;  // full folder path -> comparable form
};

class TQLFolderSafety {
public:
  TQLFolderSafety();

  // May the uninstall remove or queue the folder Path? A caller with many
  // folders passes its own Forms, which then looks at each folder once.
  bool MayRemove(const std::string& Path) const;
  bool MayRemove(const std::string& Path, TQLComparablePaths& Forms) const;

  // The protected folders, in the comparable form, with their roles.
  const std::vector<TQLProtectedFolder>& ProtectedFolders() const { return FProtected; }

private:
  void Protect(const std::string& Path, TQLFolderRole Role);
  std::vector<TQLProtectedFolder> FProtected;
  // While the list is made: the places' comparable forms, which share most
  // of their folders.
  TQLComparablePaths FForms;
};
