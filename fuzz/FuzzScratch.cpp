#include "fuzz/FuzzScratch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

void RemoveScratch() {
  RemoveBelow(FuzzScratchFolder());
  rmdir(FuzzScratchFolder().c_str());
}

const std::string* MakeScratch() {
  const char* temp = std::getenv("TMPDIR");
  std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/ql-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  return new std::string(pattern);  // never destroyed: the exit handler still needs it
}

}  // namespace

const std::string& FuzzScratchFolder() {
  static const std::string* folder = MakeScratch();
  static const bool removedAtExit = std::atexit(RemoveScratch) == 0;
  (void)removedAtExit;
  return *folder;
}

void RemoveBelow(const std::string& Path) {
  DIR* dir = opendir(Path.c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string full = Path + "/" + name;
    struct stat st {};
    if (lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      RemoveBelow(full);
      rmdir(full.c_str());
    } else {
      unlink(full.c_str());
    }
  }
  closedir(dir);
}
