// The uninstallers of the recorded installations and their folders. The
// running program is left to the next start of Windows only when it is one
// of them (it cannot delete itself); every other recorded uninstaller is
// removed now, or left to the next start when it cannot go. The running
// program is otherwise never touched. Folders go only when empty and when
// the folder safety allows it.
#pragma once

#include <string>
#include <vector>

#include "shell/QLFolderSafety.h"

struct TQLUninstallerOutcome {
  bool OwnFileQueued = false;     // the running program goes at the next start
  bool OthersQueued = false;      // another uninstaller could not go now
};

// "Root\UNINST\UNINST.EXE" for each installation folder in Roots, with its
// "UNINST" folder and Root itself. RunningProgram is the full path of this
// program.
TQLUninstallerOutcome RemoveUninstallers(const std::vector<std::string>& Roots, const std::string& RunningProgram,
                                         const TQLFolderSafety& Safety);
