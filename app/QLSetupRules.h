// The setup program's decisions that need no system: the run mode and the
// unattended option from the command line, where the DirectX setup comes
// from, the window caption, the size text and the disk-space questions of
// the folder page, the running-browser test, and the exit statuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TQLRunMode { Install, Uninstall };

// Set by "-u" or "/unattended" before the wizard exists: the wizard presses
// Next by itself until a page refuses to move on.
extern bool UnattendedMode;

// Args are the arguments after the program's path. ProgramPath is the
// program's own path (its file name "UNINST.EXE" means uninstall).
TQLRunMode DecideRunMode(const std::vector<std::string>& Args, const std::string& ProgramPath);
// True when an argument is "-" or "/" followed by "u" or "unattended".
bool HasUnattendedOption(const std::vector<std::string>& Args);

struct TQLDirectXSource {
  bool Enabled = false;
  std::string Path;
};
// RootHasSetup: DSETUP.DLL loads from the root folder "\"; otherwise the
// configuration file (when it exists) decides with DXSETUP and DXPATH. The
// NT family never offers the DirectX setup.
TQLDirectXSource DecideDirectXSource(bool RootHasSetup, bool ConfigExists, const std::string& DXSetup,
                                     const std::string& DXPath, bool NTFamily);
// The configuration file beside the program: its path with ".INI".
std::string ConfigFilePath(const std::string& ProgramPath);
// The program's path with another extension (".INI", ".DAT").
std::string WithExtension(const std::string& Path, const std::string& Extension);

// "Prismora SE Setup (Build 1.1.11.516.N)"; "9" instead of "N" off NT.
std::string SetupCaption(const std::string& ProductVersion, bool NTFamily);

// "%6.2fMB / %8.2fMB" of the sizes in MiB.
std::string InstallSizeText(int64_t InstallSize, int64_t FreeSpace);

enum class TQLDiskQuestion { None, NotEnough, NotMuch };
TQLDiskQuestion DiskQuestion(int64_t FreeSpace, int64_t InstallSize);

// The root a folder text's free space is asked of: "C:\" for a drive
// path, "\\SERVER\SHARE\" for a network path; upper case; "" when the text
// names neither.
std::string FolderRoot(const std::string& FolderText);
// The length of that root's part of the text ("C:", "\\server\share"), 0
// when there is none. Only the separators and the colon decide it, so any
// character may stand for one that is not ASCII.
size_t FolderRootLength(const std::string& FolderText);

// A top-level window that shows a browser is running.
bool IsBrowserWindow(const std::string& Title, const std::string& ClassName);

// Exit statuses in the codes deployment tools understand.
constexpr int kExitSuccess = 0;
constexpr int kExitUserCancelled = 1602;
constexpr int kExitFailed = 1603;
constexpr int kExitNotInstalled = 1605;
constexpr int kExitAlreadyRunning = 1618;
constexpr int kExitRestartRequired = 3010;
