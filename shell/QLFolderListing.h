// The directory entries of the folders a walk over many files meets: each
// folder is listed once (FindFirstFile/FindNextFile), and every file in it is
// then looked up by name, in any letter case, by its long or its short name.
// Owns the listings; they describe the folders as they were when first asked.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "archive/QLDateTime.h"

struct TQLListedFile {
  uint32_t Attributes = 0;
  int32_t Size = 0;   // low 32 bits
  TDateTime Time = 0;  // last write, local time at the 2-second DOS granularity
};

class TQLFolderListings {
public:
  // The entry of the file (not a folder) at Path, a full path; nothing when
  // its folder holds no such file.
  std::optional<TQLListedFile> Find(const std::string& Path);

private:
  using TListing = std::map<std::string, TQLListedFile>;  // upper-case name -> entry
  const TListing& ListingOf(const std::string& Folder);

  std::map<std::string, TListing> FFolders;  // upper-case folder -> its files
};
