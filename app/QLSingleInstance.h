// One setup at a time: a named system mutex held for the life of the run, so
// a second setup or uninstaller started meanwhile (in any session) sees the
// first and stops before it changes anything. Owns the mutex handle.
#pragma once

#include "shell/QLWinHandles.h"

class TQLSingleInstance {
public:
  // Takes the mutex; Alone() tells whether no other setup holds it.
  TQLSingleInstance();
  bool Alone() const { return FAlone; }

private:
  TQLFileHandle FMutex;  // closed with CloseHandle like any kernel handle
  bool FAlone = false;
};
