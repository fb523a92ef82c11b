// Pure rules on absolute Windows paths ("C:\A\B", "\\SERVER\SHARE\A"): their
// trailing separators, drive and share roots, parents, and whether one
// folder is the same as or above another. Letters compare without regard to
// ASCII case; callers that need the code page's case rules fold both sides
// first. Also the roles of the folders the system protects. Portable;
// nothing here touches the disk.
#pragma once

#include <string>
#include <vector>

// Path without its trailing separators ("C:\" becomes "C:").
std::string WithoutTrailingSeparators(const std::string& Path);

// A drive root ("C:", "C:\") or a share root ("\\SERVER\SHARE", with or
// without the separator, also "\\SERVER" alone); an empty path counts too.
bool IsDriveOrShareRoot(const std::string& Path);

// Whether Upper names Lower itself or a folder above it.
bool IsSameOrAbove(const std::string& Upper, const std::string& Lower);

// The folder holding Path; empty when Path is a root.
std::string ParentFolder(const std::string& Path);

// Path in the one form Windows itself gives it: "/" read as "\", no empty,
// "." or ".." parts, no dots or blanks at the end of a part. Empty when Path
// is not absolute (a drive and "\", or a share), climbs above its root, is
// a device path ("\\?\", "\\.\"), or has a part the file system would
// read otherwise (a stream ":", a wildcard, a name of dots or blanks only).
std::string NormalisedPath(const std::string& Path);

// Whether Path, normalised, is Folder itself or lies below it (Folder
// normalised too); false when either has no normal form.
bool IsWithinFolder(const std::string& Folder, const std::string& Path);

// Folder and every folder above it up to and including Root, Folder first;
// empty when Folder is neither Root nor below it.
std::vector<std::string> FoldersUpTo(const std::string& Folder, const std::string& Root);

// What a folder the system protects is to it: the Windows and system
// folders (with everything below them), a program-files folder, a user's
// profile, or another folder the shell knows by name.
enum class TQLFolderRole { SystemTree, ProgramFiles, Profile, ShellFolder };

struct TQLProtectedFolder {
  std::string Path;
  TQLFolderRole Role = TQLFolderRole::ShellFolder;
};
