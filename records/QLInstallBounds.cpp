#include "records/QLInstallBounds.h"

#include <windows.h>

#include "shell/QLPathRules.h"

namespace {

std::string UpperCase(std::string Text) {
  if (!Text.empty()) CharUpperBuffA(&Text[0], DWORD(Text.size()));
  return Text;
}

}  // namespace

// The long form of a normal path that exists; the path itself otherwise
// (nothing there to remove, nothing to be misled by).
std::string TQLInstallBounds::LongFormOf(const std::string& Normal) {
  const std::string longForm = NormalisedPath(FLongPaths.Of(Normal));
  return longForm.empty() ? Normal : longForm;
}

TQLInstallBounds::TQLInstallBounds(const std::vector<std::string>& Roots) {
  for (const std::string& root : Roots) {
    const std::string normal = NormalisedPath(root);
    if (!normal.empty() && !IsDriveOrShareRoot(normal)) FRoots.push_back(UpperCase(LongFormOf(normal)));
  }
}

bool TQLInstallBounds::IsLink(const std::string& Folder) {
  auto found = FLinks.find(Folder);
  if (found != FLinks.end()) return found->second;
  const DWORD attributes = GetFileAttributesA(Folder.c_str());
  const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  FLinks.emplace(Folder, link);
  return link;
}

std::string TQLInstallBounds::CheckedFolder(const std::string& Normal) {
  const std::string longForm = LongFormOf(Normal), comparable = UpperCase(longForm);
  for (const std::string& root : FRoots) {
    if (!IsSameOrAbove(root, comparable)) continue;
    // Every folder from this one up to the installation folder is a real
    // folder: a link or junction on the way leads somewhere else.
    for (std::string f = comparable; IsSameOrAbove(root, f); f = ParentFolder(f))
      if (IsLink(f)) return "";
    return longForm;
  }
  return "";
}

std::string TQLInstallBounds::FolderInside(const std::string& Path) {
  const std::string normal = NormalisedPath(Path);
  if (normal.empty()) return "";
  auto found = FFolders.find(normal);
  if (found == FFolders.end()) found = FFolders.emplace(normal, CheckedFolder(normal)).first;
  return found->second;
}

std::string TQLInstallBounds::FileInside(const std::string& Path) {
  const std::string normal = NormalisedPath(Path);
  const std::string folder = ParentFolder(normal);
  if (folder.empty()) return "";
  const std::string inside = FolderInside(folder);
  if (inside.empty()) return "";
  return inside + (inside.back() == '\\' ? "" : "\\") + normal.substr(normal.rfind('\\') + 1);
}
