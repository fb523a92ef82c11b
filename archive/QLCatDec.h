// Reading of QLCAT archives: the header, each entry's fields up to its data,
// the name rules that keep entries inside the destination, and the walk that
// lists or verifies every entry. Portable; writes nothing. Every count and
// length is checked against the bytes left in the stream.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "archive/QLDateTime.h"
#include "archive/QLTurboStream.h"

// A count or length that does not fit the archive, or an unsafe entry name.
class EQLArchiveBroken : public EQLStreamError {
public:
  using EQLStreamError::EQLStreamError;
};

// Reads the 48-byte header at the stream's position; true when the signature
// is accepted, the identifier equals Identifier and the entry count fits the
// bytes left. The outputs hold the values read even when false.
bool ReadArchiveHeader(TQLTurboStream& Stream, int32_t& EntryCount, int32_t& TotalSize,
                       uint64_t Identifier);

struct TQLCatEntry {
  int32_t UncompressedSize = 0;
  TDateTime FileDateTime = 0;
  std::string Name;
  int32_t CompressedSize = 0;
};

// Reads an entry's fields up to its data, leaving the stream at the data.
// Raises EQLArchiveBroken for a length beyond the archive or an unsafe name.
TQLCatEntry ReadEntryHeader(TQLTurboStream& Stream);

// True when Name is a relative path that stays below the destination: not
// empty, no leading separator, no drive or stream colon, no ".." component,
// no zero byte, no reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// COM and LPT with a superscript 1, 2 or 3, with or without an extension) as a component. Both "\" and "/" count as
// separators.
bool IsSafeEntryName(const std::string& Name);

struct TQLCatEntryInfo {
  TQLCatEntry Entry;
  int32_t DataStart = 0;
  uint32_t CheckValue = 0;  // as stored
};

// Walks every entry from the stream's position (just after the header),
// calling Visit with the stream at the entry's data; Visit may read the data
// or not. The stream then stands at the next entry. Raises on a broken entry.
void ForEachEntry(TQLTurboStream& Stream, int32_t EntryCount,
                  const std::function<void(const TQLCatEntryInfo&)>& Visit);

struct TQLVerifyReport {
  bool Ok = false;
  std::string Error;  // one line, empty when Ok
  int32_t EntryCount = 0;
  int64_t UncompressedTotal = 0;
  size_t LongestName = 0;  // characters of the longest entry name
};

// Checks the header, the bounds of every entry and every CheckValue; with
// Inflate also decodes every zlib stream (Adler-32) and compares its length
// with UncompressedSize. The archive must end after the last entry.
TQLVerifyReport VerifyArchive(TQLTurboStream& Stream, uint64_t Identifier, bool Inflate);
