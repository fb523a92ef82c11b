#include "shell/QLFileUtils.h"

#include <windows.h>

namespace {

std::string WithoutTrailingBackslash(std::string Path) {
  while (Path.size() > 1 && (Path.back() == '\\' || Path.back() == '/') && Path[Path.size() - 2] != ':')
    Path.pop_back();
  return Path;
}

}  // namespace

bool DirectoryExists(const std::string& Path) {
  if (Path.empty()) return false;
  DWORD attributes = GetFileAttributesA(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& Path) {
  if (Path.empty()) return false;
  DWORD attributes = GetFileAttributesA(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ForceDirectories(const std::string& Folder) {
  std::string path = WithoutTrailingBackslash(Folder);
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  size_t cut = path.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    std::string parent = path.substr(0, cut);
    if (parent.back() == ':') parent += '\\';
    if (!ForceDirectories(parent)) return false;
  }
  return CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}

bool DeleteFileIfExists(const std::string& Path) {
  if (!FileExists(Path)) return false;
  SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  return DeleteFileA(Path.c_str()) != FALSE;
}
