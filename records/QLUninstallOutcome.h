// What an uninstall could not remove at once, and why: files left to the
// next start of Windows, recorded files outside the installation left
// alone, files that could neither go nor be left to the next start, and
// records that cannot be read. Plain data and the closing text that names
// what stays. Portable.
#pragma once

#include <string>
#include <vector>

struct TQLUninstallOutcome {
  std::vector<std::string> Queued;   // go at the next start of Windows
  std::vector<std::string> Outside;  // recorded, but outside the installation: left alone
  std::vector<std::string> Stuck;    // could neither be deleted nor left to the next start
  std::vector<std::string> Damaged;  // records that cannot be read, each with its reason

  // Something recorded stays for another reason than the next start.
  bool Incomplete() const { return !Outside.empty() || !Stuck.empty() || !Damaged.empty(); }
  bool LeftForRestart() const { return !Queued.empty(); }
  void Add(const TQLUninstallOutcome& Other);
};

// The closing message of an incomplete uninstall: what stays and why, at
// most MaxLines lines of it (then how many more), and the note about the
// next start when LeftForRestart. Lines are separated by "\r\n".
std::string IncompleteUninstallText(const TQLUninstallOutcome& Outcome, bool LeftForRestart, size_t MaxLines = 12);
