#include "app/QLInstallTransaction.h"

#include <windows.h>

#include <algorithm>

#include "plugin/UPluginSetup.h"
#include "records/QLDeferredFileOps.h"
#include "records/QLInstallRegistory.h"
#include "records/QLKeptItems.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPathRules.h"
#include "shell/QLSetupLog.h"
#include "shell/QLShortCut.h"

namespace {

// The key holding Key ("A\\B" holds "A\\B\\C"); empty for a key below the root.
std::string ParentKey(const std::string& Key) {
  const size_t slash = Key.rfind('\\');
  return slash == std::string::npos ? std::string() : Key.substr(0, slash);
}

TQLJournalEntry Entry(TQLJournalKind Kind, const std::string& Path, bool Ours) {
  TQLJournalEntry entry;
  entry.Kind = Kind;
  entry.Path = Path;
  entry.Ours = Ours;
  return entry;
}

TQLJournalEntry KeyEntry(TQLJournalKind Kind, const std::string& Root, const std::string& Key, const TQLKeyTree& Tree,
                         bool Ours) {
  TQLJournalEntry entry = Entry(Kind, KeptKeyPath(Root, Key), Ours || !Tree.Existed);
  entry.Data = EncodeKeyTree(Tree);
  return entry;
}

// A step of the undoing that fails is logged and the rest goes on: what
// can be put back is put back.
template <typename F>
void Undo(const std::string& What, F Step) {
  try {
    if (!Step()) SetupLog("error: rollback could not restore " + What);
  } catch (const std::exception& e) {
    SetupLog("error: rollback could not restore " + What + ": " + e.what());
  }
}

// The run's own files: every item record from its first on, with the files
// they name, and the files it made outside the list.
void RemoveFilesOfTheRun(const TQLJournalRun& Run, const std::vector<TQLJournalEntry>& Entries) {
  std::set<std::string> queued;  // files in use the run only queued a replacement for
  for (const TQLJournalEntry& entry : Entries)
    if (entry.Kind == TQLJournalKind::ReplaceQueued) {
      queued.insert(ComparablePathOf(entry.Path));
      DeleteFileIfExists(entry.Backup);
    }
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  for (const TQLStoredItem& stored : StoredInstallItems(Run.FirstItem)) {
    if (stored.Damage.empty() && !queued.count(ComparablePathOf(stored.Item.Path)) &&
        DeleteFileIfExists(stored.Item.Path))
      SetupLog("file removed: " + stored.Item.Path);
    if (registry.OpenKey(InstallItemGroupPath(stored.Index), false))
      registry.DeleteValue(InstallItemValueName(stored.Index));
  }
  for (const TQLJournalEntry& entry : Entries)
    if (entry.Kind == TQLJournalKind::FileMade && DeleteFileIfExists(entry.Path))
      SetupLog("file removed: " + entry.Path);
}

void PutBackWhatWasKept(const std::vector<TQLJournalEntry>& Entries) {
  for (auto it = Entries.rbegin(); it != Entries.rend(); ++it) {
    switch (it->Kind) {
      case TQLJournalKind::FileKept:
      case TQLJournalKind::FileSaved:
      case TQLJournalKind::KeyKept:
      case TQLJournalKind::ValuesKept:
      case TQLJournalKind::KeyMade: Undo(it->Path, [&] { return PutBack(*it, true); }); break;
      default: break;
    }
  }
}

void RemoveFoldersOfTheRun(const std::vector<TQLJournalEntry>& Entries) {
  for (auto it = Entries.rbegin(); it != Entries.rend(); ++it)
    if (it->Kind == TQLJournalKind::FolderMade && RemoveDirectoryA(it->Path.c_str()))
      SetupLog("folder removed: " + it->Path);
}

// What an uninstall had left to go at the next start goes then again, in
// the order it was queued.
void QueueWithdrawnDeletesAgain(const std::vector<TQLJournalEntry>& Entries) {
  for (const TQLJournalEntry& entry : Entries)
    if (entry.Kind == TQLJournalKind::DeleteWithdrawn && (FileExists(entry.Path) || DirectoryExists(entry.Path)))
      DeleteFileAtReboot(entry.Path);
}

bool RollBackRun(const TQLRunJournal& Journal) {
  const TQLJournalRun& run = Journal.Run();
  const std::vector<TQLJournalEntry>& entries = Journal.Entries();
  SetupLog("rollback: undoing the run into " + run.AppPath);
  const std::string control = run.AppPath + "\\axpqeng.dll";
  if (!run.EarlierInstalled && FileExists(control)) UnregisterActiveXControl(run.AppPath);
  RemoveFilesOfTheRun(run, entries);
  PutBackWhatWasKept(entries);
  RemoveFoldersOfTheRun(entries);
  QueueWithdrawnDeletesAgain(entries);
  if (run.EarlierInstalled) {
    TQLRunJournal::Remove();
    SetupLog("rollback: the earlier installation is as it was");
  } else {
    TQLRegistry registry(HKEY_LOCAL_MACHINE);
    registry.DeleteKey(kUninstallKey);
    registry.DeleteKey(kProductKey);  // the journal with it
    DeleteVendorKeyIfEmpty(HKEY_LOCAL_MACHINE);
    SetupLog("rollback: nothing of the run is left");
  }
  return run.EarlierInstalled;
}

// Earlier and Run: the earlier installation's records as the run found them
// and the run's own as it wrote them, when the run finishing is this
// process's own.
void FinishRun(const TQLRunJournal& Journal, const std::vector<TQLStoredItem>* Earlier,
               const std::vector<TQLStoredItem>* Run) {
  MergeInstallItems(Journal.Run().FirstItem, Earlier, Run);
  const std::vector<TQLJournalEntry>& entries = Journal.Entries();
  for (const TQLJournalEntry& entry : entries) {
    switch (entry.Kind) {
      case TQLJournalKind::FileKept:
      case TQLJournalKind::FileSaved:
      case TQLJournalKind::KeyKept:
      case TQLJournalKind::ValuesKept:
      case TQLJournalKind::KeyMade:
        if (entry.Ours)
          DropKept(entry);
        else if (IsKept(entry))
          KeepForLifetime(entry);
        else
          SetupLog("nothing kept (gone before it was moved aside): " + entry.Path);
        break;
      default: break;
    }
  }
  // The kept-files folders the run made go when nothing is kept in them.
  const std::string kept = KeptFilesFolder(Journal.Run().AppPath);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (it->Kind == TQLJournalKind::FolderMade && IsWithinFolder(kept, it->Path)) RemoveDirectoryA(it->Path.c_str());
  TQLRunJournal::Remove();
}

}  // namespace

TQLInstallTransaction::TQLInstallTransaction(const std::string& AppPath)
    : FAppPath(AppPath),
      FEarlier(TQLEarlierInstallation::Read()),
      FJournal(TQLRunJournal::Start({AppPath, FEarlier.ItemCount(), FEarlier.Exists(), false})) {
  for (const TQLStoredItem& stored : FEarlier.Items())
    if (stored.Damage.empty() && stored.Index < FEarlier.ItemCount())
      FEarlierFiles[FComparable.Of(stored.Item.Path)] = stored.Item;
}

void TQLInstallTransaction::AddEntry(const TQLJournalEntry& Entry) { FJournal.Add(Entry); }

void TQLInstallTransaction::KeepShortCuts(const std::vector<std::string>& Names) {
  for (const std::string& name : Names)
    for (const std::string& file : ShortCutFilesOf(name)) {
      AddEntry(SavedFileEntry(file, FEarlier.Exists()));
      SetupLog("shortcut kept: " + file);
    }
}

void TQLInstallTransaction::KeepOwnRecords() {
  AddEntry(KeyEntry(TQLJournalKind::KeyKept, "HKLM", kUninstallKey, ReadKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey, false), true));
  AddEntry(KeyEntry(TQLJournalKind::KeyKept, "HKLM", kSectionKey, ReadKeyTree(HKEY_LOCAL_MACHINE, kSectionKey, false), true));
  AddEntry(KeyEntry(TQLJournalKind::ValuesKept, "HKLM", kUninstallInfoKey,
                    ReadKeyTree(HKEY_LOCAL_MACHINE, kUninstallInfoKey, true), true));
}

void TQLInstallTransaction::KeepFileTypes(const TQLRegistExt* Table, int Count) {
  std::set<std::string> kept;
  for (int i = 0; i < Count; ++i) {
    const TQLRegistExt& row = Table[i];
    if (row.Ext.empty()) continue;
    if (kept.insert(row.Ext).second) {
      const TQLKeyTree tree = ReadKeyTree(HKEY_CLASSES_ROOT, row.Ext, false);
      AddEntry(KeyEntry(TQLJournalKind::KeyKept, "HKCR", row.Ext, tree, KeyTreeHolds(tree, FileTypeExtensionTree(row))));
    }
    if (kept.insert(row.ProgID).second) {
      const TQLKeyTree tree = ReadKeyTree(HKEY_CLASSES_ROOT, row.ProgID, false);
      // What this product writes for an installation folder on record, or
      // for this one (left by an installation whose records are gone).
      std::vector<std::string> roots = FEarlier.Folders();
      roots.push_back(FAppPath);
      const bool ours = std::any_of(roots.begin(), roots.end(), [&](const std::string& root) {
        return KeyTreeHolds(tree, FileTypeClassTree(row, root));
      });
      AddEntry(KeyEntry(TQLJournalKind::KeyKept, "HKCR", row.ProgID, tree, ours));
    }
  }
}

void TQLInstallTransaction::KeepKey(const std::string& Root, const std::string& Key, bool ForTheUninstall) {
  // The keys above it that are not there yet are made with it: they go again
  // when nothing is left in them.
  TQLRegistry registry(KeptKeyRoot(Root));
  std::vector<std::string> missing;
  for (std::string above = ParentKey(Key); !above.empty() && !registry.KeyExists(above); above = ParentKey(above))
    missing.push_back(above);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (FMadeKeys.insert(KeptKeyPath(Root, *it)).second) AddEntry(Entry(TQLJournalKind::KeyMade, KeptKeyPath(Root, *it), false));
  const TQLKeyTree tree = ReadKeyTree(KeptKeyRoot(Root), Key, false);
  AddEntry(KeyEntry(TQLJournalKind::KeyKept, Root, Key, tree, FEarlier.Exists() || !ForTheUninstall));
}

void TQLInstallTransaction::NoteLeftovers(const std::vector<std::string>& Paths) {
  for (const std::string& path : Paths) {
    FLeftovers.insert(path);
    AddEntry(Entry(TQLJournalKind::DeleteWithdrawn, path, true));
  }
}

void TQLInstallTransaction::WillCreate(const std::string& Path) {
  MakeFolders(ParentFolder(Path));
  AddEntry(Entry(TQLJournalKind::FileMade, Path, true));
  FWritten.insert(FComparable.Of(Path));
}

bool TQLInstallTransaction::IsEarlierFile(const std::string& Path) {
  const std::string comparable = FComparable.Of(Path);
  if (FLeftovers.count(comparable)) return true;
  const auto found = FEarlierFiles.find(comparable);
  if (found == FEarlierFiles.end()) return false;
  // Each earlier file is asked about once, before the run touches it: its
  // folder's listing, read at the first such question, still describes it.
  const std::optional<TQLListedFile> file = FEarlierListings.Find(Path);
  return file && file->Size == found->second.Size && file->Time == found->second.Time;
}

// A group folder that is there already holds what an earlier run kept for
// the uninstall: the run keeps its files in folders of its own, so that a
// name it moves to is never taken.
std::string TQLInstallTransaction::FreshKeptFile() {
  const std::string kept = KeptFilesFolder(FAppPath) + "\\";
  if (FKeptFiles % kKeptFilesPerFolder == 0)
    while (DirectoryExists(ParentFolder(kept + KeptFileName(FKeptFiles)))) FKeptFiles += kKeptFilesPerFolder;
  return kept + KeptFileName(FKeptFiles++);
}

bool TQLInstallTransaction::KeepFile(const std::string& Path, bool Ours) {
  TQLJournalEntry entry = Entry(TQLJournalKind::FileKept, Path, Ours);
  entry.Backup = FreshKeptFile();
  MakeFolders(ParentFolder(entry.Backup));
  AddEntry(entry);
  // Never over another file; one gone meanwhile leaves the way clear. A
  // file on another volume (a browser's plug-in folder) is copied there.
  if (MoveFileExA(Path.c_str(), entry.Backup.c_str(), MOVEFILE_COPY_ALLOWED)) {
    if (!Ours) SetupLog("kept aside (not the product's own): " + Path + " as " + entry.Backup);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  const std::string comparable = FComparable.Of(Path);
  FWritten.erase(comparable);
  FMovedAway.insert(comparable);
  return true;
}

void TQLInstallTransaction::KeepBrowserPluginFiles(const std::vector<std::string>& PluginFolders) {
  std::set<std::string> seen;  // two browsers may share a folder
  for (const std::string& folder : PluginFolders) {
    if (!seen.insert(ComparablePathOf(folder)).second) continue;
    const TQLPluginFiles files = PluginFilesIn(folder);
    if (!FileExists(files.Written))
      WillCreate(files.Written);
    else if (!KeepFile(files.Written, FEarlier.Exists()))
      SetupLog("error: could not be kept aside: " + files.Written);
    for (const std::string& file : files.Deleted)
      if (FileExists(file) && !KeepFile(file, false)) SetupLog("error: could not be kept aside: " + file);
  }
}

bool TQLInstallTransaction::HoldsFile(const std::string& Path) {
  const std::string comparable = FComparable.Of(Path);
  if (FWritten.count(comparable)) return true;
  if (FMovedAway.count(comparable) || FMadeFolders.count(WithoutTrailingSeparators(ParentFolder(Path)))) return false;
  return FEarlierListings.Find(Path).has_value();
}

template <typename F>
auto TQLInstallTransaction::Noting(F Step) -> decltype(Step()) {
  try {
    return Step();
  } catch (const std::exception& e) {
    FDiskError = e.what();
    throw;
  }
}

bool TQLInstallTransaction::KeepAside(const std::string& Path) {
  return Noting([&] { return KeepFile(Path, IsEarlierFile(Path)); });
}

void TQLInstallTransaction::MakeFolders(const std::string& Path) {
  Noting([&] { MakeFoldersOf(Path); });
}

void TQLInstallTransaction::MakeFoldersOf(const std::string& Path) {
  const std::string folder = WithoutTrailingSeparators(Path);
  if (IsDriveOrShareRoot(folder) || FFolders.count(folder)) return;
  if (!DirectoryExists(folder)) {
    MakeFoldersOf(ParentFolder(folder));
    AddEntry(Entry(TQLJournalKind::FolderMade, folder, true));
    if (CreateDirectoryA(folder.c_str(), nullptr)) FMadeFolders.insert(folder);
  }
  FFolders.insert(folder);
}

void TQLInstallTransaction::WillWrite(const std::string& Target, int32_t Size, TDateTime Date) {
  Noting([&] {
    FRecorder.Add(Target, Size, Date);
    FWritten.insert(FComparable.Of(Target));
  });
}

void TQLInstallTransaction::WillReplaceAtRestart(const std::string& Written, const std::string& Target) {
  TQLJournalEntry entry = Entry(TQLJournalKind::ReplaceQueued, Target, true);
  entry.Backup = Written;
  AddEntry(entry);
}

void TQLInstallTransaction::Commit() {
  FJournal.MarkFinished();
  FinishRun(FJournal, &FEarlier.Items(), &FRecorder.Added());
}

bool TQLInstallTransaction::RollBack() {
  try {
    return RollBackRun(FJournal);
  } catch (const std::exception& e) {
    SetupLog(std::string("error: rollback failed: ") + e.what());
    return FJournal.Run().EarlierInstalled;
  }
}

TQLRecovery RecoverStoppedRun() {
  const std::optional<TQLRunJournal> journal = TQLRunJournal::Find();
  if (!journal) return {};
  TQLRecovery recovery{true, journal->Run().AppPath};
  if (journal->Run().AppPath.empty()) {
    SetupLog("error: the journal of a stopped run cannot be read; it is removed");
    TQLRunJournal::Remove();
    return recovery;
  }
  if (journal->Run().Finished) {
    SetupLog("recovery: a run into " + journal->Run().AppPath + " was stopped after its work; finishing it");
    FinishRun(*journal, nullptr, nullptr);
  } else {
    SetupLog("recovery: a run into " + journal->Run().AppPath + " was stopped before its end; undoing it");
    RollBackRun(*journal);
  }
  return recovery;
}
