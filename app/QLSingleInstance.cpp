#include "app/QLSingleInstance.h"

#include <windows.h>

#include "shell/QLPlatform.h"

namespace {

// The NT family names it in the global namespace so that setups in other
// sessions see it too; 95/98/Me has one namespace and no prefix.
const char* MutexName() { return IsNTFamily() ? "Global\\Prismora SE Setup" : "Prismora SE Setup"; }

}  // namespace

TQLSingleInstance::TQLSingleInstance() : FMutex(CreateMutexA(nullptr, FALSE, MutexName())) {
  // Without the mutex at all nothing can be told; the run goes on alone.
  FAlone = !FMutex || GetLastError() != ERROR_ALREADY_EXISTS;
}
