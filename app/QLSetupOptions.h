// The switches for unattended deployment, beside the run mode and "/u": "/S"
// (silent: no window, no question, every answer declared), "/D=FOLDER" (the
// installation folder), "/LOG=FILE" and "/?". Letter case does not matter
// and each may stand anywhere on the command line. Pure.
#pragma once

#include <string>
#include <vector>

struct TQLSetupOptions {
  bool Silent = false;
  bool Help = false;
  bool HasFolder = false;
  std::string Folder;  // as given, quotes removed
  std::string LogFile;  // empty: no log
};

// Args are the arguments after the program's path; CommandLine is the whole
// command line as the system gives it. "/D=" as the last switch takes the
// rest of the command line, spaces included (the deployment convention for
// an unquoted folder); elsewhere it takes its own argument.
TQLSetupOptions ParseSetupOptions(const std::vector<std::string>& Args, const std::string& CommandLine);

// A folder the installation can be pointed at: an absolute path on a drive
// ("C:\...") or a share ("\\server\share\..."), with no character a file
// name cannot hold and no "." or ".." step.
bool IsUsableInstallFolder(const std::string& Folder);

// The text "/?" shows.
std::string SetupOptionsHelpText();
