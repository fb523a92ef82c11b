// Test support: QLCAT archives built byte by byte in memory, with every
// field open to being set wrong, for round trips and corruption cases.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/QLCatFormat.h"
#include "archive/QLDateTime.h"

struct TTestEntry {
  TTestEntry() = default;
  TTestEntry(std::string N, std::string C) : Name(std::move(N)), Content(std::move(C)) {}
  std::string Name;
  std::string Content;
  TDateTime Date = 38443.4375;  // 2005-04-01 10:30 local time
  std::optional<int32_t> NameLength, UncompressedSize, CompressedSize;
  std::optional<uint32_t> CheckValue;
  std::optional<std::string> Data;  // raw entry data instead of the compressed content
};

struct TTestArchive {
  std::vector<TTestEntry> Entries;
  uint64_t Identifier = ArchiveIdentifier;
  std::optional<int32_t> EntryCount, TotalSize;
  bool TextSignature = false;
};

std::string ZlibCompress(const std::string& Content, int Level = 9);
std::vector<uint8_t> BuildArchive(const TTestArchive& Archive);
