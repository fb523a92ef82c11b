#include "app/QLSetupOptions.h"

#include <cctype>

namespace {

bool StartsWithNoCase(const std::string& Text, const std::string& Prefix) {
  if (Text.size() < Prefix.size()) return false;
  for (size_t i = 0; i < Prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(Text[i])) != std::toupper(static_cast<unsigned char>(Prefix[i])))
      return false;
  return true;
}

std::string WithoutQuotes(std::string Text) {
  std::string out;
  for (char c : Text)
    if (c != '"') out += c;
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  return out;
}

// The rest of CommandLine after its last "/D=" that starts an argument:
// after a blank or an opening quote, never inside a quoted text.
std::string LastFolderOption(const std::string& CommandLine) {
  size_t found = std::string::npos;
  bool quoted = false, starts = true;
  for (size_t at = 0; at < CommandLine.size(); ++at) {
    const char c = CommandLine[at];
    if (starts && StartsWithNoCase(CommandLine.substr(at, 3), "/D=")) found = at;
    if (c == '"') {
      quoted = !quoted;  // an opening quote keeps the argument's start
      continue;
    }
    starts = !quoted && (c == ' ' || c == '\t');
  }
  return found == std::string::npos ? std::string() : WithoutQuotes(CommandLine.substr(found + 3));
}

bool IsDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

TQLSetupOptions ParseSetupOptions(const std::vector<std::string>& Args, const std::string& CommandLine) {
  TQLSetupOptions options;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (arg == "/S" || arg == "/s") options.Silent = true;
    if (arg == "/?") options.Help = true;
    if (StartsWithNoCase(arg, "/LOG=")) options.LogFile = arg.substr(5);
    if (!StartsWithNoCase(arg, "/D=")) continue;
    options.HasFolder = true;
    // Last on the line: what follows unquoted is the rest of the folder.
    bool last = true;
    for (size_t j = i + 1; j < Args.size(); ++j) last = last && (Args[j].empty() || Args[j][0] != '/');
    options.Folder = last ? LastFolderOption(CommandLine) : arg.substr(3);
    if (options.Folder.empty()) options.Folder = arg.substr(3);
  }
  return options;
}

bool IsUsableInstallFolder(const std::string& Folder) {
  size_t start = 0;
  if (Folder.size() >= 3 && IsDriveLetter(Folder[0]) && Folder[1] == ':' && Folder[2] == '\\') {
    start = 3;
  } else if (Folder.size() > 2 && Folder[0] == '\\' && Folder[1] == '\\') {
    // \\server\share: both named.
    const size_t share = Folder.find('\\', 2);
    if (share == std::string::npos || share == 2 || share + 1 >= Folder.size() || Folder[share + 1] == '\\')
      return false;
    start = 2;
  } else {
    return false;
  }
  std::string step;
  for (size_t i = start; i <= Folder.size(); ++i) {
    const char c = i < Folder.size() ? Folder[i] : '\\';
    if (c == '\\') {
      if (step == "." || step == ".." || (step.empty() && i < Folder.size())) return false;
      step.clear();
      continue;
    }
    if (static_cast<unsigned char>(c) < 32 || std::string("<>:\"/|?*").find(c) != std::string::npos) return false;
    step += c;
  }
  return true;
}

std::string SetupOptionsHelpText() {
  return "Prismora SE Setup\r\r"
         "/S\tSilent: no window and no question; the exit status tells the outcome.\r"
         "/D=FOLDER\tThe installation folder (last on the command line, or quoted).\r"
         "/LOG=FILE\tA log of everything the setup does.\r"
         "/u\tPresses Next by itself.\r"
         "/UNINSTALL\tRemoves Prismora SE (with /S: silently).\r"
         "/?\tThis text.\r\r"
         "Exit statuses: 0 done, 1602 cancelled, 1603 failed, 1605 not installed,\r"
         "1618 another setup running, 3010 done, restart needed.";
}
