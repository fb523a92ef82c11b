// Stands in for the runtime's Netscape-style browser plug-in: a valid DLL
// with the plug-in entry points, each declining to run.
#include <windows.h>

namespace {
constexpr short kGenericError = 1;
}

extern "C" __declspec(dllexport) short WINAPI NP_GetEntryPoints(void*) { return kGenericError; }
extern "C" __declspec(dllexport) short WINAPI NP_Initialize(void*) { return kGenericError; }
extern "C" __declspec(dllexport) short WINAPI NP_Shutdown() { return 0; }
