#include "records/QLUninstallOutcome.h"

namespace {

void Append(std::vector<std::string>& To, const std::vector<std::string>& From) {
  To.insert(To.end(), From.begin(), From.end());
}

}  // namespace

void TQLUninstallOutcome::Add(const TQLUninstallOutcome& Other) {
  Append(Queued, Other.Queued);
  Append(Outside, Other.Outside);
  Append(Stuck, Other.Stuck);
  Append(Damaged, Other.Damaged);
}

std::string IncompleteUninstallText(const TQLUninstallOutcome& Outcome, bool LeftForRestart, size_t MaxLines) {
  std::vector<std::string> lines;
  for (const std::string& path : Outcome.Outside) lines.push_back(path + " (outside the installation folder, left alone)");
  for (const std::string& path : Outcome.Stuck) lines.push_back(path + " (could not be deleted)");
  for (const std::string& damage : Outcome.Damaged) lines.push_back(damage + " (the record cannot be read; its file stays)");
  std::string text = "Uninstallation was not completed.\r\n\r\nThese items of Prismora SE remain:\r\n";
  for (size_t i = 0; i < lines.size() && i < MaxLines; ++i) text += lines[i] + "\r\n";
  if (lines.size() > MaxLines) text += "and " + std::to_string(lines.size() - MaxLines) + " more\r\n";
  if (LeftForRestart)
    text += "\r\nWhen Windows will be started next time, the remaining file is automatically deleted.";
  while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  return text;
}
