#include "archive/QLCatDiskHost.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

std::string HostPath(std::string Path) {
  std::replace(Path.begin(), Path.end(), '\\', '/');
  return Path;
}

namespace {

class THostOutputFile : public TQLOutputFile {
 public:
  THostOutputFile(std::string Path, std::FILE* File) : FPath(std::move(Path)), FFile(File) {}
  ~THostOutputFile() override {
    if (!FFile) return;
    std::fclose(FFile);
    std::remove(FPath.c_str());
  }
  bool Write(const void* Data, int32_t Count) override {
    return std::fwrite(Data, 1, size_t(Count), FFile) == size_t(Count);
  }
  bool Close() override {
    bool ok = std::fclose(FFile) == 0;
    FFile = nullptr;
    return ok;
  }

 private:
  std::string FPath;
  std::FILE* FFile;
};

}  // namespace

bool TQLHostDisk::FileExists(const std::string& Path) {
  struct stat st {};
  return stat(HostPath(Path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
bool TQLHostDisk::ClearAttributesAndDelete(const std::string& Path) { return unlink(HostPath(Path).c_str()) == 0; }
void TQLHostDisk::ForceFolder(const std::string& Folder) {
  std::string path = HostPath(Folder);
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
}
std::unique_ptr<TQLOutputFile> TQLHostDisk::CreateOutputFile(const std::string& Path) {
  std::string path = HostPath(Path);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return nullptr;
  return std::make_unique<THostOutputFile>(path, f);
}
bool TQLHostDisk::SetFileDateTime(const std::string& Path, TDateTime D) {
  TQLDateFields f = DecodeDateTime(D);
  if (f.Year <= 1980 || f.Year >= 2099) return false;
  std::tm local{};
  local.tm_year = f.Year - 1900;
  local.tm_mon = f.Month - 1;
  local.tm_mday = f.Day;
  local.tm_hour = f.Hour;
  local.tm_min = f.Minute;
  local.tm_sec = f.Second;
  local.tm_isdst = -1;
  struct timeval times[2];
  times[0].tv_sec = times[1].tv_sec = std::mktime(&local);
  times[0].tv_usec = times[1].tv_usec = f.Millisecond * 1000;
  return utimes(HostPath(Path).c_str(), times) == 0;
}
