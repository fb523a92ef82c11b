// The answers of a silent run (/S). Every question and message the program
// can show gets the answer that loses nothing and cannot wait: go on past
// the title-page questions, replace a file in use at the next start, keep a
// file the user changed, stop rather than fill a disk, and take the declared default for anything unknown (Cancel,
// else No, else OK). Given through the message-dialog entry point, which
// also logs each question with its answer. Pure.
#pragma once

#include <cstdint>

#include "ui/QLDialogs.h"

uint16_t SilentAnswer(const TQLDialogRequest& Request);
