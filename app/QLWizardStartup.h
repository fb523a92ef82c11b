// What the wizard learns about the machine and about itself before it is
// shown: the DirectX setup source (root folder or configuration file), the
// DirectX and Internet Explorer versions, the default folder, the caption,
// the setup data file and the archive catalogue with the space needed.
#pragma once

#include <cstdint>
#include <string>

#include "shell/QLWidePath.h"

class TQLArchiveCheck;

struct TQLSetupInfo {
  bool DirectXSetupEnabled = false;
  std::string DirectXSetupPath;
  int DirectXVersion = 0;
  double IEVersion = 0;
  std::string DefaultFolder;
  std::string Caption;
  std::string DataFilePath;
  int32_t FileCount = 0;
  size_t LongestEntryName = 0;  // characters of the archive's longest entry name
  // Bytes needed; 0 when the archive is missing, refused or damaged (the
  // program then ends before the wizard appears).
  int64_t InstallSize = 0;
};

// The archive catalogue comes from Check.
TQLSetupInfo GatherSetupInfo(TQLArchiveCheck& Check);

// Free bytes where Folder would be installed: asked of its drive or share
// root, named with the folder's own characters, for removable, fixed,
// remote and RAM drives; 0 for any other kind of drive (or none); -1 when
// the question fails.
int64_t DestinationFreeSpace(const TQLWideText& Folder);
int64_t DestinationFreeSpace(const std::string& Folder);

// The folder page's space questions ("not enough", "not much"); true when
// the answer lets the installation go on.
bool DiskSpaceAccepted(int64_t FreeSpace, int64_t InstallSize);
