// Stands in for the runtime's ActiveX control during development and in the
// demo payload: self-registration writes the control's CLSID with this
// library's own path as its in-process server; self-unregistration removes
// the CLSID again. Built a second time with QL_STANDIN_REFUSE, when both
// calls do nothing and answer S_FALSE.
#include <windows.h>
#include <olectl.h>

#include <string>

namespace {

const char kClsidKey[] = "CLSID\\{5E2A7C10-3B94-4F61-9D08-A1C6E3B7F245}";

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
#ifdef QL_STANDIN_REFUSE
  return S_FALSE;
#else
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(ThisModule(), path, MAX_PATH);
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, (std::string(kClsidKey) + "\\InprocServer32").c_str(), 0, nullptr, 0,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  LONG rc = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), n + 1);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
#endif
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
#ifdef QL_STANDIN_REFUSE
  return S_FALSE;
#else
  LONG rc = RegDeleteTreeA(HKEY_CLASSES_ROOT, kClsidKey);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
#endif
}
