// The extraction's disk on the build machine (POSIX): archive paths use
// backslashes, which become slashes here. Used by the host qlcat and the
// native extraction tests; the installer itself uses QLCatDiskWin.
#pragma once

#include "archive/QLCatExtract.h"

class TQLHostDisk : public TQLExtractDisk {
 public:
  bool FileExists(const std::string& Path) override;
  bool ClearAttributesAndDelete(const std::string& Path) override;
  void ForceFolder(const std::string& Folder) override;
  std::unique_ptr<TQLOutputFile> CreateOutputFile(const std::string& Path) override;
  bool SetFileDateTime(const std::string& Path, TDateTime D) override;
};

// Path with its backslashes turned into slashes.
std::string HostPath(std::string Path);
