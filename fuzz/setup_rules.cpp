// Fuzz target: the command-line and configuration rules. The input is split
// at zero bytes into arguments; the last one also serves as the program path
// and the first as the configuration value, folder text, window title and
// whole command line, and the first 16 bytes as the free space and the size
// of the disk-space question.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/QLSetupOptions.h"
#include "app/QLSetupRules.h"
#include "app/QLSilentAnswers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < Size; ++i) {
    if (Data[i] == 0) args.emplace_back();
    else args.back() += char(Data[i]);
  }
  const std::string& path = args.back();
  DecideRunMode(args, path);
  HasUnattendedOption(args);
  TQLDirectXSource dx = DecideDirectXSource(Size % 2, Size % 3, args[0], path, Size % 5 == 0);
  if (Size % 5 == 0 && dx.Enabled) std::abort();  // never on the NT family
  std::string config = ConfigFilePath(path);
  if (config.size() < 4 || config.compare(config.size() - 4, 4, ".INI") != 0) std::abort();
  SetupCaption(args[0], Size % 2);
  std::string root = FolderRoot(args[0]);
  if (!root.empty() && root.back() != '\\') std::abort();
  IsBrowserWindow(args[0], path);
  // A folder the options accept names at least a drive root.
  const TQLSetupOptions options = ParseSetupOptions(args, args[0]);
  if (IsUsableInstallFolder(options.Folder) && options.Folder.size() < 3) std::abort();
  SilentAnswer({args[0], TMsgDlgType(Size % 4), TMsgDlgButtons(Size), "", false});
  if (Size >= 16) {
    int64_t free = 0, needed = 0;
    std::memcpy(&free, Data, 8);
    std::memcpy(&needed, Data + 8, 8);
    TQLDiskQuestion q = DiskQuestion(free, needed);
    if ((q == TQLDiskQuestion::NotEnough) != (free < needed)) std::abort();
    InstallSizeText(needed, free);
  }
  return 0;
}
