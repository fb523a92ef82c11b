#include "records/QLItemRemoval.h"

#include <windows.h>

#include <algorithm>

#include "records/QLDeferredFileOps.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPathRules.h"
#include "shell/QLPlatform.h"
#include "shell/QLSetupLog.h"
#include "ui/QLDialogs.h"

namespace {

std::string DateSeparator() {
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator) <= 1) return "/";
  return separator;
}

size_t Depth(const std::string& Folder) { return size_t(std::count(Folder.begin(), Folder.end(), '\\')); }

}  // namespace

TQLItemRemoval::TQLItemRemoval(std::vector<std::string> Roots) : FRoots(std::move(Roots)), FSeparator(DateSeparator()) {
  for (const std::string& root : FRoots) NoteFolders(root);
}

void TQLItemRemoval::Remove(const TQLInstallItem& Item) {
  NoteFolders(ParentFolder(Item.Path));
  if (!FileExists(Item.Path)) return;
  const TDateTime time = FileDateTimeOf(Item.Path);
  const int32_t size = FileSizeOf(Item.Path);
  if (size < 0) return;
  if (!FDeleteAll && (time != Item.Time || size != Item.Size) && !Confirm(Item, time, size)) {
    SetupLog("file kept (changed since installation): " + Item.Path);
    return;
  }
  if (DeleteFileA(Item.Path.c_str()) || !FileExists(Item.Path)) {
    SetupLog("file removed: " + Item.Path);
    return;
  }
  DeleteFileAtReboot(Item.Path);  // in use: it goes at the next start
  FQueued.push_back(Item.Path);
}

bool TQLItemRemoval::Confirm(const TQLInstallItem& Item, TDateTime Time, int32_t Size) {
  switch (MessageDlg(ChangedFileQuestion(Item, Time, Size, FSeparator), mtWarning, mbYes | mbNo | mbAll)) {
    case mrAll: FDeleteAll = true; return true;
    case mrYes: return true;
    default: return false;
  }
}

void TQLItemRemoval::NoteFolders(const std::string& Folder) {
  const std::string folder = FullPathOf(Folder);
  for (const std::string& root : FRoots)
    for (const std::string& f : FoldersUpTo(folder, FullPathOf(root)))
      if (std::find(FFolders.begin(), FFolders.end(), f) == FFolders.end()) FFolders.push_back(f);
}

bool TQLItemRemoval::HoldsQueuedFile(const std::string& Folder) const {
  return std::any_of(FQueued.begin(), FQueued.end(), [&](const std::string& f) { return IsSameOrAbove(Folder, f); });
}

void TQLItemRemoval::RemoveFolders(const TQLFolderSafety& Safety) {
  std::vector<std::string> folders = FFolders;
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  for (const std::string& folder : folders) {
    if (!Safety.MayRemove(folder) || RemoveDirectoryA(folder.c_str())) continue;
    // A folder kept only by a file left to the next start goes after it.
    if (IsNTFamily() && HoldsQueuedFile(folder)) DeleteFileAtReboot(folder);
  }
}
