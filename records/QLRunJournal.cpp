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
  journal.FStartedHere = true;
  if (!journal.FKey.OpenKey(kJournalKey, true)) throw EQLRegistryError("Failed to set data for 'Journal'");
  journal.FKey.WriteString("AppPath", Run.AppPath);
  journal.FKey.WriteInteger("FirstItem", Run.FirstItem);
  journal.FKey.WriteInteger("EarlierInstalled", Run.EarlierInstalled ? 1 : 0);
  journal.FKey.WriteInteger("Entries", 0);
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
    journal.FCount = uint32_t(journal.FKey.ReadInteger("Entries").value_or(0));
  } catch (const EQLRegistryError&) {
    // A damaged header: the entries alone still tell what to put back.
  }
  return journal;
}

uint32_t TQLRunJournal::Add(const TQLJournalEntry& Entry) {
  const uint32_t number = FCount;
  const std::vector<uint8_t> bytes = EncodeJournalEntry(Entry);
  FKey.WriteBinaryData(EntryName(number), bytes.data(), bytes.size());
  // The entry is whole before the count admits it.
  FKey.WriteInteger("Entries", int32_t(number + 1));
  ++FCount;
  if (FStartedHere) FAdded.push_back(Entry);
  return number;
}

std::vector<TQLJournalEntry> TQLRunJournal::Entries() const {
  if (FStartedHere) return FAdded;
  std::vector<TQLJournalEntry> entries;
  for (uint32_t n = 0; n < FCount; ++n) {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!FKey.ReadValue(EntryName(n), type, bytes)) continue;
    if (std::optional<TQLJournalEntry> entry = DecodeJournalEntry(bytes)) entries.push_back(std::move(*entry));
  }
  return entries;
}

void TQLRunJournal::MarkFinished() {
  FKey.WriteInteger("Finished", 1);
  FRun.Finished = true;
}

void TQLRunJournal::Remove() { TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kJournalKey); }
