// The journal of one installation run, kept in the registry below the
// product key while the run lasts: where the run installs, where its item
// records start, whether it had finished, and one entry for each thing it
// created or put aside, each written before the change it describes. A start
// of the setup or of the uninstaller that finds a journal knows that a run
// was stopped before its end. Registry write errors propagate as
// EQLRegistryError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/QLJournalFormat.h"
#include "shell/QLRegistry.h"

constexpr char kJournalKey[] = "SOFTWARE\\VELDRANE\\Prismora 1.0 SE\\Journal";

struct TQLJournalRun {
  std::string AppPath;
  int32_t FirstItem = 0;          // the item records from this one on are the run's
  bool EarlierInstalled = false;  // the product was recorded before the run
  bool Finished = false;          // the run had done its work; only the clean-up was left
};

class TQLRunJournal {
public:
  // A new journal for Run, replacing any other.
  static TQLRunJournal Start(const TQLJournalRun& Run);
  // The journal a stopped run left; nothing when there is none.
  static std::optional<TQLRunJournal> Find();

  const TQLJournalRun& Run() const { return FRun; }

  // Appends Entry; its number, from 0.
  uint32_t Add(const TQLJournalEntry& Entry);
  // Every readable entry, in the order they were added: those a stopped run
  // left as they were read when the journal was found, then those added
  // since.
  const std::vector<TQLJournalEntry>& Entries() const { return FEntries; }
  // The run's work is done: what is left is the clean-up, which a later
  // start finishes instead of undoing the run.
  void MarkFinished();
  // The journal removed: the run is over.
  static void Remove();

private:
  TQLRunJournal();
  TQLRegistry FKey;  // the journal key, open for the run
  TQLJournalRun FRun;
  uint32_t FCount = 0;  // the number the next entry is written under
  std::vector<TQLJournalEntry> FEntries;
};
