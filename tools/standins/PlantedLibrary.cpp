// A library planted under a system library's name beside a program, to show
// that the program does not load it: loading it creates the file named by
// the environment variable QL_PLANTED_MARKER.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID) {
  if (Reason != DLL_PROCESS_ATTACH) return TRUE;
  char marker[MAX_PATH] = {};
  if (GetEnvironmentVariableA("QL_PLANTED_MARKER", marker, MAX_PATH) == 0) return TRUE;
  HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DirectDrawCreate(void*, void**, void*) { return E_FAIL; }
