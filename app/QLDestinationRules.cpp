#include "app/QLDestinationRules.h"

#include <algorithm>

#include "app/QLSetupOptions.h"

namespace {

constexpr size_t kLongestPath = 259;  // MAX_PATH less the terminating zero

bool SameFolder(const std::string& A, const std::string& B) { return IsSameOrAbove(A, B) && IsSameOrAbove(B, A); }

// Whether Comparable is one of the protected folders of Role (for the
// Windows and system folders: or lies below one).
bool IsProtectedAs(const std::string& Comparable, const std::vector<TQLProtectedFolder>& Protected,
                   TQLFolderRole Role) {
  for (const TQLProtectedFolder& folder : Protected) {
    if (folder.Role != Role) continue;
    if (Role == TQLFolderRole::SystemTree ? IsSameOrAbove(folder.Path, Comparable)
                                          : SameFolder(folder.Path, Comparable))
      return true;
  }
  return false;
}

}  // namespace

size_t MaxDestinationLength(size_t LongestEntryName) {
  const size_t below = std::max(1 + LongestEntryName, sizeof kUninstallerBelowFolder - 1);
  return below >= kLongestPath ? 0 : kLongestPath - below;
}

TQLDestinationRefusal DestinationRuleRefusal(const std::string& Folder, const std::string& Comparable,
                                             const std::vector<TQLProtectedFolder>& Protected,
                                             size_t LongestEntryName) {
  if (!IsUsableInstallFolder(Folder)) return TQLDestinationRefusal::NotFullPath;
  if (IsDriveOrShareRoot(Folder) || IsDriveOrShareRoot(Comparable)) return TQLDestinationRefusal::Root;
  if (IsProtectedAs(Comparable, Protected, TQLFolderRole::SystemTree)) return TQLDestinationRefusal::SystemFolder;
  if (IsProtectedAs(Comparable, Protected, TQLFolderRole::ProgramFiles)) return TQLDestinationRefusal::ProgramFiles;
  if (IsProtectedAs(Comparable, Protected, TQLFolderRole::Profile)) return TQLDestinationRefusal::Profile;
  if (IsProtectedAs(Comparable, Protected, TQLFolderRole::ShellFolder)) return TQLDestinationRefusal::ShellFolder;
  if (WithoutTrailingSeparators(Folder).size() > MaxDestinationLength(LongestEntryName))
    return TQLDestinationRefusal::TooLong;
  return TQLDestinationRefusal::None;
}

std::string DestinationRefusalReason(TQLDestinationRefusal Refusal, size_t LongestEntryName) {
  switch (Refusal) {
    case TQLDestinationRefusal::None:
      return "";
    case TQLDestinationRefusal::NotFullPath:
      return "it must be a full path, such as C:\\Program Files\\Prismora 1.0 SE";
    case TQLDestinationRefusal::OutsideCodePage:
      return "its name has characters outside the system's code page";
    case TQLDestinationRefusal::SystemFolder:
      return "it is the Windows folder or a system folder, or lies inside one";
    case TQLDestinationRefusal::Root:
      return "it is the root of a drive or of a network share";
    case TQLDestinationRefusal::ProgramFiles:
      return "it is a program-files folder itself, where every program has its own folder";
    case TQLDestinationRefusal::Profile:
      return "it is a user's profile folder itself";
    case TQLDestinationRefusal::ShellFolder:
      return "it is a folder Windows keeps for the user, such as Documents or the Desktop, itself";
    case TQLDestinationRefusal::TooLong:
      return "its path is too long for the files it will hold (at most " +
             std::to_string(MaxDestinationLength(LongestEntryName)) + " characters)";
    case TQLDestinationRefusal::FileInTheWay:
      return "it is a file, or a file stands where one of its folders must be";
    case TQLDestinationRefusal::Unreachable:
      return "it cannot be reached: its drive or network share is not there";
    case TQLDestinationRefusal::ReadOnly:
      return "it cannot be written to: the place is read-only or not open to you";
  }
  return "";
}

std::string DestinationRefusalMessage(TQLDestinationRefusal Refusal, size_t LongestEntryName) {
  return "This folder cannot be used: " + DestinationRefusalReason(Refusal, LongestEntryName) +
         ".\rPlease choose another folder.";
}
