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

constexpr DWORD kInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

TQLItemRemoval::TQLItemRemoval(const std::vector<std::string>& Roots) : FBounds(Roots), FSeparator(DateSeparator()) {
  for (const std::string& root : Roots) {
    const std::string inside = FBounds.FolderInside(root);
    if (inside.empty()) continue;
    FRoots.push_back(inside);
    NoteFolders(inside);
  }
}

void TQLItemRemoval::Remove(const TQLInstallItem& Item) {
  const std::string path = FBounds.FileInside(Item.Path);
  if (path.empty()) {
    // Recorded, but not a file of the installation: never touched.
    if (FileExists(Item.Path)) {
      SetupLog("file left alone (outside the installation folder): " + Item.Path);
      FOutcome.Outside.push_back(Item.Path);
    }
    return;
  }
  NoteFolders(ParentFolder(path));
  const std::optional<TQLListedFile> file = FListings.Find(path);
  if (!file) return;
  if (file->Attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    SetupLog("file left alone (a link): " + path);
    FOutcome.Outside.push_back(path);
    return;
  }
  if (!FDeleteAll && (file->Time != Item.Time || file->Size != Item.Size) && !Confirm(Item, file->Time, file->Size)) {
    SetupLog("file kept (changed since installation): " + path);
    return;
  }
  DeleteOrQueue(path, file->Attributes);
}

void TQLItemRemoval::DeleteOrQueue(const std::string& Path, uint32_t Attributes) {
  // Read-only, hidden and system files go too: the attributes would stop
  // the delete, now and at the next start.
  if (Attributes & kInTheWay) SetFileAttributesA(Path.c_str(), (Attributes & ~kInTheWay) | FILE_ATTRIBUTE_ARCHIVE);
  if (DeleteFileA(Path.c_str()) || GetFileAttributesA(Path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    SetupLog("file removed: " + Path);
    return;
  }
  if (DeleteFileAtReboot(Path)) {  // in use: it goes at the next start
    FOutcome.Queued.push_back(Path);
    return;
  }
  SetupLog("error: file could not be deleted: " + Path);
  FOutcome.Stuck.push_back(Path);
}

bool TQLItemRemoval::Confirm(const TQLInstallItem& Item, TDateTime Time, int32_t Size) {
  switch (MessageDlg(ChangedFileQuestion(Item, Time, Size, FSeparator), mtWarning, mbYes | mbNo | mbAll)) {
    case mrAll: FDeleteAll = true; return true;
    case mrYes: return true;
    default: return false;
  }
}

void TQLItemRemoval::NoteFolders(const std::string& Folder) {
  for (const std::string& root : FRoots)
    for (const std::string& f : FoldersUpTo(Folder, root))
      if (std::find(FFolders.begin(), FFolders.end(), f) == FFolders.end()) FFolders.push_back(f);
}

bool TQLItemRemoval::HoldsQueuedFile(const std::string& Folder) const {
  return std::any_of(FOutcome.Queued.begin(), FOutcome.Queued.end(),
                     [&](const std::string& f) { return IsSameOrAbove(Folder, f); });
}

void TQLItemRemoval::RemoveFolders(const TQLFolderSafety& Safety) {
  std::vector<std::string> folders = FFolders;
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  TQLComparablePaths forms;
  for (const std::string& folder : folders) {
    if (FBounds.FolderInside(folder).empty() || !Safety.MayRemove(folder, forms) || RemoveDirectoryA(folder.c_str()))
      continue;
    // A folder kept only by a file left to the next start goes after it.
    if (IsNTFamily() && HoldsQueuedFile(folder)) DeleteFileAtReboot(folder);
  }
}
