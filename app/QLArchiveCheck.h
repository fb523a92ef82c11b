// The check of the whole product archive, the slowest look the setup takes
// before its first page. It starts on a thread of its own as install mode
// starts and runs while COM starts and the wizard's windows are made; the
// question for its result waits for it. (The DirectX probe stays on the
// window thread: the libraries it loads start up the window system, and two
// threads doing that at once can wait on each other for ever.)
#pragma once

#include <memory>

#include "archive/QLSetupArchive.h"

class TQLSyncThread;

class TQLArchiveCheck {
public:
  // Starts the check; where the system gives no thread, it runs at the
  // question instead.
  TQLArchiveCheck();
  ~TQLArchiveCheck();
  TQLArchiveCheck(const TQLArchiveCheck&) = delete;
  TQLArchiveCheck& operator=(const TQLArchiveCheck&) = delete;

  const TQLArchiveCatalogue& Catalogue();

private:
  static void Run(void* Self);
  void Finish();

  TQLArchiveCatalogue FCatalogue;
  bool FDone = false;
  std::unique_ptr<TQLSyncThread> FThread;
};
