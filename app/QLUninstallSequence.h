// The uninstall mode: confirmation, the browser plug-in registration taken
// back, the shortcuts, the recorded items and keys, and the uninstaller's
// own file (and on the NT family its folders) left to the next start of
// Windows. Has no window of its own; every message is a modal dialog.
#pragma once

// Runs the sequence; the exit status: 0 done, 3010 product files left to the
// next start of Windows, 1602 refused, 1605 nothing installed.
int RunUninstallSequence();
