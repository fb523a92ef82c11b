// File, folder and system helpers shared by the installer's units (Win32).
// Stateless but for the kept shell version; every operation reports failure
// through its result and shows no message.
#pragma once

#include <cstdint>
#include <string>

#include "archive/QLDateTime.h"
#include "shell/QLWidePath.h"

// True when Path names an existing folder.
bool DirectoryExists(const std::string& Path);

// Creates Folder and all its missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& Folder);

// Deletes the file at Path, setting its attributes to archive only first
// (clearing read-only, hidden and system) when a plain delete fails; false
// when there is no such file or it cannot be deleted.
bool DeleteFileIfExists(const std::string& Path);

// True when Path names an existing file (not a folder).
bool FileExists(const std::string& Path);

// Removes Folder with its files and subfolders after clearing their
// attributes. Hidden and system entries are neither deleted nor entered, so
// a folder holding one stays. Failures are discarded.
void DeleteTree(const std::string& Folder);

// Results of CopyFileWithTime.
enum : int {
  cfCopied = 0,
  cfSourceMissing = 1,
  cfDestNotDeleted = 2,  // an existing destination could not be deleted
  cfCopyFailed = 3,      // also: source and destination are the same file
};

// Copies Source to Dest (creating Dest's folders, replacing an existing
// Dest), then gives Dest the source's last-write time at the 2-second DOS
// granularity and the source's attributes.
// A failed copy leaves no file at Dest.
int CopyFileWithTime(const std::string& Source, const std::string& Dest);
// The same from a source named by its UTF-16 path (the running program's own
// file, whose folder may have no ANSI name).
int CopyFileWithTime(const TQLWideText& Source, const std::string& Dest);

// Makes room for a new file at Dest: its folders created, a file already
// there deleted (whatever its attributes); false when that file stays.
bool ClearDestination(const std::string& Dest);

// Gives Dest the last-write time of Source at the 2-second DOS granularity
// and Source's attributes (what CopyFileWithTime does after copying);
// nothing when Source is missing.
void GiveTimeAndAttributesOf(const TQLWideText& Source, const std::string& Dest);

// A file time (universal) as local time at the 2-second DOS granularity;
// 0 when it has no DOS form.
TDateTime DosDateTimeOf(const struct _FILETIME& Time);

// Last-write time of the file as local time at the 2-second DOS
// granularity; 0 when there is no such file.
TDateTime FileDateTimeOf(const std::string& Path);

// Size of the file (low 32 bits); -1 when there is no such file.
int32_t FileSizeOf(const std::string& Path);

// The running program's full path, whatever its length, in ANSI text (its
// short form when the long one has characters outside the ANSI code page);
// empty when it has no ANSI form at all.
std::string ProgramPath();

// The absolute form of Path; empty for an empty Path.
std::string FullPathOf(const std::string& Path);

// File-system path of a shell special folder (a CSIDL number); empty when
// the shell cannot resolve it.
std::string GetSpecialFolderPath(int Csidl);
// Where the shell puts that folder, whether it is there or not (nothing is
// verified or read on disk, so it costs a fraction of the above); empty
// when the number names no folder of the file system.
std::string SpecialFolderPlace(int Csidl);

// The Program Files folder: the shell's on the NT family, otherwise the
// registry's "ProgramFilesDir", else DefaultProgramFilesFolder of the
// Windows folder. Never ends in a separator unless it is a drive root.
std::string GetProgramFilesFolder();

// "<drive>:\Program Files" on the drive of WindowsFolder, or that drive's
// root ("C:\") when no such folder exists; empty when WindowsFolder names
// no drive.
std::string DefaultProgramFilesFolder(const std::string& WindowsFolder);

// The running program's product version as "a.b.c.d"; empty when the
// program has no version resource.
std::string GetProductVersionText();

// Major version of the shell library (shell32.dll) from its DllGetVersion
// export, asked once and kept; 0 when the library, the export or the call
// fails.
unsigned GetShellMajorVersion();
