// The install item records: how one installed file is stored in the
// registry (a REG_BINARY record of 16 + n bytes under "App" + eight
// hexadecimal digits, in group subkeys of 64), and the question put to the
// user before a file that changed since installation is deleted. Pure.
//
//   record:  Time:f64  Size:i32  reserved:i32 (0)  Path[n] (ANSI, no terminator)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLDateTime.h"

constexpr int32_t kItemsPerGroup = 64;
constexpr size_t kItemRecordHeader = 16;

struct TQLInstallItem {
  TDateTime Time = 0;
  int32_t Size = 0;
  std::string Path;
};

// "00", "01", ... "FF", "100": the group subkey of item Index.
std::string InstallItemGroupKey(int32_t Index);
// "App" + Index as eight upper-case hexadecimal digits.
std::string InstallItemValueName(int32_t Index);

// The record holds the whole path, however long.
std::vector<uint8_t> EncodeInstallItem(const TQLInstallItem& Item);
// Missing bytes read as zero; zero bytes in the path are dropped.
TQLInstallItem DecodeInstallItem(const std::vector<uint8_t>& Record);

// The question asked before deleting a file whose time or size changed.
std::string ChangedFileQuestion(const TQLInstallItem& Recorded, TDateTime CurrentTime, int32_t CurrentSize,
                                const std::string& DateSeparator);
