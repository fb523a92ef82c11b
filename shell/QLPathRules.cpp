#include "shell/QLPathRules.h"

#include <cctype>

namespace {

bool SameLetters(char A, char B) {
  return std::toupper(static_cast<unsigned char>(A)) == std::toupper(static_cast<unsigned char>(B));
}

bool IsShare(const std::string& Path) { return Path.size() >= 2 && Path[0] == '\\' && Path[1] == '\\'; }

}  // namespace

std::string WithoutTrailingSeparators(const std::string& Path) {
  size_t end = Path.find_last_not_of('\\');
  return end == std::string::npos ? std::string() : Path.substr(0, end + 1);
}

bool IsDriveOrShareRoot(const std::string& Path) {
  const std::string path = WithoutTrailingSeparators(Path);
  if (path.empty()) return true;
  if (IsShare(Path)) {
    const size_t server = Path.find('\\', 2);
    return server == std::string::npos || path.find('\\', server + 1) == std::string::npos;
  }
  return path.size() == 2 && path[1] == ':';
}

bool IsSameOrAbove(const std::string& Upper, const std::string& Lower) {
  const std::string upper = WithoutTrailingSeparators(Upper), lower = WithoutTrailingSeparators(Lower);
  if (upper.empty() || lower.size() < upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i)
    if (!SameLetters(upper[i], lower[i])) return false;
  return lower.size() == upper.size() || lower[upper.size()] == '\\';
}

std::string ParentFolder(const std::string& Path) {
  const std::string path = WithoutTrailingSeparators(Path);
  if (IsDriveOrShareRoot(path)) return "";
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return "";
  std::string parent = path.substr(0, slash);
  return parent.size() == 2 && parent[1] == ':' ? parent + "\\" : parent;
}

std::vector<std::string> FoldersUpTo(const std::string& Folder, const std::string& Root) {
  std::vector<std::string> folders;
  if (!IsSameOrAbove(Root, Folder)) return folders;
  for (std::string f = WithoutTrailingSeparators(Folder); IsSameOrAbove(Root, f); f = ParentFolder(f)) {
    folders.push_back(f);
    if (IsSameOrAbove(f, Root)) break;
  }
  return folders;
}
