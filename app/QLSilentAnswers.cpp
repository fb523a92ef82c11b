#include "app/QLSilentAnswers.h"

#include <string>

namespace {

bool StartsWith(const std::string& Text, const char* Prefix) { return Text.rfind(Prefix, 0) == 0; }

struct TDeclaredAnswer {
  const char* Prefix;
  uint16_t Answer;
};

// The questions whose declared answer is not the default one.
const TDeclaredAnswer DeclaredAnswers[] = {
    // The title page: go on.
    {"DirectX7 or more is definitely required.", mrIgnore},
    {"For performing this program, Internet Explorer 4.0", mrIgnore},
    {"Please terminate a browser", mrIgnore},
    // The folder page: a full disk stops before anything is written; a
    // tight one goes on.
    {"Not enough hard disk memory", mrOk},
    {"There is not much hard disk memory", mrOk},
    // The copying run: a file in use is replaced at the next start; a file
    // that cannot be written fails the run at its end, and no prompt waits
    // for the rest.
    {"The file cannot be extract:", mrReplaceAtRestart},
    {"File Cannt create:", mrAll},
    {"Cannot create shortcut file:", mrAll},
    // The uninstall: remove, but keep what the user changed.
    {"Prismora SE will be uninstalled now.", mrOk},
    {"This file has the possibility to be changed", mrNo},
};

}  // namespace

uint16_t SilentAnswer(const TQLDialogRequest& Request) {
  for (const TDeclaredAnswer& declared : DeclaredAnswers)
    if (StartsWith(Request.Text, declared.Prefix)) return declared.Answer;
  if (Request.Buttons & mbCancel) return mrCancel;
  if (Request.Buttons & mbNo) return mrNo;
  return mrOk;
}
