// The uninstaller the setup program carries: the same program without the
// product archive, built and packed with the setup and kept in its PQUNINST
// resource as a QLCAT archive of one entry. Reads the resource in place;
// writes only the file it is asked for. The program itself is never copied.
#pragma once

#include <cstdint>
#include <string>

// The size of the carried uninstaller once written; 0 when the program
// carries none or its archive is not sound.
int64_t CarriedUninstallerSize();

// Writes the carried uninstaller to Dest (its folders created, a file there
// replaced), then gives it the setup program's last-write time at the
// 2-second DOS granularity and its attributes. A CopyFileWithTime result:
// cfSourceMissing when nothing sound is carried; a write that fails or comes
// out short leaves no file at Dest.
int WriteCarriedUninstaller(const std::string& Dest);
