// Stands in for the DirectX redistributable's DSETUP.DLL: DirectXSetupA
// answers the result code named by the environment variable
// QL_DSETUP_RESULT (0 when unset) and appends the folder and flags it was
// given, as "folder|flags", to DSETUP.LOG beside this library. Being loaded
// leaves DSETUP.LOADED there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string LogPath() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&LogPath), &module);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.rfind('\\') + 1) + "DSETUP.LOG";
}

}  // namespace

// Loading alone leaves DSETUP.LOADED beside the library, so a test can tell
// a library that was only looked at from one whose code ran.
BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID) {
  if (Reason != DLL_PROCESS_ATTACH) return TRUE;
  std::string marker = LogPath();
  marker.replace(marker.size() - 3, 3, "LOADED");
  if (std::FILE* file = std::fopen(marker.c_str(), "ab")) std::fclose(file);
  return TRUE;
}

extern "C" __declspec(dllexport) INT WINAPI DirectXSetupA(HWND, LPSTR RootPath, DWORD Flags) {
  if (std::FILE* log = std::fopen(LogPath().c_str(), "ab")) {
    std::fprintf(log, "%s|%08lX\n", RootPath ? RootPath : "(null)", static_cast<unsigned long>(Flags));
    std::fclose(log);
  }
  char value[32] = {};
  if (GetEnvironmentVariableA("QL_DSETUP_RESULT", value, sizeof value) == 0) return 0;
  return std::atoi(value);
}
