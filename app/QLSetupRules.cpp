#include "app/QLSetupRules.h"

#include <algorithm>
#include <cctype>

#include "archive/QLNumberText.h"

bool UnattendedMode = false;

namespace {

std::string Upper(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return S;
}

std::string Trim(const std::string& S) {
  const char* blanks = " \t\r\n";
  size_t first = S.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return S.substr(first, S.find_last_not_of(blanks) - first + 1);
}

std::string FileNameOf(const std::string& Path) {
  size_t cut = Path.find_last_of("\\/:");
  return cut == std::string::npos ? Path : Path.substr(cut + 1);
}

}  // namespace

TQLRunMode DecideRunMode(const std::vector<std::string>& Args, const std::string& ProgramPath) {
  if (!Args.empty() && Upper(Args[0]) == "/UNINSTALL") return TQLRunMode::Uninstall;
  if (Upper(FileNameOf(ProgramPath)) == "UNINST.EXE") return TQLRunMode::Uninstall;
  return TQLRunMode::Install;
}

bool HasUnattendedOption(const std::vector<std::string>& Args) {
  for (const std::string& arg : Args) {
    if (arg.empty() || (arg[0] != '-' && arg[0] != '/')) continue;
    const std::string rest = Upper(arg.substr(1));
    if (rest == "U" || rest == "UNATTENDED") return true;
  }
  return false;
}

TQLDirectXSource DecideDirectXSource(bool RootHasSetup, bool ConfigExists, const std::string& DXSetup,
                                     const std::string& DXPath, bool NTFamily) {
  TQLDirectXSource source;
  if (RootHasSetup) {
    source.Enabled = true;
    source.Path = "\\";
  } else if (ConfigExists) {
    source.Enabled = Upper(Trim(DXSetup)) == "YES";
    source.Path = DXPath;
  }
  if (NTFamily) source.Enabled = false;
  return source;
}

std::string WithExtension(const std::string& Path, const std::string& Extension) {
  size_t dot = Path.rfind('.');
  size_t slash = Path.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return Path + Extension;
  return Path.substr(0, dot) + Extension;
}

std::string ConfigFilePath(const std::string& ProgramPath) { return WithExtension(ProgramPath, ".INI"); }

std::string SetupCaption(const std::string& ProductVersion, bool NTFamily) {
  return "Prismora SE Setup (Build " + ProductVersion + "." + (NTFamily ? "N" : "9") + ")";
}

std::string InstallSizeText(int64_t InstallSize, int64_t FreeSpace) {
  return FixedText(double(InstallSize) / 1024 / 1024, 6) + "MB / " + FixedText(double(FreeSpace) / 1024 / 1024, 8) +
         "MB";
}

TQLDiskQuestion DiskQuestion(int64_t FreeSpace, int64_t InstallSize) {
  if (FreeSpace < InstallSize) return TQLDiskQuestion::NotEnough;
  // Less than 1.3 times the size free, compared exactly and for any two
  // 64-bit values (a share or a faked answer may report anything): a free
  // space of exactly 1.3 times the size asks nothing. With S = 10q + r and
  // the spare room E = F - S, the question is 10E < 3S, that is
  // 10(E - 3q) < 3r, decided without leaving 64 bits. A size of 0 or less always fits.
  if (InstallSize <= 0) return TQLDiskQuestion::None;
  const int64_t spare = FreeSpace - InstallSize;  // both positive: no overflow
  const int64_t q = InstallSize / 10, r = InstallSize % 10;
  const int64_t over = spare - 3 * q;
  if (over < 0 || (over < 3 && 10 * over < 3 * r)) return TQLDiskQuestion::NotMuch;
  return TQLDiskQuestion::None;
}

size_t FolderRootLength(const std::string& FolderText) {
  if (FolderText.size() >= 2 && FolderText[1] == ':' && std::isalpha(static_cast<unsigned char>(FolderText[0])))
    return 2;
  if (FolderText.rfind("\\\\", 0) != 0) return 0;
  const size_t server = FolderText.find('\\', 2);
  if (server == std::string::npos || server == 2) return 0;
  const size_t share = std::min(FolderText.find('\\', server + 1), FolderText.size());
  return share == server + 1 ? 0 : share;
}

std::string FolderRoot(const std::string& FolderText) {
  const size_t length = FolderRootLength(FolderText);
  return length == 0 ? std::string() : Upper(FolderText.substr(0, length)) + "\\";
}

bool IsBrowserWindow(const std::string& Title, const std::string& ClassName) {
  if (Title.empty()) return false;
  const std::string title = Upper(Title), name = Upper(ClassName);
  return title == "NETSCAPE'S HIDDEN FRAME" || name == "IEFRAME" || name == "MOZILLAUIWINDOWCLASS" ||
         name == "CHROME_WIDGETWIN_0";
}
