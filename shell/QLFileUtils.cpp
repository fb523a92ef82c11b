#include "shell/QLFileUtils.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "shell/QLPathRules.h"
#include "shell/QLPlatform.h"
#include "shell/QLRegistry.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"

namespace {

std::string WithoutTrailingBackslash(std::string Path) {
  while (Path.size() > 1 && (Path.back() == '\\' || Path.back() == '/') && Path[Path.size() - 2] != ':')
    Path.pop_back();
  return Path;
}

std::string WithTrailingBackslash(std::string Path) {
  if (!Path.empty() && Path.back() != '\\') Path += '\\';
  return Path;
}

// The folder part of Path: everything before its last separator.
std::string FolderOf(const std::string& Path) {
  size_t cut = Path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : Path.substr(0, cut);
}

std::string LowerCase(std::string Text) {
  if (!Text.empty()) CharLowerBuffA(&Text[0], static_cast<DWORD>(Text.size()));
  return Text;
}

// The attributes, times and size of Path, whatever its attributes. Asked of
// the entry itself: a search for it (FindFirstFile) would read its whole
// folder on some file systems, and takes wildcards.
bool EntryAttributes(const std::string& Path, WIN32_FILE_ATTRIBUTE_DATA& Data) {
  return !Path.empty() && GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &Data);
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

bool ForceDirectories(const std::string& Target) {
  std::string path = WithoutTrailingBackslash(Target);
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  size_t cut = path.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    std::string parent = path.substr(0, cut);
    if (parent.back() == ':') parent += '\\';
    if (parent == path) return false;  // the root of a drive that is not there
    if (!ForceDirectories(parent)) return false;
  }
  return CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}

bool DeleteFileIfExists(const std::string& Path) {
  // The plain delete first: most files go with it, and asking whether the
  // file is there before would double the cost of each.
  if (Path.empty()) return false;
  if (DeleteFileA(Path.c_str())) return true;
  if (!FileExists(Path)) return false;
  SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  return DeleteFileA(Path.c_str()) != FALSE;
}

namespace {

// Entries of Parent (ending in a separator) the tree delete may touch: all
// but ".", ".." and hidden or system ones, read before anything is deleted.
std::vector<WIN32_FIND_DATAA> VisibleEntries(const std::string& Parent) {
  std::vector<WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA data;
  TQLFindHandle find(FindFirstFileA((Parent + "*.*").c_str(), &data));
  if (!find) return entries;
  do {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (strcmp(data.cFileName, ".") == 0 || strcmp(data.cFileName, "..") == 0) continue;
    entries.push_back(data);
  } while (FindNextFileA(find.Get(), &data));
  return entries;
}


// Sets the last-write time of Path from D through the DOS date and time.
bool SetLastWriteDosTime(const std::string& Path, TDateTime D) {
  unsigned short dosDate = 0, dosTime = 0;
  FILETIME local, utc;
  if (!DateTimeToDosDateTime(D, dosDate, dosTime) || !DosDateTimeToFileTime(dosDate, dosTime, &local) ||
      !LocalFileTimeToFileTime(&local, &utc))
    return false;
  // Write-attributes access is enough for the time, and also granted on a
  // read-only file (the copy carries the source's read-only attribute).
  TQLFileHandle file(CreateFileA(Path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
  return file && SetFileTime(file.Get(), nullptr, nullptr, &utc);
}

}  // namespace

TDateTime DosDateTimeOf(const FILETIME& Time) {
  FILETIME local;
  WORD dosDate = 0, dosTime = 0;
  if (!FileTimeToLocalFileTime(&Time, &local) || !FileTimeToDosDateTime(&local, &dosDate, &dosTime)) return 0;
  return DosDateTimeToDateTime(dosDate, dosTime);
}

void DeleteTree(const std::string& Root) {
  if (Root.empty()) return;
  std::string folder = WithTrailingBackslash(FullPathOf(Root));
  for (const WIN32_FIND_DATAA& entry : VisibleEntries(folder)) {
    std::string path = folder + entry.cFileName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      DeleteTree(path);
    else
      DeleteFileIfExists(path);
  }
  RemoveDirectoryA(folder.c_str());
}

int CopyFileWithTime(const std::string& Source, const std::string& Dest) {
  return CopyFileWithTime(WidePathOf(Source), Dest);
}

int CopyFileWithTime(const TQLWideText& Source, const std::string& Dest) {
  const DWORD sourceAttributes = Source.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Source.c_str());
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES || (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return cfSourceMissing;
  // A copy onto itself would delete the source before copying it.
  if (LowerCase(FullPathOf(StorablePathOf(Source))) == LowerCase(FullPathOf(Dest))) return cfCopyFailed;
  if (!ClearDestination(Dest)) return cfDestNotDeleted;
  if (!CopyFileW(Source.c_str(), WidePathOf(Dest).c_str(), FALSE)) {
    DeleteFileA(Dest.c_str());  // a copy cut short is no copy
    return cfCopyFailed;
  }
  GiveTimeAndAttributesOf(Source, Dest);
  return cfCopied;
}

bool ClearDestination(const std::string& Dest) {
  std::string folder = FolderOf(Dest);
  if (!folder.empty() && !DirectoryExists(folder)) ForceDirectories(folder);
  return !FileExists(Dest) || DeleteFileIfExists(Dest);
}

void GiveTimeAndAttributesOf(const TQLWideText& Source, const std::string& Dest) {
  const DWORD attributes = GetFileAttributesW(Source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  FILETIME written{};
  {
    TQLFileHandle source(CreateFileW(Source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (source) GetFileTime(source.Get(), nullptr, nullptr, &written);
  }
  TDateTime time = DosDateTimeOf(written);
  if (time != 0) SetLastWriteDosTime(Dest, time);
  SetFileAttributesA(Dest.c_str(), attributes);
}

TDateTime FileDateTimeOf(const std::string& Path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!EntryAttributes(Path, data)) return 0;
  return DosDateTimeOf(data.ftLastWriteTime);
}

int32_t FileSizeOf(const std::string& Path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!EntryAttributes(Path, data)) return -1;
  return static_cast<int32_t>(data.nFileSizeLow);
}

std::string ProgramPath() { return StorablePathOf(ProgramPathW()); }

std::string FullPathOf(const std::string& Path) {
  if (Path.empty()) return std::string();
  DWORD need = GetFullPathNameA(Path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return std::string();
  std::vector<char> buffer(need + 1, '\0');
  DWORD length = GetFullPathNameA(Path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length == 0 || length >= buffer.size()) return std::string();
  return std::string(buffer.data(), length);
}

namespace {

// Some shells give a folder with a separator at its end: the callers join
// names to it with one.
std::string ShellFolderOf(const wchar_t* Path) {
  const std::string folder = StorablePathOf(TQLWideText(Path));
  return folder.size() > 3 ? WithoutTrailingSeparators(folder) : folder;
}

}  // namespace

std::string GetSpecialFolderPath(int Csidl) {
  LPITEMIDLIST raw = nullptr;
  HRESULT result = SHGetSpecialFolderLocation(nullptr, Csidl, &raw);
  TQLCoTaskMem<ITEMIDLIST> list(raw);
  if (FAILED(result) || !list) return std::string();
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(list.Get(), path)) return std::string();
  return ShellFolderOf(path);
}

std::string SpecialFolderPlace(int Csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, Csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
    return std::string();
  return ShellFolderOf(path);
}

namespace {

// Path without doubled separators (the leading pair of a network path
// stays) and without a trailing one, except for a drive root (C:\ ).
std::string CleanFolderPath(const std::string& Path) {
  std::string clean;
  for (size_t i = 0; i < Path.size(); ++i) {
    bool doubled = Path[i] == '\\' && !clean.empty() && clean.back() == '\\' && i != 1;
    if (!doubled) clean += Path[i];
  }
  if (clean.size() == 2 && clean[1] == ':') clean += '\\';
  if (clean.size() > 3 && clean.back() == '\\') clean.pop_back();
  return clean;
}

std::string RegisteredProgramFilesDir() {
  try {
    TQLRegistry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly("SOFTWARE\\Microsoft\\Windows\\CurrentVersion")) return std::string();
    return registry.ReadString("ProgramFilesDir");
  } catch (const EQLRegistryError&) {
    return std::string();  // a value of another type counts as missing
  }
}

std::string SystemWindowsFolder() {
  char path[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

}  // namespace

std::string GetProgramFilesFolder() {
  std::string folder = IsNTFamily() ? GetSpecialFolderPath(CSIDL_PROGRAM_FILES) : RegisteredProgramFilesDir();
  folder = CleanFolderPath(folder);
  if (folder.empty()) folder = DefaultProgramFilesFolder(SystemWindowsFolder());
  return folder;
}

std::string DefaultProgramFilesFolder(const std::string& WindowsFolder) {
  if (WindowsFolder.size() < 2 || WindowsFolder[1] != ':' || !isalpha(static_cast<unsigned char>(WindowsFolder[0])))
    return std::string();
  std::string drive = WindowsFolder.substr(0, 2);
  std::string folder = drive + "\\Program Files";
  return DirectoryExists(folder) ? folder : drive + "\\";
}

namespace {

// The fixed part of the running program's version resource, read through
// the UTF-16 functions on the NT family and the ANSI ones elsewhere.
bool ReadOwnFixedVersion(VS_FIXEDFILEINFO& Info) {
  std::vector<BYTE> block;
  void* fixed = nullptr;
  UINT length = 0;
  DWORD unused = 0;
  if (IsNTFamily()) {
    const TQLWideText path = ProgramPathW();
    block.resize(GetFileVersionInfoSizeW(path.c_str(), &unused));
    if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), L"\\", &fixed, &length))
      return false;
  } else {
    const std::string path = ProgramPath();
    block.resize(GetFileVersionInfoSizeA(path.c_str(), &unused));
    if (block.empty() || !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueA(block.data(), "\\", &fixed, &length))
      return false;
  }
  if (!fixed || length < sizeof(VS_FIXEDFILEINFO)) return false;
  memcpy(&Info, fixed, sizeof(Info));
  return true;
}

}  // namespace

std::string GetProductVersionText() {
  VS_FIXEDFILEINFO info{};
  if (!ReadOwnFixedVersion(info)) return std::string();
  return std::to_string(HIWORD(info.dwProductVersionMS)) + "." + std::to_string(LOWORD(info.dwProductVersionMS)) + "." +
         std::to_string(HIWORD(info.dwProductVersionLS)) + "." + std::to_string(LOWORD(info.dwProductVersionLS));
}

namespace {

// The shell library's version record as DllGetVersion fills it, kept after
// the first successful query.
struct TQLShellVersion {
  bool Known = false;
  DLLVERSIONINFO Info{};
};

TQLShellVersion QueryShellVersion() {
  TQLShellVersion version;
  TQLLibrary shell(LoadLibraryA("shell32.dll"));
  if (!shell) return version;
  auto proc =
      reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "DllGetVersion")));
  if (!proc) return version;
  version.Info.cbSize = sizeof(DLLVERSIONINFO);
  version.Known = SUCCEEDED(proc(&version.Info));
  return version;
}

}  // namespace

unsigned GetShellMajorVersion() {
  static const TQLShellVersion cached = QueryShellVersion();
  return cached.Known ? cached.Info.dwMajorVersion : 0;
}
