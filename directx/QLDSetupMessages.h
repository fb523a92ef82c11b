// What the user is told about a DirectX setup result: a pure table from the
// result code (and whether the run is silent) to the message, its kind and
// buttons. The dialog itself is shown by QLDSETUPP.
#pragma once

#include <cstdint>
#include <string>

// DirectXSetupA's result codes that have a message of their own, and the
// program's own code for a library that cannot be used.
constexpr int32_t kDSetupSuccess = 0;
constexpr int32_t kDSetupSuccessRestart = 1;
constexpr int32_t kDSetupCannotOpen = 2;
constexpr int32_t kDSetupOutOfDiskSpace = -6;
constexpr int32_t kDSetupNewerVersion = -14;

// Flags passed to DirectXSetupA: the DirectX runtime with its drivers,
// prompting before drivers are replaced.
constexpr uint32_t kDSetupFlags = 0x10010018;

struct TQLDSetupMessage {
  bool Show = false;
  bool Error = false;         // error kind; information otherwise
  bool OkCancel = false;      // OK and Cancel; OK alone otherwise
  std::string Text;
};

// LibraryPath fills the "cannot open" message.
TQLDSetupMessage DirectXSetupMessage(int32_t Code, bool Silent, const std::string& LibraryPath);
