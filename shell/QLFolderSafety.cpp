#include "shell/QLFolderSafety.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <optional>

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

struct TQLKnownPlace {
  std::string Path;
  TQLFolderRole Role;
};

// The folder identifiers that give a folder a role of its own, written out:
// the system's identifier library would bring every identifier it knows.
constexpr KNOWNFOLDERID kProgramFilesIds[] = {
    {0x905e63b6, 0xc1bf, 0x494e, {0xb2, 0x9c, 0x65, 0xb7, 0x32, 0xd3, 0xd2, 0x1a}},  // program files
    {0x7c5a40ef, 0xa0fb, 0x4bfc, {0x87, 0x4a, 0xc0, 0xf2, 0xe0, 0xb9, 0xfa, 0x8e}},  // 32-bit program files
    {0x6d809377, 0x6af0, 0x444b, {0x89, 0x57, 0xa3, 0x77, 0x3f, 0x02, 0x20, 0x0e}},  // 64-bit program files
    {0xf7f1ed05, 0x9f6d, 0x47a2, {0xaa, 0xae, 0x29, 0xd3, 0x17, 0xc6, 0xf0, 0x66}},  // common files
    {0xde974d24, 0xd9c6, 0x4d3e, {0xbf, 0x91, 0xf4, 0x45, 0x51, 0x20, 0xb9, 0x17}},  // 32-bit common files
    {0x6365d5a7, 0x0f0d, 0x45e5, {0x87, 0xf6, 0x0d, 0xa5, 0x6b, 0x6a, 0x4f, 0x7d}},  // 64-bit common files
};
constexpr KNOWNFOLDERID kProfileId = {0x5e6c858f, 0x0e22, 0x4760, {0x9a, 0xfe, 0xea, 0x33, 0x17, 0xb6, 0x71, 0x73}};

// The role the shell's folder identifier gives a folder.
TQLFolderRole RoleOfKnownFolder(const KNOWNFOLDERID& Id) {
  for (const KNOWNFOLDERID& programFiles : kProgramFilesIds)
    if (IsEqualGUID(Id, programFiles)) return TQLFolderRole::ProgramFiles;
  return IsEqualGUID(Id, kProfileId) ? TQLFolderRole::Profile : TQLFolderRole::ShellFolder;
}

// Every folder the shell knows by identifier (Windows Vista and later:
// Downloads and the like have no folder number). Needs COM on this thread;
// without it, or on older systems, the list is empty.
std::vector<TQLKnownPlace> KnownFolderPlaces() {
  std::vector<TQLKnownPlace> places;
  IKnownFolderManager* raw = nullptr;
  if (FAILED(CoCreateInstance(__uuidof(KnownFolderManager), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IKnownFolderManager),
                              reinterpret_cast<void**>(&raw))))
    return places;
  TQLComPtr<IKnownFolderManager> manager(raw);
  KNOWNFOLDERID* rawIds = nullptr;
  UINT count = 0;
  if (FAILED(manager.Get()->GetFolderIds(&rawIds, &count))) return places;
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
    places.push_back({ShownAnsiOf(TQLWideText(path.Get())), RoleOfKnownFolder(ids.Get()[i])});
  }
  return places;
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

// The last name of Path as its folder lists it; none when it is not there.
// A step ("." or "..") is no name and stays as written.
std::optional<std::string> ListedName(const std::string& Path) {
  const std::string name = Path.substr(Path.rfind('\\') + 1);
  if (name == "." || name == "..") return name;
  WIN32_FIND_DATAA entry;
  TQLFindHandle find(FindFirstFileA(Path.c_str(), &entry));
  if (!find) return std::nullopt;
  return std::string(entry.cFileName);
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

std::string TQLLongPaths::Of(const std::string& FullPath) {
  const std::string path = WithoutTrailingSeparators(FullPath);
  const std::optional<std::string> found = Found(path);
  if (!found) return FullPath;
  // A separator the path was written with stays, as GetLongPathName keeps it.
  return *found + FullPath.substr(path.size());
}

std::optional<std::string> TQLLongPaths::Found(const std::string& Path) {
  auto known = FFound.find(Path);
  if (known != FFound.end()) return known->second;
  std::optional<std::string> found;
  const std::string parent = ParentFolder(Path);
  if (IsDriveOrShareRoot(Path) || parent.empty()) {
    found = Path;
  } else if (Path.find_first_of("*?", parent.size()) == std::string::npos) {
    const std::optional<std::string> parentForm = Found(WithoutTrailingSeparators(parent));
    const std::optional<std::string> name = parentForm ? ListedName(Path) : std::nullopt;
    if (name) found = *parentForm + "\\" + *name;
  }
  if (found) FFound.emplace(Path, *found);
  return found;
}

std::string TQLComparablePaths::Of(const std::string& Path) {
  const std::string full = FullPathOf(Path);
  const size_t slash = full.rfind('\\');
  if (slash == std::string::npos || slash + 1 == full.size()) return OfFolder(Path);
  const std::string folder = full.substr(0, slash);
  auto found = FFolders.find(folder);
  if (found == FFolders.end()) found = FFolders.emplace(folder, OfFolder(folder + "\\")).first;
  std::string name = full.substr(slash + 1);
  CharUpperBuffA(&name[0], DWORD(name.size()));
  return found->second + "\\" + name;
}

std::string TQLComparablePaths::OfFolder(const std::string& Path) {
  std::string path = WithoutTrailingSeparators(FLongPaths.Of(FullPathOf(Path)));
  if (!path.empty()) CharUpperBuffA(&path[0], DWORD(path.size()));
  return path;
}

TQLFolderSafety::TQLFolderSafety() {
  // Where the shell names its folders by identifier, every folder it names
  // by number is among them; the numbers, about as many, are asked only of
  // an older shell.
  const std::vector<TQLKnownPlace> known = KnownFolderPlaces();
  for (const TQLKnownPlace& place : known) Protect(place.Path, place.Role);
  if (known.empty())
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
  FForms = TQLComparablePaths();
}

void TQLFolderSafety::Protect(const std::string& Path, TQLFolderRole Role) {
  if (!Path.empty()) FProtected.push_back({FForms.OfFolder(Path), Role});
}

bool TQLFolderSafety::MayRemove(const std::string& Path) const {
  TQLComparablePaths forms;
  return MayRemove(Path, forms);
}

bool TQLFolderSafety::MayRemove(const std::string& Path, TQLComparablePaths& Forms) const {
  if (Path.empty()) return false;
  const std::string folder = Forms.OfFolder(Path);
  if (IsDriveOrShareRoot(folder)) return false;
  for (const TQLProtectedFolder& kept : FProtected)
    if (IsSameOrAbove(folder, kept.Path)) return false;
  return true;
}
