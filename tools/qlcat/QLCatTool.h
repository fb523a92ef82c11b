// The qlcat command line: pack a folder into a QLCAT archive, list, verify
// and extract one, check a product folder before packing it, lay out a
// built setup program so its archive is mapped from the file. Exit status 0
// on success; otherwise 1 with one line on the error stream. Never lets an
// exception out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "archive/QLCatExtract.h"
#include "archive/QLTurboStream.h"
#include "tools/qlcat/QLCatProgressLine.h"

// With ErrIsTerminal, pack and extract keep a progress line on Err.
int RunQLCat(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err, bool ErrIsTerminal = false);

// Extracts the archive below Dest with this build's extractor (the host's
// portable one, or the installer's own on Windows). Files in the way that
// cannot be replaced and files that cannot be written end in false, with
// the reason written to Err.
// The extraction's progress handler that tells Line of every entry done;
// none without a line.
TQLProgressProc OverallProgress(TQLCatProgressLine* Line);

// Progress is told of every entry done.
bool ExtractArchiveToFolder(TQLTurboStream& Archive, const std::string& Dest, std::ostream& Out, std::ostream& Err,
                            TQLCatProgressLine* Progress);
