#include "shell/QLSetupLog.h"

#include <windows.h>


#include "archive/QLNumberText.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"

namespace {

const DWORD StartTicks = GetTickCount();

TQLFileHandle& LogFile() {
  static TQLFileHandle file;
  return file;
}

std::string OneLine(const std::string& Text) {
  std::string line;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\r' && Text[i] != '\n') {
      line += Text[i];
      continue;
    }
    if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    line += " / ";
  }
  return line;
}

}  // namespace

bool OpenSetupLog(const TQLWideText& Path) {
  // Each line is handed to the system as it is made, so it outlives a crash
  // of the program; waiting for the disk on every line would make the log
  // cost more than the installation.
  LogFile().Reset(CreateFileW(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return SetupLogOpen();
}

bool SetupLogOpen() { return static_cast<bool>(LogFile()); }

void SetupLog(const std::string& Event) {
  if (!SetupLogOpen()) return;
  const std::string stamp = DecimalText(GetTickCount() - StartTicks, 8, ' ') + " ";
  const std::string line = stamp + Utf8Of(WidePathOf(OneLine(Event))) + "\r\n";
  DWORD written = 0;
  WriteFile(LogFile().Get(), line.data(), DWORD(line.size()), &written, nullptr);
}
