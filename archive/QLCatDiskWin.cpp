#include "archive/QLCatDiskWin.h"

#include <windows.h>

#include "records/QLDeferredFileOps.h"
#include "shell/QLFileUtils.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

namespace {

// Sets the creation, access and write times of the open File to D taken as
// local time, within the years SetFileDateTime accepts.
bool SetHandleDateTime(HANDLE File, TDateTime D) {
  TQLDateFields f = DecodeDateTime(D);
  if (f.Year <= 1980 || f.Year >= 2099) return false;
  SYSTEMTIME st{};
  st.wYear = WORD(f.Year);
  st.wMonth = WORD(f.Month);
  st.wDay = WORD(f.Day);
  st.wHour = WORD(f.Hour);
  st.wMinute = WORD(f.Minute);
  st.wSecond = WORD(f.Second);
  st.wMilliseconds = WORD(f.Millisecond);
  FILETIME local, utc;
  return SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc) &&
         SetFileTime(File, &utc, &utc, &utc);
}

class TWinOutputFile : public TQLOutputFile {
public:
  TWinOutputFile(std::string Path, TQLFileHandle Handle) : FPath(std::move(Path)), FHandle(std::move(Handle)) {}
  ~TWinOutputFile() override {
    if (!FHandle) return;
    FHandle.Reset();
    DeleteFileA(FPath.c_str());  // never leave half a file behind
  }
  bool Write(const void* Data, int32_t Count) override {
    DWORD written = 0;
    return WriteFile(FHandle.Get(), Data, DWORD(Count), &written, nullptr) && written == DWORD(Count);
  }
  bool SetDate(TDateTime D) override { return SetHandleDateTime(FHandle.Get(), D); }
  bool Close() override { return CloseHandle(FHandle.Release()) != FALSE; }

private:
  std::string FPath;
  TQLFileHandle FHandle;
};

class TWinDisk : public TQLExtractDisk {
public:
  explicit TWinDisk(TQLDiskKeeper* Keeper) : FKeeper(Keeper) {}
  bool FileExists(const std::string& Path) override { return FKeeper ? FKeeper->HoldsFile(Path) : ::FileExists(Path); }
  bool ClearAttributesAndDelete(const std::string& Path) override { return DeleteFileIfExists(Path); }
  bool MakeWay(const std::string& Path) override {
    return FKeeper ? FKeeper->KeepAside(Path) : DeleteFileIfExists(Path);
  }
  void WillWrite(const std::string& Target, int32_t Size, TDateTime Date) override {
    if (FKeeper) FKeeper->WillWrite(Target, Size, Date);
  }
  void ForceFolder(const std::string& Folder) override {
    if (FKeeper)
      FKeeper->MakeFolders(Folder);
    else
      ForceDirectories(Folder);
  }
  std::unique_ptr<TQLOutputFile> CreateOutputFile(const std::string& Path) override {
    // The way was cleared: a file that appeared since is not written over.
    TQLFileHandle h(CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, FKeeper ? CREATE_NEW : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return nullptr;
    return std::make_unique<TWinOutputFile>(Path, std::move(h));
  }
  bool SetFileDateTime(const std::string& Path, TDateTime D) override { return ::SetFileDateTime(Path, D); }
  bool ReplaceAtRestart(const std::string& Written, const std::string& Target) override {
    if (FKeeper) FKeeper->WillReplaceAtRestart(Written, Target);
    if (!ReplaceFileAtReboot(Written, Target)) return false;
    ++LeftForRestart;
    return true;
  }
  int32_t LeftForRestart = 0;

private:
  TQLDiskKeeper* FKeeper;
};

class TDialogPrompts : public TQLExtractPrompts {
public:
  TQLInUseAnswer AskCannotExtract(const std::string& Text) override {
    switch (MessageDlg(Text, mtError, mbCancel | mbRetry | mbIgnore)) {
      case mrCancel: Cancelled = true; return TQLInUseAnswer::Cancel;
      case mrReplaceAtRestart: return TQLInUseAnswer::ReplaceAtRestart;
      case mrIgnore: return TQLInUseAnswer::Ignore;
      default: return TQLInUseAnswer::Retry;
    }
  }
  bool AskCannotCreate(const std::string& Text) override { return MessageDlg(Text, mtError, mbOK | mbAll) == mrAll; }
  bool Cancelled = false;
};

}  // namespace

bool SetFileDateTime(const std::string& Path, TDateTime D) {
  TQLFileHandle h(CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return h && SetHandleDateTime(h.Get(), D);
}

bool ExtractArchive(const std::string& DestFolder, TQLTurboStream& Stream, const TQLExtractedProc& OnExtracted,
                    const std::string& DateText, const TQLProgressProc& OnProgress, uint64_t Identifier,
                    TQLExtractReport* Report, TQLDiskKeeper* Keeper) {
  TWinDisk disk(Keeper);
  TDialogPrompts prompts;
  TQLExtractContext context{disk, prompts, OnProgress, DateText};
  const bool extracted = ExtractArchive(DestFolder, Stream, OnExtracted, context, Identifier);
  if (!context.Failure.empty()) SetupLog("error: the extraction stopped: " + context.Failure);
  if (Report) {
    Report->Cancelled = !extracted && prompts.Cancelled;
    Report->LeftForRestart = disk.LeftForRestart;
  }
  return extracted;
}
