// The installation folder's checks, made before anything is written and the
// same in the wizard and in a silent run: the rules of QLDestinationRules
// over what the system tells (the folders it protects, the code page,
// whether the place can be reached and written). The check creates no
// folder; its write test is a uniquely named file, deleted at once. Needs
// COM on the thread (the shell's known folders).
#pragma once

#include <cstddef>

#include "app/QLDestinationRules.h"
#include "shell/QLWidePath.h"

// The refusal Folder meets, or None. LongestEntryName: the length of the
// archive's longest entry name.
TQLDestinationRefusal CheckDestination(const TQLWideText& Folder, size_t LongestEntryName);

// Checks Folder; a refusal is logged ("error: installation folder refused:
// FOLDER (reason)") and told with an error message. True when the folder
// may be used.
bool DestinationAccepted(const TQLWideText& Folder, size_t LongestEntryName);

// The folder "/D=" names, read from the system's UTF-16 command line, so
// that a name outside the code page is seen as it was typed; empty without
// "/D=".
TQLWideText CommandLineFolder();
