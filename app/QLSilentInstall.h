// The installation with no window at all (/S): the archive checked, the
// folder from "/D=" or the default one, the space checked before anything is
// written, then the same run the wizard makes, each question answered by
// the silent answerer. The DirectX step is skipped. Needs COM on the thread.
#pragma once

#include "app/QLSetupOptions.h"

class TQLArchiveCheck;

// The exit status: 0 done, 1603 failed (told in the log), 3010 done with
// files left for the next start of Windows.
int RunSilentInstall(const TQLSetupOptions& Options, TQLArchiveCheck& Check);
