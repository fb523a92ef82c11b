// Whether a folder may receive the installation, as far as rules alone
// decide: the refusals, the order they are made in, and the text of each.
// What only the system knows (the protected folders, whether a place can be
// reached and written) comes in from QLDestinationCheck. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "shell/QLPathRules.h"

enum class TQLDestinationRefusal {
  None,
  NotFullPath,      // relative, a bad character, a "." or ".." step
  OutsideCodePage,  // a name the records could not hold
  SystemFolder,     // the Windows or a system folder, or below one
  Root,             // a drive or share root
  ProgramFiles,     // a program-files folder itself
  Profile,          // a user's profile folder itself
  ShellFolder,      // Documents, the Desktop... itself
  TooLong,          // no room for the longest file's path
  FileInTheWay,     // a file stands where a folder of the path must be
  Unreachable,      // no drive or share holds it
  ReadOnly,         // its place cannot be written
};

// The uninstaller's path below the installation folder.
constexpr char kUninstallerBelowFolder[] = "\\UNINST\\UNINST.EXE";

// The longest folder (without trailing separators) that still leaves room
// for "\" + the longest entry name, and for the uninstaller, within the
// system's 259 characters of a path.
size_t MaxDestinationLength(size_t LongestEntryName);

// The refusal the rules make of Folder (as typed, in ANSI text; Comparable
// is its absolute form as ComparablePathOf gives it), or None; the checks
// of the place itself come after these.
TQLDestinationRefusal DestinationRuleRefusal(const std::string& Folder, const std::string& Comparable,
                                             const std::vector<TQLProtectedFolder>& Protected, size_t LongestEntryName);

// Why the folder is refused, one clause, for the message and the log.
std::string DestinationRefusalReason(TQLDestinationRefusal Refusal, size_t LongestEntryName);

// The message the user sees for a refusal.
std::string DestinationRefusalMessage(TQLDestinationRefusal Refusal, size_t LongestEntryName);
