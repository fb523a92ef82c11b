#include "app/QLArchiveCheck.h"

#include <windows.h>

#include "archive/QLSync.h"

TQLArchiveCheck::TQLArchiveCheck() {
  try {
    FThread = std::make_unique<TQLSyncThread>(Run, this);
  } catch (const EQLThreadStartError&) {
    FThread.reset();
  }
}

TQLArchiveCheck::~TQLArchiveCheck() { FThread.reset(); }

// A check that fails in an unforeseen way leaves the archive refused: the
// program then says so and installs nothing.
void TQLArchiveCheck::Run(void* Self) {
  auto* check = static_cast<TQLArchiveCheck*>(Self);
  try {
    check->FCatalogue = ReadSetupArchiveCatalogue(GetModuleHandleA(nullptr));
  } catch (...) {
    check->FCatalogue = TQLArchiveCatalogue();
  }
  check->FDone = true;
}

void TQLArchiveCheck::Finish() {
  FThread.reset();  // waits for the thread
  if (!FDone) Run(this);
}

const TQLArchiveCatalogue& TQLArchiveCheck::Catalogue() {
  Finish();
  return FCatalogue;
}
