// Fuzz target: the extraction walk on the host disk. Each input is extracted
// into a fresh folder inside the target's scratch folder; every path the walk
// hands to the disk must stay inside it, and after the input nothing may
// exist in the scratch folder outside it. It is emptied between inputs.
#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/QLCatDiskHost.h"
#include "archive/QLCatExtract.h"
#include "archive/QLCatFormat.h"
#include "archive/QLMemoryStream.h"
#include "fuzz/FuzzScratch.h"

namespace {

std::string Destination() { return FuzzScratchFolder() + "/dest"; }

// True when Path, read with either separator and without any ".." or "."
// resolution by the system, names Destination() or something below it.
bool InsideDestination(const std::string& Path) {
  std::string p = HostPath(Path);
  const std::string dest = Destination() + "/";
  if (p.compare(0, dest.size(), dest) != 0 && p + "/" != dest) return false;
  size_t start = 0;
  for (size_t i = 0; i <= p.size(); ++i)
    if (i == p.size() || p[i] == '/') {
      if (p.compare(start, i - start, "..") == 0 && i - start == 2) return false;
      start = i + 1;
    }
  return true;
}

// The host disk, with every path checked before it is touched.
class TGuardedDisk : public TQLExtractDisk {
public:
  bool FileExists(const std::string& Path) override { return FHost.FileExists(Checked(Path)); }
  bool ClearAttributesAndDelete(const std::string& Path) override {
    return FHost.ClearAttributesAndDelete(Checked(Path));
  }
  void ForceFolder(const std::string& Folder) override { FHost.ForceFolder(Checked(Folder)); }
  std::unique_ptr<TQLOutputFile> CreateOutputFile(const std::string& Path) override {
    return FHost.CreateOutputFile(Checked(Path));
  }
  bool SetFileDateTime(const std::string& Path, TDateTime D) override {
    return FHost.SetFileDateTime(Checked(Path), D);
  }

private:
  static const std::string& Checked(const std::string& Path) {
    if (!InsideDestination(Path)) {
      std::fprintf(stderr, "extraction left its folder: %s\n", Path.c_str());
      std::abort();
    }
    return Path;
  }
  TQLHostDisk FHost;
};

class TAnswers : public TQLExtractPrompts {
public:
  TQLInUseAnswer AskCannotExtract(const std::string&) override { return TQLInUseAnswer::Ignore; }
  bool AskCannotCreate(const std::string&) override { return false; }
};

// The scratch folder holds nothing but the destination folder.
void CheckSandbox() {
  DIR* dir = opendir(FuzzScratchFolder().c_str());
  if (!dir) std::abort();
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != ".." && name != "dest") {
      std::fprintf(stderr, "extraction wrote outside its folder: %s\n", name.c_str());
      std::abort();
    }
  }
  closedir(dir);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > INT32_MAX) return 0;
  mkdir(Destination().c_str(), 0700);
  TQLMemoryStream stream;
  stream.Attach(Data, int32_t(Size));
  TGuardedDisk disk;
  TAnswers answers;
  TQLExtractContext context{disk, answers, nullptr, ""};
  ExtractArchive(Destination(), stream,
                 [](const std::string& FullName, int32_t, TDateTime) {
                   if (!InsideDestination(FullName)) std::abort();
                 },
                 context, ArchiveIdentifier);
  CheckSandbox();
  RemoveBelow(FuzzScratchFolder());
  return 0;
}
