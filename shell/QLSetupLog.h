// The setup's log (/LOG=FILE): one plain UTF-8 line per event, each starting
// with the milliseconds since the program started. Every line is handed to
// the system at once, so a crash of the program keeps all lines before it. Off
// until opened; any unit may report an event, and nothing is written while
// it is off. The wording of the events is stable: deployment tools read it.
#pragma once

#include <string>

#include "shell/QLWidePath.h"

// Creates (or replaces) the log file; false when it cannot be written.
bool OpenSetupLog(const TQLWideText& Path);
bool SetupLogOpen();

// One event, in the program's ANSI text; line breaks become " / ".
void SetupLog(const std::string& Event);
