#include "directx/QLDSETUPP.h"

#include "directx/QLDSetupMessages.h"
#include "shell/QLDllSearch.h"
#include "shell/QLFileUtils.h"
#include "shell/QLWinHandles.h"
#include "ui/QLDialogs.h"

namespace {

std::string ProgramFolder() {
  const std::string program = ProgramPath();
  return program.substr(0, program.rfind('\\') + 1);
}

// The folder handed to the DirectX setup: absolute, against the program's
// folder, with a trailing backslash; an empty folder stays empty.
std::string ResolveSetupFolder(const std::string& Folder) {
  if (Folder.empty()) return Folder;
  SetCurrentDirectoryA(ProgramFolder().c_str());
  std::string full = FullPathOf(Folder);
  if (!full.empty() && full.back() != '\\') full += '\\';
  return full;
}

int32_t CallDirectXSetup(HWND Window, const std::string& Library, std::string Folder) {
  TQLLibrary dsetup(LoadLibraryFromPath(Library));
  if (!dsetup) return kDSetupCannotOpen;
  using TDirectXSetup = INT(WINAPI*)(HWND, LPSTR, DWORD);
  auto setup = reinterpret_cast<TDirectXSetup>(reinterpret_cast<void*>(GetProcAddress(dsetup.Get(), "DirectXSetupA")));
  if (!setup) return kDSetupCannotOpen;
  return setup(Window, Folder.data(), kDSetupFlags);
}

}  // namespace

bool DSetupPresent(const std::string& Folder) {
  // Only looked at: a library's start-up code runs when it is loaded, and
  // the DirectX setup is loaded only when the user starts it.
  return FileExists(FullPathOf(Folder + "DSETUP.DLL"));
}

int32_t RunDirectXSetup(HWND Window, const std::string& Folder, bool Silent) {
  const std::string folder = ResolveSetupFolder(Folder);
  const std::string library = FullPathOf(folder + "DSETUP.DLL");
  const int32_t code = CallDirectXSetup(Window, library, folder);
  const TQLDSetupMessage message = DirectXSetupMessage(code, Silent, library);
  if (message.Show) {
    uint16_t answer = MessageDlg(message.Text, message.Error ? mtError : mtInformation,
                                 message.OkCancel ? mbOK | mbCancel : mbOK);
    if (code == kDSetupSuccessRestart && answer == mrOk) ExitWindowsEx(EWX_REBOOT, 0);
  }
  return code;
}
