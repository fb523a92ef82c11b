// The setup program's entry: the language, the run mode from the first
// argument and the program's own file name, then the wizard or the
// uninstall sequence. The exit status tells deployment tools the outcome.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/QLInstallMode.h"
#include "app/QLSetupRules.h"
#include "app/QLSetupOptions.h"
#include "app/QLSilentAnswers.h"
#include "app/QLSingleInstance.h"
#include "app/QLUninstallSequence.h"
#include "shell/QLFileUtils.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLDllSearch.h"
#include "shell/QLPlatform.h"
#include "shell/QLSetupLog.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"
#include "ui/MultiLang.h"
#include "ui/QLDialogs.h"

namespace {

std::vector<std::string> Arguments() { return std::vector<std::string>(__argv + 1, __argv + __argc); }

// COM for the shell links, for the length of one run.
// "/LOG=FILE": an unwritable log is told once (only where a person looks)
// and the run goes on.
void OpenLog(const TQLSetupOptions& Options) {
  if (Options.LogFile.empty() || OpenSetupLog(WidePathOf(Options.LogFile))) return;
  if (!Options.Silent) MessageDlg("The log file cannot be written:\r\r" + Options.LogFile, mtWarning, mbOK);
}

#ifdef QL_TEST_BUILD
// The test build of the program (never shipped) runs the Windows 95/98/Me
// branches on an NT-family system when QL_PLATFORM_FAMILY names that family.
void ChoosePlatformFamily() {
  const char* family = std::getenv("QL_PLATFORM_FAMILY");
  if (family && std::string(family) == "9x") SetNTFamilyOverride(false);
}
#else
void ChoosePlatformFamily() {}
#endif

int Run(const std::vector<std::string>& Args, const TQLSetupOptions& Options) {
  if (Options.Help) {
    if (!Options.Silent) MessageDlg(SetupOptionsHelpText(), mtInformation, mbOK);
    return kExitSuccess;
  }
  const TQLSingleInstance instance;
  if (!instance.Alone()) {
    MessageDlg("Another Prismora SE setup is already running.", mtError, mbOK);
    return kExitAlreadyRunning;
  }
  InstallRegistory();  // the one install registry exists from the start
  const bool uninstall = DecideRunMode(Args, ProgramPath()) == TQLRunMode::Uninstall;
  SetupLog(std::string("mode: ") + (uninstall ? "uninstall" : "install") + (Options.Silent ? ", silent" : ""));
  if (!uninstall) return RunInstallMode(Args, Options);
  TQLComApartment com;
  return RunUninstallSequence();
}

int RunGuarded(const std::vector<std::string>& Args, const TQLSetupOptions& Options) {
  try {
    return Run(Args, Options);
  } catch (const std::exception& e) {
    SetupLog(std::string("error: ") + e.what());
    MessageDlg(e.what(), mtError, mbOK);
  } catch (...) {
    SetupLog("error: unexpected failure");
    MessageDlg("Unexpected failure.", mtError, mbOK);
  }
  return kExitFailed;
}

}  // namespace

// The runtime's default end for an exception nobody caught names its type,
// readably, on the error output. This program catches every exception in
// RunGuarded and has no error output to write to, so the end is plain; the
// name reader it would bring is a large part of the program's size.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchPath();
  ChoosePlatformFamily();
  SetUILanguage(true);
  const std::vector<std::string> args = Arguments();
  const TQLSetupOptions options = ParseSetupOptions(args, GetCommandLineA());
  // A silent run never shows a window: every question gets its declared
  // answer, and the log tells what was asked.
  if (options.Silent) SetDialogAnswerer(SilentAnswer);
  OpenLog(options);
  SetupLog(std::string("command line: ") + GetCommandLineA());
  const int status = RunGuarded(args, options);
  SetupLog("exit status: " + std::to_string(status));
  return status;
}
