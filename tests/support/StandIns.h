// Test support (Windows): where the test program runs from, and the
// project's stand-in libraries copied into place under the names the
// installer expects.
#pragma once

#include <string>

// The folder of the running test program, with a trailing backslash.
std::string TestProgramFolder();

// Copies the stand-in library Name (for example "standin_dsetup.dll") from
// the build's stand-in folder to Target; false when it cannot.
bool CopyStandIn(const std::string& Name, const std::string& Target);

// Sets a variable of this process's environment, "" removing it.
void SetProcessVariable(const std::string& Name, const std::string& Value);
