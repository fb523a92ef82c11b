// The check of a maker's product folder before a setup is built from it:
// everything the archive cannot hold or the installer would refuse, one
// problem per line, and the figures of a folder that passes. Reads the
// folder only; writes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TQLFolderReport {
  std::vector<std::string> Problems;  // empty: the folder can be packed
  int32_t FileCount = 0;
  int64_t TotalSize = 0;
};

// A file a product folder must have at its top, and what it is.
struct TQLRequiredFile {
  const char* Name;
  const char* Role;
};
extern const TQLRequiredFile RequiredProductFiles[4];

TQLFolderReport CheckProductFolder(const std::string& Folder);
