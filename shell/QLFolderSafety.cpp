#include "shell/QLFolderSafety.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>

#include "shell/QLFileUtils.h"
#include "shell/QLPathRules.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr int kLastCsidl = 0x3F;  // the shell's folder numbers run from 0 to here

std::string LongPathOf(const std::string& Path) {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetLongPathNameA(Path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : Path;
}

using TGetFolder = UINT(WINAPI*)(LPSTR, UINT);

// A folder named by a kernel function (the Windows and system folders); the
// function is looked up so that a system without it simply names nothing.
std::string KernelFolder(const char* Function) {
  auto get = reinterpret_cast<TGetFolder>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), Function)));
  char path[MAX_PATH] = {};
  UINT n = get ? get(path, MAX_PATH) : 0;
  return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

// Every folder the shell knows by identifier (Windows Vista and later:
// Downloads and the like have no folder number). Needs COM on this thread;
// without it, or on older systems, the list is empty.
std::vector<std::string> KnownFolderPaths() {
  std::vector<std::string> paths;
  IKnownFolderManager* raw = nullptr;
  if (FAILED(CoCreateInstance(__uuidof(KnownFolderManager), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IKnownFolderManager),
                              reinterpret_cast<void**>(&raw))))
    return paths;
  TQLComPtr<IKnownFolderManager> manager(raw);
  KNOWNFOLDERID* rawIds = nullptr;
  UINT count = 0;
  if (FAILED(manager.Get()->GetFolderIds(&rawIds, &count))) return paths;
  TQLCoTaskMem<KNOWNFOLDERID> ids(rawIds);
  for (UINT i = 0; i < count; ++i) {
    PWSTR rawPath = nullptr;
    // Where each would be, whether it is there or not: verifying reads
    // every folder's desktop.ini, and a folder that is not there yet is
    // protected all the same. Asked directly, not through a folder object
    // for each, which costs several times as much.
    const HRESULT found = SHGetKnownFolderPath(ids.Get()[i], KF_FLAG_DONT_VERIFY, nullptr, &rawPath);
    TQLCoTaskMem<wchar_t> path(rawPath);
    if (FAILED(found) || !rawPath) continue;
    paths.push_back(ShownAnsiOf(TQLWideText(path.Get())));
  }
  return paths;
}

// The role the shell's folder number gives a folder.
TQLFolderRole RoleOfCsidl(int Csidl) {
  switch (Csidl) {
    case CSIDL_PROGRAM_FILES:
    case CSIDL_PROGRAM_FILESX86:
    case CSIDL_PROGRAM_FILES_COMMON:
    case CSIDL_PROGRAM_FILES_COMMONX86: return TQLFolderRole::ProgramFiles;
    case CSIDL_PROFILE: return TQLFolderRole::Profile;
    default: return TQLFolderRole::ShellFolder;
  }
}

}  // namespace

std::string ComparablePathOf(const std::string& Path) {
  std::string path = WithoutTrailingSeparators(LongPathOf(FullPathOf(Path)));
  if (!path.empty()) CharUpperBuffA(&path[0], DWORD(path.size()));
  return path;
}

bool SamePath(const std::string& A, const std::string& B) {
  return !A.empty() && ComparablePathOf(A) == ComparablePathOf(B);
}

std::string TQLComparablePaths::Of(const std::string& Path) {
  const std::string full = FullPathOf(Path);
  const size_t slash = full.rfind('\\');
  if (slash == std::string::npos || slash + 1 == full.size()) return ComparablePathOf(Path);
  const std::string folder = full.substr(0, slash);
  auto found = FFolders.find(folder);
  if (found == FFolders.end()) found = FFolders.emplace(folder, ComparablePathOf(folder + "\\")).first;
  std::string name = full.substr(slash + 1);
  CharUpperBuffA(&name[0], DWORD(name.size()));
  return found->second + "\\" + name;
}

TQLFolderSafety::TQLFolderSafety() {
  for (int csidl = 0; csidl <= kLastCsidl; ++csidl) Protect(SpecialFolderPlace(csidl), RoleOfCsidl(csidl));
  for (const char* function : {"GetWindowsDirectoryA", "GetSystemDirectoryA", "GetSystemWindowsDirectoryA",
                               "GetSystemWow64DirectoryA"})
    Protect(KernelFolder(function), TQLFolderRole::SystemTree);
  Protect(GetProgramFilesFolder(), TQLFolderRole::ProgramFiles);
  // The 64-bit program-files folders, which the shell does not name to a
  // 32-bit program.
  for (const char* variable : {"ProgramW6432", "CommonProgramW6432"}) {
    const char* value = std::getenv(variable);
    if (value) Protect(value, TQLFolderRole::ProgramFiles);
  }
  for (const std::string& folder : KnownFolderPaths()) Protect(folder, TQLFolderRole::ShellFolder);
  FFormOf.clear();
}

void TQLFolderSafety::Protect(const std::string& Path, TQLFolderRole Role) {
  if (Path.empty()) return;
  auto form = FFormOf.find(Path);
  if (form == FFormOf.end()) form = FFormOf.emplace(Path, ComparablePathOf(Path)).first;
  FProtected.push_back({form->second, Role});
}

bool TQLFolderSafety::MayRemove(const std::string& Path) const {
  if (Path.empty()) return false;
  const std::string folder = ComparablePathOf(Path);
  if (IsDriveOrShareRoot(folder)) return false;
  for (const TQLProtectedFolder& kept : FProtected)
    if (IsSameOrAbove(folder, kept.Path)) return false;
  return true;
}
