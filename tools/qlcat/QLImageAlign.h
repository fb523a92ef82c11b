// The layout of a built Windows program on disk: moves the resource
// section (and what follows it) to a page boundary of the file, so the
// system maps the carried archive straight from the file instead of reading
// it into memory when the program starts. The image in memory is unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TQLImageAlignResult {
  bool Ok = false;
  uint32_t Padding = 0;  // bytes put before the resource section
  std::string Error;     // why the image was left as it was
};

// Aligns the resource section's file data of Image to Alignment (a power of
// two) and writes the image's checksum again. An image already aligned, or
// whose resource section is empty, is left as it is. A signed image, one
// with debugging data, one whose resource data start inside its headers, or
// anything that is not a sound image is refused untouched.
TQLImageAlignResult AlignResourceSection(std::vector<uint8_t>& Image, uint32_t Alignment = 4096);

// The checksum the image's header carries: 16-bit sums of the whole file
// (the checksum field left out) plus the file's length.
uint32_t ImageChecksum(const std::vector<uint8_t>& Image, size_t ChecksumOffset);
