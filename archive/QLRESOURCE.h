// The QLRESOURCE trailer: the last 40 bytes of a file that carries appended
// data. Reading only; the file is opened read-only and closed on every path.
#pragma once

#include <cstdint>
#include <string>

// True when Path ends with an accepted trailer; the outputs are 0 otherwise.
// A file shorter than the trailer, or a PayloadSize that would start the
// payload before the file does, counts as a file without trailer.
bool ReadResourceTrailer(const std::string& Path, int32_t& PayloadSize, int32_t& PayloadStart,
                         int32_t& TrailerExtra);
