#include "shell/QLShortCut.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>

#include "archive/QLNumberText.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPlatform.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr int CsidlDesktop = 16;         // CSIDL_DESKTOPDIRECTORY
constexpr int CsidlPrograms = 2;         // CSIDL_PROGRAMS
constexpr int CsidlCommonDesktop = 25;   // CSIDL_COMMON_DESKTOPDIRECTORY
constexpr int CsidlCommonPrograms = 23;  // CSIDL_COMMON_PROGRAMS

// The system's text for a COM result, without its closing period and line end.
std::string SystemTextOf(HRESULT Status) {
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(Status), 0, text,
                           sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.' || text[n - 1] == ' ')) --n;
  if (n == 0) return "error " + HexText(uint32_t(Status), 8);
  return std::string(text, n);
}

TQLComPtr<IShellLinkA> NewShellLink() {
  IShellLinkA* raw = nullptr;
  HRESULT result =
      CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA), reinterpret_cast<void**>(&raw));
  TQLComPtr<IShellLinkA> link(raw);
  if (FAILED(result) || !link)
    throw EQLShellLinkError(int32_t(result), "shell link object: " + SystemTextOf(result));
  return link;
}

int ShowCommandOf(TQLShowState State) {
  switch (State) {
    case TQLShowState::Minimized:
      return SW_SHOWMINNOACTIVE;
    case TQLShowState::Maximized:
      return SW_SHOWMAXIMIZED;
    default:
      return SW_SHOWNORMAL;
  }
}

// Each property in turn; false at the first one the link object refuses.
bool SetLinkProperties(IShellLinkA& Link, const TQLShortCutInfo& Info) {
  if (FAILED(Link.SetPath(Info.Path.c_str()))) return false;
  if (FAILED(Link.SetArguments(Info.Arguments.c_str()))) return false;
  if (FAILED(Link.SetWorkingDirectory(Info.WorkingDirectory.c_str()))) return false;
  if (FAILED(Link.SetDescription(Info.Description.c_str()))) return false;
  if (!Info.IconLocation.empty() && FAILED(Link.SetIconLocation(Info.IconLocation.c_str(), Info.IconIndex)))
    return false;
  return SUCCEEDED(Link.SetShowCmd(ShowCommandOf(Info.ShowState)));
}

bool SaveLink(IShellLinkA& Link, const std::string& LinkPath) {
  IPersistFile* raw = nullptr;
  HRESULT result = Link.QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&raw));
  TQLComPtr<IPersistFile> file(raw);
  if (FAILED(result) || !file) return false;
  return SUCCEEDED(file.Get()->Save(WidePathOf(LinkPath).c_str(), FALSE));
}

std::string FolderPart(const std::string& Path) {
  size_t cut = Path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : Path.substr(0, cut);
}

}  // namespace

const TQLShortCutFile ShortCutTable[ShortCutCount] = {
    {"\\PQENGINE.EXE", "Prismora SE", CsidlDesktop, ""},
    {"\\PQENGINE.EXE", "Prismora SE\\Prismora", CsidlPrograms, ""},
    {"\\README.TXT", "Prismora SE\\Prismora ReadMe", CsidlPrograms, ""},
};

TQLShortCutFile AllUsersShortCut(const TQLShortCutFile& Row) {
  TQLShortCutFile mapped = Row;
  if (!IsNTFamily()) return mapped;
  if (mapped.Folder == CsidlDesktop) mapped.Folder = CsidlCommonDesktop;
  if (mapped.Folder == CsidlPrograms) mapped.Folder = CsidlCommonPrograms;
  return mapped;
}

std::string ShortCutLinkPath(const TQLShortCutFile& Row) {
  std::string folder = GetSpecialFolderPath(Row.Folder);
  if (folder.empty()) return std::string();
  return folder + "\\" + Row.LinkName + ".lnk";
}

bool CreateShortCut(const std::string& LinkPath, const TQLShortCutInfo& Info) {
  std::string path = FullPathOf(LinkPath);
  TQLComPtr<IShellLinkA> link = NewShellLink();
  if (!SetLinkProperties(*link.Get(), Info)) return false;
  std::string folder = FolderPart(path);
  if (!folder.empty() && !DirectoryExists(folder)) ForceDirectories(folder);
  return SaveLink(*link.Get(), path);
}

bool CreateShortCutFile(const std::string& AppPath, const TQLShortCutFile& Row) {
  TQLShortCutInfo info;
  info.Path = AppPath + Row.FileName;
  info.Arguments = Row.Arguments;
  info.WorkingDirectory = FolderPart(info.Path);
  info.Description = Row.LinkName;
  std::string linkPath = ShortCutLinkPath(Row);
  return !linkPath.empty() && CreateShortCut(linkPath, info);
}

namespace {

// The shell reads a link, or watches a folder, it has just been told about;
// a deletion it holds up is tried again for a moment before it is given up.
void DeleteWithRetries(const std::function<void()>& Delete, const std::function<bool()>& Gone) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    Delete();
    if (Gone()) return;
    Sleep(50);
  }
}

}  // namespace

void DeleteShortCutFile(const TQLShortCutFile& Row) {
  const std::string link = ShortCutLinkPath(Row);
  if (link.empty()) return;
  DeleteWithRetries([&] { DeleteFileIfExists(link); }, [&] { return !FileExists(link); });
}

namespace {

// Never the special folder itself (an empty Name) nor a folder below the
// drive root when the special folder is unknown.
void DeleteFolderBelow(int Csidl, const std::string& Name) {
  std::string folder = GetSpecialFolderPath(Csidl);
  if (folder.empty() || Name.empty()) return;
  const std::string path = folder + "\\" + Name;
  DeleteWithRetries([&] { DeleteTree(path); }, [&] { return !DirectoryExists(path); });
}

}  // namespace

void DeleteProgramsFolder(const std::string& Name) {
  if (IsNTFamily()) DeleteFolderBelow(CsidlCommonPrograms, Name);
  DeleteFolderBelow(CsidlPrograms, Name);
}

void DeleteDesktopShortCut(const std::string& Name) {
  TQLShortCutFile row;
  row.LinkName = Name;
  row.Folder = CsidlDesktop;
  DeleteShortCutFile(row);
  if (!IsNTFamily()) return;
  row.Folder = CsidlCommonDesktop;
  DeleteShortCutFile(row);
}

namespace {

void ListFilesBelow(const std::string& Folder, std::vector<std::string>& Files) {
  WIN32_FIND_DATAA entry;
  TQLFindHandle find(FindFirstFileA((Folder + "\\*").c_str(), &entry));
  if (!find) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListFilesBelow(Folder + "\\" + name, Files);
    else
      Files.push_back(Folder + "\\" + name);
  } while (FindNextFileA(find.Get(), &entry));
}

}  // namespace

std::vector<std::string> ShortCutFilesOf(const std::string& Name) {
  std::vector<std::string> files;
  if (Name.empty()) return files;
  std::vector<int> programs{CsidlPrograms}, desktops{CsidlDesktop};
  if (IsNTFamily()) {
    programs.insert(programs.begin(), CsidlCommonPrograms);
    desktops.push_back(CsidlCommonDesktop);
  }
  for (int csidl : programs) {
    const std::string folder = GetSpecialFolderPath(csidl);
    if (!folder.empty()) ListFilesBelow(folder + "\\" + Name, files);
  }
  for (int csidl : desktops) {
    const std::string folder = GetSpecialFolderPath(csidl);
    if (!folder.empty() && FileExists(folder + "\\" + Name + ".lnk")) files.push_back(folder + "\\" + Name + ".lnk");
  }
  return files;
}
