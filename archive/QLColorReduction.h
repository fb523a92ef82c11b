// Colour reduction of pictures to 8 bits with one shared palette of at most
// 256 colours: a 32 × 32 × 32 histogram of the pictures' colours is cut into
// boxes (largest error first), each box becomes one palette entry, and every
// pixel takes the entry of its histogram cell (no dithering). Portable.
#pragma once

#include <vector>

#include "archive/QLDIBUTL.h"

// The pictures as 8-bit uncompressed DIBs sharing one 256-entry colour table
// (entries beyond the number of boxes black), in the order given. A picture
// that is not a valid DIB gives none in its place.
std::vector<TQLDIB> ReduceColors(const std::vector<TQLDIB>& Pictures);
