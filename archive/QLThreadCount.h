// How many threads the archive work may use: the extraction's decoders (and
// the default of qlcat's packing). Process-wide, the machine's core count
// unless set; starts no thread itself.
#pragma once

#include <cstdint>

// Cores of the machine, at least 1.
int32_t MachineThreadCount();

// Threads the extraction decodes on; 1 decodes on the calling thread alone.
int32_t ExtractThreadCount();

// N threads for later extractions; 0 (or less) goes back to the machine's count.
void SetExtractThreadCount(int32_t N);
