// One installation run as a transaction. Before the run creates or replaces
// anything it writes down in the run journal what it is about to do, and
// keeps aside what is there: files at product paths moved into the
// installation's kept-files folder, the shortcuts it removes saved, and the
// registry keys it rewrites taken as snapshots. When the run has finished,
// what belonged to an earlier installation of the product is dropped and
// anything else is kept for the uninstall to put back; when the run fails or
// is cancelled, or was stopped and is found at the next start, everything it
// did is undone and the machine is as it was before it. Registry write
// errors propagate as EQLRegistryError.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/QLCatDiskWin.h"
#include "records/QLInstallItem.h"
#include "records/QLItemRecorder.h"
#include "records/QLReinstallRecords.h"
#include "records/QLRunJournal.h"
#include "shell/QLFolderListing.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLRegistExt.h"

class TQLInstallTransaction : public TQLDiskKeeper {
public:
  // Reads what an earlier installation recorded and starts the journal of
  // a run into AppPath.
  explicit TQLInstallTransaction(const std::string& AppPath);

  const TQLEarlierInstallation& Earlier() const { return FEarlier; }

  // The shortcuts the run is about to remove (of these names), saved.
  void KeepShortCuts(const std::vector<std::string>& Names);
  // The uninstall registration, the product section and the values of the
  // uninstall information as they are, before the run rewrites them.
  void KeepOwnRecords();
  // The file-type keys of the table's rows as they are.
  void KeepFileTypes(const TQLRegistExt* Table, int Count);
  // Any key the run is about to rewrite, below HKEY_CLASSES_ROOT ("HKCR"),
  // HKEY_LOCAL_MACHINE ("HKLM") or HKEY_CURRENT_USER ("HKCU"). Another
  // owner's key is put back by the uninstall when ForTheUninstall holds;
  // otherwise only an undone run puts it back.
  void KeepKey(const std::string& Root, const std::string& Key, bool ForTheUninstall);
  // Paths (ComparablePathOf form) whose delete at the next start the run
  // withdrew: what an uninstall left is the product's own.
  // An undone run queues their deletes again.
  void NoteLeftovers(const std::vector<std::string>& Paths);
  // A file the run writes where nothing of its kind was.
  void WillCreate(const std::string& Path);
  // A file at Path, moved aside; Ours when it is an earlier installation's.
  bool KeepFile(const std::string& Path, bool Ours);
  // The files the browser plug-in installation writes and deletes in the
  // browsers' plug-in folders: each one there kept aside (the plug-in of an
  // earlier installation as its own, anything else for the uninstall to put
  // back), each one written noted as the run's.
  void KeepBrowserPluginFiles(const std::vector<std::string>& PluginFolders);

  // TQLDiskKeeper: the extraction's files, folders and replacements.
  bool HoldsFile(const std::string& Path) override;
  bool KeepAside(const std::string& Path) override;
  void MakeFolders(const std::string& Folder) override;
  void WillWrite(const std::string& Target, int32_t Size, TDateTime Date) override;
  void WillReplaceAtRestart(const std::string& Written, const std::string& Target) override;

  // Why the extraction's last call here failed ("" when none did): the
  // walk itself reports a failure only as its result.
  const std::string& DiskError() const { return FDiskError; }

  // The run has done its work: the item list merged, what was kept aside
  // dropped or kept for the uninstall, the journal removed.
  void Commit();
  // The run failed or was cancelled: everything undone (a step that fails
  // is logged, and the others go on). True when an earlier installation was
  // there and is as it was.
  bool RollBack();

private:
  template <typename F>
  auto Noting(F Step) -> decltype(Step());
  bool IsEarlierFile(const std::string& Path);
  std::string FreshKeptFile();
  void MakeFoldersOf(const std::string& Folder);
  void AddEntry(const TQLJournalEntry& Entry);

  std::string FAppPath;
  TQLEarlierInstallation FEarlier;
  TQLRunJournal FJournal;
  TQLItemRecorder FRecorder;
  TQLComparablePaths FComparable;
  std::map<std::string, TQLInstallItem> FEarlierFiles;  // comparable path -> latest earlier record
  TQLFolderListings FEarlierListings;                    // their folders as the run found them
  std::set<std::string> FFolders;                      // folders known to exist
  std::set<std::string> FMadeFolders;                  // of these, the ones the run made
  std::set<std::string> FWritten;                      // comparable paths of the files the run writes
  std::set<std::string> FMovedAway;                    // comparable paths of the files it moved aside
  std::set<std::string> FLeftovers;                    // comparable paths an uninstall left
  std::set<std::string> FMadeKeys;                     // keys made to hold the kept ones
  uint32_t FKeptFiles = 0;
  std::string FDiskError;
};

struct TQLRecovery {
  bool Found = false;            // a stopped run was found
  std::string AppPath;           // the folder it installed into
};

// Finds the journal of a run that was stopped before its end, and undoes
// that run (or, when it had done its work, finishes it) before anything
// else happens.
TQLRecovery RecoverStoppedRun();
