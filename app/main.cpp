// The setup program's entry: the language, the run mode from the first
// argument and the program's own file name, then the wizard or the
// uninstall sequence. The exit status tells deployment tools the outcome.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/QLINST.h"
#include "app/QLSetupRules.h"
#include "app/QLSingleInstance.h"
#include "app/QLUninstallSequence.h"
#include "shell/QLFileUtils.h"
#include "records/QLInstallRegistory.h"
#include "shell/QLDllSearch.h"
#include "shell/QLPlatform.h"
#include "ui/MultiLang.h"
#include "ui/QLDialogs.h"

namespace {

std::vector<std::string> Arguments() { return std::vector<std::string>(__argv + 1, __argv + __argc); }

int RunWizard() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status;
  {
    TFQLINST form;
    status = form.FormCreate() ? form.Run() : form.ExitStatus;
  }
  CoUninitialize();
  return status;
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

int Run() {
  ChoosePlatformFamily();
  SetUILanguage(true);
  const std::vector<std::string> args = Arguments();
  const TQLSingleInstance instance;
  if (!instance.Alone()) {
    MessageDlg("Another Prismora SE setup is already running.", mtError, mbOK);
    return kExitAlreadyRunning;
  }
  InstallRegistory();  // the one install registry exists from the start
  if (DecideRunMode(args, ProgramPath()) == TQLRunMode::Uninstall) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the shell links need it
    int status = RunUninstallSequence();
    CoUninitialize();
    return status;
  }
  UnattendedMode = HasUnattendedOption(args);
  return RunWizard();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchPath();
  try {
    return Run();
  } catch (const std::exception& e) {
    MessageDlg(e.what(), mtError, mbOK);
  } catch (...) {
    MessageDlg("Unexpected failure.", mtError, mbOK);
  }
  return kExitFailed;
}
