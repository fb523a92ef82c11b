#include "tools/qlcat/QLProductFolderCheck.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>

#include "archive/QLAnsiName.h"
#include "archive/QLCatDec.h"

namespace fs = std::filesystem;

const TQLRequiredFile RequiredProductFiles[4] = {
    {"PQENGINE.EXE", "the runtime"}, {"AXPQENG.DLL", "the ActiveX control"},
    {"NPPQESE.DLL", "the browser plug-in"}, {"README.TXT", "the read-me"}};

namespace {

// A Windows-1252 letter in upper case, as Windows compares names: a to z,
// the accented small letters (not the division sign), and the four small
// letters whose capitals stand elsewhere in the code page.
uint8_t UpperAnsi(uint8_t C) {
  if ((C >= 'a' && C <= 'z') || (C >= 0xE0 && C <= 0xFE && C != 0xF7)) return uint8_t(C - 0x20);
  switch (C) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return C;
  }
}

// Windows compares names without regard to the case of letters.
std::string FoldedName(std::string Name) {
  for (char& c : Name) c = char(UpperAnsi(uint8_t(c)));
  return Name;
}

// True when Name holds a character no Windows file name may hold.
bool HasForbiddenCharacter(const std::string& Name) {
  for (char c : Name)
    if (uint8_t(c) < 0x20 || std::string("<>\"|?*").find(c) != std::string::npos) return true;
  return false;
}

// A component ending in a blank or a dot, which Windows drops when it
// creates the file.
bool HasTrailingBlankOrDot(const std::string& Name) {
  size_t start = 0;
  for (size_t i = 0; i <= Name.size(); ++i) {
    if (i < Name.size() && Name[i] != '\\') continue;
    if (i > start && (Name[i - 1] == ' ' || Name[i - 1] == '.')) return true;
    start = i + 1;
  }
  return false;
}

// The reason the installer could not take the file named Relative (UTF-8,
// with "/"), or empty; Ansi is its name as the archive would store it.
std::string NameProblem(const std::string& Relative, std::string& Ansi) {
  if (!Utf8ToAnsiName(Relative, Ansi)) return "a character outside the ANSI code page (Windows-1252)";
  for (char& c : Ansi)
    if (c == '/') c = '\\';
  if (!IsSafeEntryName(Ansi)) return "a name the installer refuses (a colon, \"..\" or a device name such as CON or COM1)";
  if (HasForbiddenCharacter(Ansi)) return "a character Windows does not allow in file names";
  if (HasTrailingBlankOrDot(Ansi)) return "a name ending in a blank or a dot, which Windows drops";
  return "";
}

void CheckFile(const fs::directory_entry& Entry, const fs::path& Folder, TQLFolderReport& Report,
               std::map<std::string, std::string>& Seen) {
  std::error_code ec;
  const std::string relative = fs::relative(Entry.path(), Folder, ec).generic_string();
  std::string ansi;
  const std::string problem = NameProblem(relative, ansi);
  if (!problem.empty()) Report.Problems.push_back(relative + ": " + problem);
  const auto earlier = Seen.emplace(FoldedName(ansi.empty() ? relative : ansi), relative);
  if (!earlier.second)
    Report.Problems.push_back(relative + ": the same name for Windows as " + earlier.first->second);
  const uintmax_t size = Entry.file_size(ec);
  if (ec) Report.Problems.push_back(relative + ": cannot be read");
  else if (size > uintmax_t(INT32_MAX))
    Report.Problems.push_back(relative + ": " + std::to_string(size) + " bytes, more than the archive holds (2 GiB)");
  Report.FileCount += 1;
  Report.TotalSize += int64_t(ec ? 0 : size);
}

}  // namespace

TQLFolderReport CheckProductFolder(const std::string& Folder) {
  TQLFolderReport report;
  std::error_code ec;
  if (!fs::is_directory(Folder, ec)) {
    report.Problems.push_back(Folder + ": no such folder");
    return report;
  }
  std::vector<fs::directory_entry> files;
  for (fs::recursive_directory_iterator it(Folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec)) files.push_back(*it);
  if (ec) report.Problems.push_back(Folder + ": cannot be listed: " + ec.message());
  // In name order, as they are packed.
  std::sort(files.begin(), files.end());
  std::map<std::string, std::string> seen;
  for (const fs::directory_entry& file : files) CheckFile(file, Folder, report, seen);
  if (report.FileCount == 0) {
    report.Problems.push_back(Folder + ": the folder holds no file");
    return report;
  }
  // Found in any letter case, as Windows finds them.
  for (const TQLRequiredFile& file : RequiredProductFiles)
    if (seen.count(file.Name) == 0)
      report.Problems.push_back(std::string(file.Name) + ": missing at the top of the folder (" + file.Role + ")");
  if (report.TotalSize > int64_t(INT32_MAX))
    report.Problems.push_back("the files add up to " + std::to_string(report.TotalSize) +
                              " bytes, more than the archive holds (2 GiB)");
  return report;
}
