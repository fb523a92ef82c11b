#include "app/QLDestinationCheck.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/QLSetupOptions.h"
#include "shell/QLFolderSafety.h"
#include "shell/QLPathRules.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

namespace {

// The folder of Folder's path that exists, nearest to it ("C:\" form for a
// root); empty when not even its drive or share is there. FileInTheWay is
// set when a file holds the place of one of the folders.
std::string NearestExistingFolder(const std::string& Folder, bool& FileInTheWay) {
  FileInTheWay = false;
  for (std::string at = WithoutTrailingSeparators(Folder); !at.empty(); at = ParentFolder(at)) {
    const std::string probe = IsDriveOrShareRoot(at) ? WithoutTrailingSeparators(at) + "\\" : at;
    const DWORD attributes = GetFileAttributesA(probe.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    FileInTheWay = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return probe;
  }
  return std::string();
}

// Whether a file can be made in Folder: a uniquely named one is created,
// and goes when it is closed. (The system's temporary-name call is not used:
// under Wine it reports a name even where no file can be made.)
bool CanWriteIn(const std::string& Folder) {
  const std::string probe = WithoutTrailingSeparators(Folder) + "\\~pqs" + std::to_string(GetCurrentProcessId()) +
                            "-" + std::to_string(GetTickCount()) + ".tmp";
  const TQLFileHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return static_cast<bool>(file);
}

TQLDestinationRefusal PlaceRefusal(const std::string& Folder) {
  bool fileInTheWay = false;
  const std::string existing = NearestExistingFolder(Folder, fileInTheWay);
  if (existing.empty()) return TQLDestinationRefusal::Unreachable;
  if (fileInTheWay) return TQLDestinationRefusal::FileInTheWay;
  return CanWriteIn(existing) ? TQLDestinationRefusal::None : TQLDestinationRefusal::ReadOnly;
}

}  // namespace

TQLDestinationRefusal CheckDestination(const TQLWideText& Folder, size_t LongestEntryName) {
  std::string folder;
  if (!ExactAnsiOf(Folder, folder)) return TQLDestinationRefusal::OutsideCodePage;
  // The system's folders are asked for only when the text is a path at all.
  if (!IsUsableInstallFolder(folder)) return TQLDestinationRefusal::NotFullPath;
  // A full path the system cannot even spell out in full is too long.
  const std::string comparable = ComparablePathOf(folder);
  if (comparable.empty()) return TQLDestinationRefusal::TooLong;
  const TQLFolderSafety safety;
  const TQLDestinationRefusal refusal =
      DestinationRuleRefusal(folder, comparable, safety.ProtectedFolders(), LongestEntryName);
  return refusal != TQLDestinationRefusal::None ? refusal : PlaceRefusal(folder);
}

bool DestinationAccepted(const TQLWideText& Folder, size_t LongestEntryName) {
  const TQLDestinationRefusal refusal = CheckDestination(Folder, LongestEntryName);
  if (refusal == TQLDestinationRefusal::None) return true;
  SetupLog("error: installation folder refused: " + ShownAnsiOf(Folder) + " (" +
           DestinationRefusalReason(refusal, LongestEntryName) + ")");
  MessageDlg(DestinationRefusalMessage(refusal, LongestEntryName), mtError, mbOK);
  return false;
}

TQLWideText CommandLineFolder() {
  const wchar_t* line = GetCommandLineW();
  int count = 0;
  const TQLLocalMemory<LPWSTR> args(CommandLineToArgvW(line, &count));
  if (!args) return TQLWideText();
  std::vector<std::string> utf8;
  for (int i = 1; i < count; ++i) utf8.push_back(Utf8Of(TQLWideText(args.Get()[i])));
  const TQLSetupOptions options = ParseSetupOptions(utf8, Utf8Of(TQLWideText(line)));
  return options.HasFolder ? WideOfUtf8(options.Folder) : TQLWideText();
}
