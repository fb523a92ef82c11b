// qlcat's extraction on the build machine: the portable extraction walk over
// a POSIX disk. Archive paths use backslashes; they become slashes here.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "archive/QLCatExtract.h"
#include "archive/QLCatFormat.h"
#include "tools/qlcat/QLCatTool.h"

namespace {

std::string HostPath(std::string Path) {
  std::replace(Path.begin(), Path.end(), '\\', '/');
  return Path;
}

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

class THostDisk : public TQLExtractDisk {
public:
  bool FileExists(const std::string& Path) override {
    struct stat st {};
    return stat(HostPath(Path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }
  bool ClearAttributesAndDelete(const std::string& Path) override { return unlink(HostPath(Path).c_str()) == 0; }
  void ForceFolder(const std::string& Folder) override {
    std::string path = HostPath(Folder);
    for (size_t i = 1; i <= path.size(); ++i)
      if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
  }
  std::unique_ptr<TQLOutputFile> CreateOutputFile(const std::string& Path) override {
    std::string path = HostPath(Path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return nullptr;
    return std::make_unique<THostOutputFile>(path, f);
  }
  bool SetFileDateTime(const std::string& Path, TDateTime D) override {
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
};

class TReportingPrompts : public TQLExtractPrompts {
public:
  explicit TReportingPrompts(std::ostream& Err) : FErr(Err) {}
  TQLInUseAnswer AskCannotExtract(const std::string& Text) override {
    Report(Text);
    return TQLInUseAnswer::Cancel;
  }
  bool AskCannotCreate(const std::string& Text) override {
    Report(Text);
    return false;
  }
  bool Failed() const { return FFailed; }

private:
  void Report(std::string Text) {
    std::replace(Text.begin(), Text.end(), '\r', ' ');
    FErr << "qlcat: " << Text << '\n';
    FFailed = true;
  }
  std::ostream& FErr;
  bool FFailed = false;
};

}  // namespace

bool ExtractArchiveToFolder(TQLTurboStream& Archive, const std::string& Dest, std::ostream& Out, std::ostream& Err) {
  THostDisk disk;
  TReportingPrompts prompts(Err);
  TQLExtractContext context{disk, prompts, nullptr, ""};
  int32_t files = 0;
  bool ok = ExtractArchive(Dest, Archive, [&](const std::string&, int32_t, TDateTime) { ++files; }, context,
                           ArchiveIdentifier);
  if (!ok && !prompts.Failed()) Err << "qlcat: the archive is broken or belongs to another setup\n";
  if (ok && !prompts.Failed()) Out << "extracted " << files << " files\n";
  return ok && !prompts.Failed();
}
