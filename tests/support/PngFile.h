// Writes a picture as a PNG file (8-bit RGB, no filtering) so a person can
// look at what a test drew. Test support only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Rgb holds Width × Height pixels, top row first, three bytes each.
bool WritePngFile(const std::string& Path, int Width, int Height, const std::vector<uint8_t>& Rgb);
