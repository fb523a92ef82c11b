#include "records/QLDeferredFileOps.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/QLNumberText.h"
#include "shell/QLFileUtils.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLPathRules.h"
#include "shell/QLPlatform.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr DWORD SectionBufferSize = 0x7FFF;  // 32,767 bytes
const char* const RenameSection = "rename";
const char* const WinInitFile = "WININIT.INI";

using TLines = std::vector<std::string>;

// The lines of Section, or false when the section does not fit the buffer.
bool ReadSectionLines(const std::string& Section, const std::string& IniFile, TLines& Lines) {
  std::vector<char> buffer(SectionBufferSize, '\0');
  DWORD length = GetPrivateProfileSectionA(Section.c_str(), buffer.data(), SectionBufferSize, IniFile.c_str());
  if (length >= SectionBufferSize - 2) return false;
  Lines.clear();
  for (const char* line = buffer.data(); *line; line += strlen(line) + 1) Lines.emplace_back(line);
  return true;
}

// Writes Lines as the whole section, each followed by a zero byte and the
// block by one more; false, writing nothing, when the block would not fit
// the 32,767-byte buffer.
bool WriteSectionLines(const std::string& Section, const std::string& IniFile, const TLines& Lines) {
  std::string block;
  for (const std::string& line : Lines) block.append(line).push_back('\0');
  block.push_back('\0');
  if (block.size() > SectionBufferSize) return false;
  return WritePrivateProfileSectionA(Section.c_str(), block.data(), IniFile.c_str()) != FALSE;
}

TLines::iterator FindLine(TLines& Lines, const std::string& Line) {
  for (auto it = Lines.begin(); it != Lines.end(); ++it)
    if (lstrcmpiA(it->c_str(), Line.c_str()) == 0) return it;
  return Lines.end();
}

std::string RebootDeleteLine(const std::string& Path) { return "NUL=" + ShortPathOf(Path); }

std::string WithExtension(const std::string& Path, const std::string& Extension) {
  size_t dot = Path.find_last_of('.');
  size_t separator = Path.find_last_of("\\/:");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return Path + Extension;
  return Path.substr(0, dot) + Extension;
}

}  // namespace

void AddProfileSectionLine(const std::string& Section, const std::string& Line, const std::string& IniFile) {
  TLines lines;
  if (!ReadSectionLines(Section, IniFile, lines)) return;
  if (FindLine(lines, Line) == lines.end()) lines.push_back(Line);
  WriteSectionLines(Section, IniFile, lines);
}

void RemoveProfileSectionLine(const std::string& Section, const std::string& Line, const std::string& IniFile) {
  TLines lines;
  if (!ReadSectionLines(Section, IniFile, lines)) return;
  auto found = FindLine(lines, Line);
  if (found != lines.end()) lines.erase(found);
  WriteSectionLines(Section, IniFile, lines);
}

std::string ShortPathOf(const std::string& Path) {
  char shortPath[MAX_PATH] = {};
  DWORD length = GetShortPathNameA(Path.c_str(), shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Path;
  return std::string(shortPath, length);
}

bool ReplaceFileAtReboot(const std::string& Source, const std::string& Target) {
  bool queued = true;
  if (IsNTFamily())
    queued = MoveFileExA(Source.c_str(), Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  else
    AddProfileSectionLine(RenameSection, ShortPathOf(Target) + "=" + ShortPathOf(Source), WinInitFile);
  if (queued) SetupLog("replace queued for the next start: " + Target + " by " + Source);
  return queued;
}

std::string ReplacementCandidateOf(const std::string& Path) {
  std::string candidate;
  for (int i = 0; i < 0x1000; ++i) {
    candidate = WithExtension(Path, "." + HexText(uint32_t(i), 3));
    if (!FileExists(candidate)) break;
  }
  return candidate;
}

namespace {

// The system's pending operations as (source, target) pairs, in order; the
// NT paths ("\??\C:\...") as the system keeps them.
std::vector<std::pair<TQLWideText, TQLWideText>> PendingRenameOperations() {
  std::vector<std::pair<TQLWideText, TQLWideText>> pairs;
  // Read in UTF-16: the ANSI form of the value would lose the names.
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                    &raw) != ERROR_SUCCESS)
    return pairs;
  TQLRegKey key(raw);
  DWORD bytes = 0;
  if (RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return pairs;
  std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
    return pairs;
  data.resize(bytes / sizeof(wchar_t));
  std::vector<TQLWideText> strings(1);
  for (const wchar_t c : data) {
    if (c == L'\0')
      strings.emplace_back();
    else
      strings.back() += c;
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i].empty()) break;  // the closing empty string
    pairs.emplace_back(strings[i], strings[i + 1]);
  }
  return pairs;
}

TQLWideText NTPathOf(const std::string& Path) {
  TQLWideText path(L"\\??\\");
  path += WidePathOf(FullPathOf(Path));
  return path;
}

bool SamePath(const TQLWideText& A, const TQLWideText& B) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, A.data(), int(A.size()), B.data(), int(B.size())) ==
         CSTR_EQUAL;
}

using TPendingOps = std::vector<std::pair<TQLWideText, TQLWideText>>;

// Writes Ops as the system's pending operations (none: the value goes).
void WritePendingRenameOperations(const TPendingOps& Ops) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_SET_VALUE,
                    &raw) != ERROR_SUCCESS)
    return;
  TQLRegKey key(raw);
  if (Ops.empty()) {
    RegDeleteValueW(key.Get(), L"PendingFileRenameOperations");
    return;
  }
  std::vector<wchar_t> data;
  for (const auto& op : Ops) {
    data.insert(data.end(), op.first.begin(), op.first.end());
    data.push_back(L'\0');
    data.insert(data.end(), op.second.begin(), op.second.end());
    data.push_back(L'\0');
  }
  data.push_back(L'\0');
  RegSetValueExW(key.Get(), L"PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                 DWORD(data.size() * sizeof(wchar_t)));
}

// A path of a pending operation ("\??\C:\...", "!" before a replace's
// target) in the form paths are compared in; empty for no path.
std::string ComparableOperationPath(const TQLWideText& Path) {
  const wchar_t* text = Path.c_str();
  if (*text == L'!') ++text;
  if (wcsncmp(text, L"\\??\\", 4) == 0) text += 4;
  if (!*text) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(size_t(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], n, nullptr, nullptr);
  ansi.resize(ansi.size() - 1);
  return ComparablePathOf(ansi);
}

// Whether an operation from Source to Target (empty: a delete) touches one
// of Paths (comparable forms): at or below it, or a delete of a folder
// above it.
bool Touches(const std::string& Source, const std::string& Target, const std::vector<std::string>& Paths) {
  for (const std::string& path : Paths) {
    if (IsSameOrAbove(path, Source) || (!Target.empty() && IsSameOrAbove(path, Target))) return true;
    if (Target.empty() && IsSameOrAbove(Source, path)) return true;
  }
  return false;
}

std::vector<std::string> ComparablePaths(const std::vector<std::string>& Paths) {
  std::vector<std::string> comparable;
  for (const std::string& path : Paths)
    if (!path.empty()) comparable.push_back(ComparablePathOf(path));
  return comparable;
}

// The 95/98/Me side: lines "NUL=path" and "target=source" of the rename
// section that touch one of Paths go.
void WithdrawRenameLines(const std::vector<std::string>& Paths, std::vector<std::string>& Deletes) {
  TLines lines, kept;
  if (!ReadSectionLines(RenameSection, WinInitFile, lines)) return;
  for (const std::string& line : lines) {
    const size_t equals = line.find('=');
    const std::string left = line.substr(0, equals), right = equals == std::string::npos ? "" : line.substr(equals + 1);
    const bool isDelete = lstrcmpiA(left.c_str(), "NUL") == 0;
    const std::string source = ComparablePathOf(right), target = isDelete ? "" : ComparablePathOf(left);
    if (!source.empty() && Touches(source, target, Paths)) {
      SetupLog("pending operation withdrawn: " + line);
      if (isDelete) Deletes.push_back(source);
    } else
      kept.push_back(line);
  }
  if (kept.size() != lines.size()) WriteSectionLines(RenameSection, WinInitFile, kept);
}

// The NT side: Ops without those that touch one of Paths; true when any went.
bool WithoutOperationsTouching(TPendingOps& Ops, const std::vector<std::string>& Paths,
                               std::vector<std::string>& Deletes) {
  const size_t before = Ops.size();
  TPendingOps kept;
  for (const auto& op : Ops) {
    const std::string source = ComparableOperationPath(op.first), target = ComparableOperationPath(op.second);
    if (!source.empty() && Touches(source, target, Paths)) {
      SetupLog("pending operation withdrawn: " + source + (target.empty() ? " (delete)" : " -> " + target));
      if (target.empty()) Deletes.push_back(source);
    } else
      kept.push_back(op);
  }
  Ops.swap(kept);
  return Ops.size() != before;
}

}  // namespace

bool DeleteFileAtReboot(const std::string& Path) {
  SetupLog("delete queued for the next start: " + Path);
  if (!IsNTFamily()) {
    AddProfileSectionLine(RenameSection, RebootDeleteLine(Path), WinInitFile);
    return true;
  }
  // An earlier delete of the same path goes first: queued once, last.
  TPendingOps ops = PendingRenameOperations();
  const std::string path = ComparablePathOf(Path);
  const size_t before = ops.size();
  ops.erase(std::remove_if(ops.begin(), ops.end(),
                           [&](const auto& op) { return op.second.empty() && ComparableOperationPath(op.first) == path; }),
            ops.end());
  if (ops.size() != before) WritePendingRenameOperations(ops);
  return MoveFileExA(Path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::vector<std::string> WithdrawPendingOperations(const std::vector<std::string>& Paths) {
  const std::vector<std::string> paths = ComparablePaths(Paths);
  std::vector<std::string> deletes;
  if (!IsNTFamily()) {
    WithdrawRenameLines(paths, deletes);
    return deletes;
  }
  TPendingOps ops = PendingRenameOperations();
  if (WithoutOperationsTouching(ops, paths, deletes)) WritePendingRenameOperations(ops);
  return deletes;
}

bool IsDeletePendingAtReboot(const std::string& Path) {
  if (!IsNTFamily()) {
    TLines lines;
    return ReadSectionLines(RenameSection, WinInitFile, lines) &&
           FindLine(lines, RebootDeleteLine(Path)) != lines.end();
  }
  const TQLWideText target = NTPathOf(Path), shortTarget = NTPathOf(ShortPathOf(Path));
  bool pending = false;
  // The last operation that names the path decides: a delete, or a file
  // moved onto it afterwards ("!" marks a replace).
  for (const auto& op : PendingRenameOperations()) {
    const bool replace = !op.second.empty() && op.second[0] == L'!';
    const TQLWideText to = replace ? TQLWideText(op.second.data() + 1, op.second.size() - 1) : op.second;
    if (op.second.empty() && (SamePath(op.first, target) || SamePath(op.first, shortTarget))) pending = true;
    if (!to.empty() && (SamePath(to, target) || SamePath(to, shortTarget))) pending = false;
  }
  return pending;
}

void CancelDeleteAtReboot(const std::string& Path, const std::string& SourcePath) {
  if (!IsNTFamily()) {
    RemoveProfileSectionLine(RenameSection, RebootDeleteLine(Path), WinInitFile);
    return;
  }
  // A replacement is queued only against a delete that is really pending:
  // an operation queued for nothing reads as "restart pending" to anyone
  // who looks, and leaves a copy behind.
  if (!IsDeletePendingAtReboot(Path)) return;
  std::string candidate = ReplacementCandidateOf(Path);
  CopyFileWithTime(SourcePath, candidate);
  DWORD attributes = GetFileAttributesA(candidate.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // Only the archive bit is kept; no bit at all means a normal file.
    attributes &= FILE_ATTRIBUTE_ARCHIVE;
    SetFileAttributesA(candidate.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  }
  MoveFileExA(candidate.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
  SetupLog("replace queued for the next start: " + Path + " by " + candidate);
}
