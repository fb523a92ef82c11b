#include "shell/QLDllSearch.h"

namespace {

// Not declared for every system the program runs on: looked up at run time.
constexpr DWORD kSearchDllLoadDir = 0x00000100;  // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchSystem32 = 0x00000800;    // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename TProc>
TProc Kernel32Proc(const char* Name) {
  return reinterpret_cast<TProc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), Name)));
}

}  // namespace

void RestrictDllSearchPath() {
  using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
  using TSetDllDirectory = BOOL(WINAPI*)(LPCSTR);
  if (auto setDefault = Kernel32Proc<TSetDefaultDllDirectories>("SetDefaultDllDirectories"))
    setDefault(kSearchSystem32);
  if (auto setDirectory = Kernel32Proc<TSetDllDirectory>("SetDllDirectoryA"))
    setDirectory("");  // drops the current folder from the search
}

HMODULE LoadLibraryFromPath(const std::string& Path) {
  HMODULE module = LoadLibraryExA(Path.c_str(), nullptr, kSearchDllLoadDir | kSearchSystem32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER)  // systems without the search flags
    module = LoadLibraryExA(Path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module;
}

std::string SystemLibraryPath(const std::string& Name) {
  char folder[MAX_PATH] = {};
  UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return Name;
  return std::string(folder, n) + "\\" + Name;
}
