// Stands in for the product's component libraries in the demo payload: a
// valid DLL that reports its own file name.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI PrismoraComponentName(char* Name, DWORD Size) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&PrismoraComponentName), &module);
  return GetModuleFileNameA(module, Name, Size);
}
