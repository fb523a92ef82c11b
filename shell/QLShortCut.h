// Shell links (".lnk" files) of the product: the three-row shortcut table,
// creation of one link through the shell's link object, and the removal of
// links and Start-menu folders. Needs COM initialised on the calling thread
// (single-threaded apartment); every COM pointer is released before return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLError.h"

// One row of the shortcut table.
struct TQLShortCutFile {
  std::string FileName;  // target below the installation folder, "\..."
  std::string LinkName;  // link below the special folder, no ".lnk"
  int32_t Folder = 0;    // CSIDL number of the special folder
  std::string Arguments;
};

// The link object itself could not be created (COM not available): Status is
// the COM result; the message names the object and gives the system's text.
class EQLShellLinkError : public EQLError {
 public:
  EQLShellLinkError(int32_t Status, const std::string& Message) : EQLError(Message), FStatus(Status) {}
  int32_t Status() const { return FStatus; }

 private:
  int32_t FStatus;
};

// Shown as SW_SHOWNORMAL, SW_SHOWMINNOACTIVE and SW_SHOWMAXIMIZED.
enum class TQLShowState : uint8_t { Normal = 0, Minimized = 1, Maximized = 2 };

// The properties of one link to create.
struct TQLShortCutInfo {
  std::string Path;
  std::string Arguments;
  std::string WorkingDirectory;
  std::string Description;
  std::string IconLocation;  // empty: the target's own icon
  int32_t IconIndex = 0;
  TQLShowState ShowState = TQLShowState::Normal;
};

constexpr int ShortCutCount = 3;
// Desktop link to the runtime, Start-menu links to the runtime and the
// read-me, in the user's folders (see AllUsersShortCut).
extern const TQLShortCutFile ShortCutTable[ShortCutCount];

// The row as the installation and the uninstallation use it: on the NT
// family a copy whose Folder names the all-users folder (desktop 16 -> 25,
// programs 2 -> 23); elsewhere the row unchanged.
TQLShortCutFile AllUsersShortCut(const TQLShortCutFile& Row);

// The link file of a row: special folder, "\", LinkName, ".lnk"; empty
// when the shell cannot resolve the special folder.
std::string ShortCutLinkPath(const TQLShortCutFile& Row);

// Saves a link at LinkPath (made absolute; missing folders are created).
// False when a link property or the save fails; a failure to create the
// link object itself is raised as EQLShellLinkError.
bool CreateShortCut(const std::string& LinkPath, const TQLShortCutInfo& Info);

// The link of Row to AppPath + FileName, working in the target's folder and
// described by LinkName.
bool CreateShortCutFile(const std::string& AppPath, const TQLShortCutFile& Row);

// Deletes the link file of Row if there is one; its folder stays.
void DeleteShortCutFile(const TQLShortCutFile& Row);

// Deletes the Start-menu folder Name: on the NT family the all-users one,
// then on every family the user's own.
void DeleteProgramsFolder(const std::string& Name);

// Deletes the desktop link Name of the user and, on the NT family, of all
// users.
void DeleteDesktopShortCut(const std::string& Name);

// The files DeleteProgramsFolder(Name) and DeleteDesktopShortCut(Name)
// would delete now.
std::vector<std::string> ShortCutFilesOf(const std::string& Name);
