#include "archive/QLCatFormat.h"

#include <zlib.h>

#include <cstring>

const uint8_t ArchiveSignature[kSignatureSize] = {
    0x10, 0xA8, 0x12, 0xA0, 0x99, 0xEB, 0x61, 0x25, 0x98, 0xE0, 0x7D, 0xBE, 0xA3, 0x30, 0xF0, 0xBB,
    0xD1, 0xF5, 0xA3, 0xAC, 0x47, 0x99, 0x66, 0x61, 0xC1, 0xD9, 0x87, 0xEA, 0x8A, 0xAC, 0xD3, 0x97};

const uint8_t ArchiveTextSignature[kSignatureSize] = "QLCAT Ver0.01 (C)Prismora";

const uint8_t TrailerSignature[kSignatureSize] = {
    0xF7, 0x06, 0x17, 0x5C, 0x9A, 0x12, 0x68, 0xD1, 0x56, 0xF8, 0x54, 0x1A, 0x37, 0x0F, 0x90, 0x87,
    0x99, 0x77, 0x26, 0xB8, 0x6D, 0x13, 0x25, 0x9D, 0x1D, 0xB5, 0x34, 0x16, 0x5C, 0x1D, 0xE0, 0x73};

const uint8_t TrailerTextSignature[kSignatureSize] = {
    'Q', 'L', 'R', 'E', 'S', 'O', 'U', 'R', 'C', 'E', ' ', 'V', 'e', 'r', '0', '.',
    '0', '1', ' ', '(', 'C', ')', 'P', 'r', 'i', 's', 'm', 'o', 'r', 'a', ' ', ' '};

bool IsArchiveSignature(const uint8_t* Bytes) {
  return std::memcmp(Bytes, ArchiveSignature, kSignatureSize) == 0 ||
         std::memcmp(Bytes, ArchiveTextSignature, kSignatureSize) == 0;
}

bool IsTrailerSignature(const uint8_t* Bytes) {
  return std::memcmp(Bytes, TrailerSignature, kSignatureSize) == 0 ||
         std::memcmp(Bytes, TrailerTextSignature, kSignatureSize) == 0;
}

uint32_t UpdateCheckValue(uint32_t Register, const uint8_t* Data, size_t Count) {
  uLong crc = ~Register & 0xFFFFFFFFu;
  while (Count > 0) {
    uInt piece = Count > 0x40000000u ? 0x40000000u : uInt(Count);
    crc = crc32(crc, Data, piece);
    Data += piece;
    Count -= piece;
  }
  return ~uint32_t(crc);
}
