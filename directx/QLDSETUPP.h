// The DirectX redistributable runner: whether a folder holds a usable
// DSETUP.DLL, and running its DirectXSetupA with the user told the outcome
// (restarting Windows when the user agrees after a result that needs it).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// True when the file Folder + "DSETUP.DLL" exists (Folder ends with a
// backslash); the library is not loaded.
bool DSetupPresent(const std::string& Folder);

// Runs the DirectX setup from Folder (relative to the program's folder,
// which becomes the current folder; may be empty) with Window as the parent
// of its own windows. Returns DirectXSetupA's code, or 2 when the library
// or its entry point cannot be used. Silent suppresses the messages that
// only confirm success.
int32_t RunDirectXSetup(HWND Window, const std::string& Folder, bool Silent);
