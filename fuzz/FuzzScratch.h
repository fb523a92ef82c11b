// Scratch space of a fuzz target that must touch the disk: one private
// folder below $TMPDIR (or /tmp), made on first use and removed with
// everything in it when the process exits normally. A crash may leave it.
#pragma once

#include <string>

// The folder, without a separator at the end.
const std::string& FuzzScratchFolder();

// Removes everything below Path, not Path itself.
void RemoveBelow(const std::string& Path);
