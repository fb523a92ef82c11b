// The install mode of a program: the setup's wizard, or its silent run,
// with the product archive it carries. The setup program links
// QLInstallMode.cpp; the uninstaller, which carries no archive, links
// QLInstallModeAbsent.cpp instead and so leaves the whole install side out.
#pragma once

#include <string>
#include <vector>

#include "app/QLSetupOptions.h"

// Runs the install mode for the command line's arguments; the exit status.
int RunInstallMode(const std::vector<std::string>& Args, const TQLSetupOptions& Options);
