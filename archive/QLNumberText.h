// Numbers as text the way the stored names, dates and messages spell them:
// zero-padded upper-case hexadecimal, padded decimal and two-decimal fixed
// point. Portable and stateless; what the printf family would give for the
// same widths, without linking that family into the programs.
#pragma once

#include <cstdint>
#include <string>

// Value in upper-case hexadecimal, zero-padded to at least Digits ("%0*X").
std::string HexText(uint32_t Value, int Digits);

// Value in decimal, padded on the left with Pad to at least Width; with '0'
// the sign stands before the zeros ("%0*d" / "%*d").
std::string DecimalText(int64_t Value, int Width, char Pad = '0');

// Value with two decimals, rounded half to even, padded on the left with
// blanks to at least Width ("%*.2f"); for finite values below 9e16.
std::string FixedText(double Value, int Width);
