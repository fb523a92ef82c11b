// Fuzz target: the deployment switches and the silent answers. The input is
// split at zero bytes into arguments, which are put on a command line as the
// system would pass them (an argument with a blank quoted). The folder of
// the last "/D=" must be that argument's own text when it is the last
// argument, however many "/D=" it holds; "/LOG=" gives the last such
// argument's text. The first argument is also asked as a silent question:
// a silent run never answers Retry, which would ask again for ever.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/QLSetupOptions.h"
#include "app/QLSilentAnswers.h"

namespace {

bool StartsWithNoCase(const std::string& Text, const char* Prefix) {
  for (size_t i = 0; Prefix[i]; ++i)
    if (i >= Text.size() || std::tolower(uint8_t(Text[i])) != std::tolower(uint8_t(Prefix[i]))) return false;
  return true;
}

std::string WithoutTrailingBlanks(std::string Text) {
  while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t')) Text.pop_back();
  return Text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < Size; ++i) {
    if (Data[i] == 0) args.emplace_back();
    else if (Data[i] != '"') args.back() += char(Data[i]);
  }
  std::string line = "setup.exe";
  for (const std::string& a : args) {
    const bool quoted = a.empty() || a.find_first_of(" \t") != std::string::npos;
    line += quoted ? " \"" + a + "\"" : " " + a;
  }
  const TQLSetupOptions options = ParseSetupOptions(args, line);
  bool hasFolder = false;
  std::string log;
  for (const std::string& a : args) {
    hasFolder = hasFolder || StartsWithNoCase(a, "/D=");
    if (StartsWithNoCase(a, "/LOG=")) log = a.substr(5);
  }
  if (options.HasFolder != hasFolder || options.LogFile != log) std::abort();
  const std::string& last = args.back();
  if (StartsWithNoCase(last, "/D=")) {
    const std::string folder = WithoutTrailingBlanks(last.substr(3));
    if (options.Folder != (folder.empty() ? last.substr(3) : folder)) std::abort();
  }
  const TMsgDlgButtons buttons = TMsgDlgButtons(Size % 2048);
  if (SilentAnswer({args[0], TMsgDlgType(Size % 5), buttons, "", false}) == mrRetry) std::abort();
  return 0;
}
