// The QLCAT archive and QLRESOURCE trailer layouts: constants shared by the
// reader, the writer and the verifier. All integers little-endian.
//
//   archive:  signature[32] EntryCount:i32 identifier:u64 TotalSize:i32  entry*
//   entry:    UncompressedSize:i32 FileDateTime:f64 NameLength:i32 name[N]
//             CompressedSize:i32 data[C] (one zlib stream) CheckValue:u32
//   trailer (last 40 bytes of a file):
//             PayloadSize:i32 TrailerExtra:i32 signature[32]
//
// CheckValue is the CRC-32 register over the C data bytes without the final
// complement (the complement of the usual CRC-32).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kArchiveHeaderSize = 48;
constexpr int32_t kEntryFixedSize = 24;  // every field of an entry but name and data
constexpr int32_t kTrailerSize = 40;
constexpr int32_t kSignatureSize = 32;

// Binds an archive to the setup program; every opening passes it.
constexpr uint64_t ArchiveIdentifier = 0x3F14C91A40A419D1ULL;

extern const uint8_t ArchiveSignature[kSignatureSize];
extern const uint8_t ArchiveTextSignature[kSignatureSize];  // banner, zero padded
extern const uint8_t TrailerSignature[kSignatureSize];
extern const uint8_t TrailerTextSignature[kSignatureSize];  // banner, blank padded

bool IsArchiveSignature(const uint8_t* Bytes);
bool IsTrailerSignature(const uint8_t* Bytes);

// CheckValue register after Count more bytes; start with kCheckValueStart.
constexpr uint32_t kCheckValueStart = 0xFFFFFFFFu;
uint32_t UpdateCheckValue(uint32_t Register, const uint8_t* Data, size_t Count);
