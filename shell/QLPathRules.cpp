#include "shell/QLPathRules.h"

#include <cctype>
#include <vector>

namespace {

bool SameLetters(char A, char B) {
  return std::toupper(static_cast<unsigned char>(A)) == std::toupper(static_cast<unsigned char>(B));
}

bool IsShare(const std::string& Path) { return Path.size() >= 2 && Path[0] == '\\' && Path[1] == '\\'; }

// The characters no part of a normal path may hold.
bool IsOddPart(const std::string& Part) {
  return Part.empty() || Part.find_first_of(":*?\"<>|") != std::string::npos;
}

std::string WithoutTrailingDotsAndBlanks(const std::string& Part) {
  if (Part == "." || Part == "..") return Part;
  const size_t end = Part.find_last_not_of(". ");
  return end == std::string::npos ? std::string() : Part.substr(0, end + 1);
}

// The root of an absolute path ("C:\" or "\\SERVER\SHARE") and where its
// parts begin; false for anything else.
bool SplitRoot(const std::string& Path, std::string& Root, size_t& Rest) {
  if (Path.size() >= 3 && std::isalpha(static_cast<unsigned char>(Path[0])) && Path[1] == ':' && Path[2] == '\\') {
    Root = Path.substr(0, 3);
    Rest = 3;
    return true;
  }
  if (!IsShare(Path)) return false;
  const size_t server = Path.find('\\', 2);
  if (server == std::string::npos || server == 2) return false;
  const std::string name = Path.substr(2, server - 2);
  if (name == "?" || name == ".") return false;
  size_t share = Path.find('\\', server + 1);
  if (share == std::string::npos) share = Path.size();
  if (share == server + 1 || IsOddPart(Path.substr(server + 1, share - server - 1))) return false;
  Root = Path.substr(0, share);
  Rest = share;
  return true;
}

}  // namespace

std::string NormalisedPath(const std::string& Path) {
  std::string path = Path;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::string root;
  size_t at = 0;
  if (!SplitRoot(path, root, at)) return "";
  std::vector<std::string> parts;
  while (at < path.size()) {
    size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    const std::string written = path.substr(at, end - at);
    at = end + 1;
    if (written.empty()) continue;  // separators in a row
    const std::string part = WithoutTrailingDotsAndBlanks(written);
    if (part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return "";
      parts.pop_back();
      continue;
    }
    if (IsOddPart(part)) return "";
    parts.push_back(part);
  }
  std::string normal = root;
  for (const std::string& part : parts) {
    if (normal.back() != '\\') normal += '\\';
    normal += part;
  }
  return normal;
}

bool IsWithinFolder(const std::string& Folder, const std::string& Path) {
  const std::string folder = NormalisedPath(Folder), path = NormalisedPath(Path);
  return !folder.empty() && !path.empty() && IsSameOrAbove(folder, path);
}

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
