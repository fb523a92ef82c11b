// File operations left to the next start of Windows: deleting a file (or an
// empty folder), and keeping a fresh file alive past such a pending delete.
// The NT family uses the system's pending file operations; the 95/98/Me
// family the "rename" section of "WININIT.INI". No operation reports
// failure; the platform's refusals are ignored.
#pragma once

#include <string>
#include <vector>

// Asks Windows to delete Path at its next start (on the NT family also an
// empty folder). A delete of Path queued before is withdrawn first, so each
// path is queued once, in the order of the latest requests. False when the
// system refuses.
bool DeleteFileAtReboot(const std::string& Path);

// Withdraws every operation waiting for the next start that would touch
// one of Paths or anything below them (a delete, a file moved from or onto
// such a path), and every delete of a folder above one of them: what an
// installation is about to write must still be there after the restart.
// Returns the paths whose delete was withdrawn (in ComparablePathOf form):
// what an uninstall had left to go at the next start.
std::vector<std::string> WithdrawPendingOperations(const std::vector<std::string>& Paths);

// Asks Windows to move Source onto Target at its next start, replacing it
// (a file in use that cannot be replaced now); false when it refuses.
bool ReplaceFileAtReboot(const std::string& Source, const std::string& Target);

// True when a delete of Path is waiting for the next start (and no file is
// moved onto Path after it).
bool IsDeletePendingAtReboot(const std::string& Path);

// Makes sure a file at Path exists after the next start even if a delete of
// Path is pending: withdraws the "NUL=" line on 95/98/Me; on the NT family,
// only when such a delete is pending, copies SourcePath beside Path
// (extension .000 to .FFF, the first free one) and queues a replace of Path
// by that copy behind the pending delete.
void CancelDeleteAtReboot(const std::string& Path, const std::string& SourcePath);

// Adds Line at the end of Section of IniFile unless an equal line (ignoring
// letter case) is there. A section that is too large to read, or would grow
// beyond 32,767 bytes, is left unchanged.
void AddProfileSectionLine(const std::string& Section, const std::string& Line, const std::string& IniFile);

// Removes the first line of Section equal to Line (ignoring letter case),
// keeping the other lines in order. A section too large to read is left
// unchanged.
void RemoveProfileSectionLine(const std::string& Section, const std::string& Line, const std::string& IniFile);

// The short (8.3) form of Path; Path itself when the platform gives none
// (for example for a file that does not exist).
std::string ShortPathOf(const std::string& Path);

// The copy CancelDeleteAtReboot would use for Path now: Path with the
// extension "." + i as three upper-case hexadecimal digits, for the first i
// (0 to 4095) without a file; the last one when all exist.
std::string ReplacementCandidateOf(const std::string& Path);
