#include "records/QLRunJournal.h"

#include "archive/QLNumberText.h"

namespace {

std::string EntryName(uint32_t Number) { return "E" + HexText(Number, 8); }

}  // namespace

TQLRunJournal::TQLRunJournal() : FKey(HKEY_LOCAL_MACHINE) {}

TQLRunJournal TQLRunJournal::Start(const TQLJournalRun& Run) {
  Remove();
  TQLRunJournal journal;
  journal.FRun = Run;
  if (!journal.FKey.OpenKey(kJournalKey, true)) throw EQLRegistryError("Failed to set data for 'Journal'");
  journal.FKey.WriteString("AppPath", Run.AppPath);
  journal.FKey.WriteInteger("FirstItem", Run.FirstItem);
  journal.FKey.WriteInteger("EarlierInstalled", Run.EarlierInstalled ? 1 : 0);
  return journal;
}

std::optional<TQLRunJournal> TQLRunJournal::Find() {
  TQLRunJournal journal;
  if (!journal.FKey.OpenKey(kJournalKey, false)) return std::nullopt;
  try {
    journal.FRun.AppPath = journal.FKey.ReadString("AppPath");
    journal.FRun.FirstItem = journal.FKey.ReadInteger("FirstItem").value_or(0);
    journal.FRun.EarlierInstalled = journal.FKey.ReadInteger("EarlierInstalled").value_or(0) != 0;
    journal.FRun.Finished = journal.FKey.ReadInteger("Finished").value_or(0) != 0;
  } catch (const EQLRegistryError&) {
    // A damaged header: the entries alone still tell what to put back.
  }
  // The entries run from E00000000 up to the first number that is missing:
  // each is written whole or not at all, one after the other.
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
  for (; journal.FKey.ReadValue(EntryName(journal.FCount), type, bytes); ++journal.FCount)
    if (std::optional<TQLJournalEntry> entry = DecodeJournalEntry(bytes)) journal.FEntries.push_back(std::move(*entry));
  return journal;
}

uint32_t TQLRunJournal::Add(const TQLJournalEntry& Entry) {
  const uint32_t number = FCount;
  const std::vector<uint8_t> bytes = EncodeJournalEntry(Entry);
  FKey.WriteBinaryData(EntryName(number), bytes.data(), bytes.size());
  ++FCount;
  FEntries.push_back(Entry);
  return number;
}

void TQLRunJournal::MarkFinished() {
  FKey.WriteInteger("Finished", 1);
  FRun.Finished = true;
}

void TQLRunJournal::Remove() { TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kJournalKey); }
