// Fuzz target: the product folder check of qlcat check. The input is split
// at new lines into up to eight relative file names (UTF-8, "/" between
// folders), each made as a small file in a fresh folder inside the target's
// scratch folder. Every file made must be counted, and a folder that passes
// must hold only names the archive can store and the installer accepts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cerrno>
#include <string>
#include <vector>

#include "archive/QLAnsiName.h"
#include "archive/QLCatDec.h"
#include "fuzz/FuzzScratch.h"
#include "tools/qlcat/QLProductFolderCheck.h"

namespace {

// Makes Relative below Folder with its parent folders; false when a step is
// not a plain name or something else already stands in its way.
bool MakeFile(const std::string& Folder, const std::string& Relative) {
  std::string path = Folder;
  size_t start = 0;
  for (size_t i = 0; i <= Relative.size(); ++i) {
    if (i < Relative.size() && Relative[i] != '/') continue;
    const std::string step = Relative.substr(start, i - start);
    if (step.empty() || step == "." || step == ".." || step.size() > 200) return false;
    path += "/" + step;
    start = i + 1;
    if (i < Relative.size() && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
  if (fd < 0) return false;
  const bool written = write(fd, "x", 1) == 1;
  close(fd);
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string folder = FuzzScratchFolder() + "/product";
  RemoveBelow(FuzzScratchFolder());
  mkdir(folder.c_str(), 0700);
  std::vector<std::string> names(1);
  for (size_t i = 0; i < Size && names.size() <= 8; ++i) {
    if (Data[i] == '\n') names.emplace_back();
    else if (Data[i] != 0) names.back() += char(Data[i]);
  }
  std::vector<std::string> made;
  for (const std::string& n : names)
    if (MakeFile(folder, n)) made.push_back(n);
  const TQLFolderReport report = CheckProductFolder(folder);
  if (report.FileCount != int32_t(made.size())) std::abort();
  if (!report.Problems.empty()) return 0;
  for (const std::string& n : made) {
    std::string ansi;
    if (!Utf8ToAnsiName(n, ansi)) std::abort();
    for (char& c : ansi)
      if (c == '/') c = '\\';
    if (!IsSafeEntryName(ansi)) std::abort();
  }
  return 0;
}
