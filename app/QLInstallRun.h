// The installation run's work, in its fixed order, without the window: the
// records and the extraction into the destination folder, the uninstaller
// copy, the shortcuts, the product section and file types, and the browser
// plug-in registration. The wizard shows the progress and the outcome.
// Registry write errors propagate as EQLRegistryError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLCatExtract.h"

class TQLInstallTransaction;

enum class TQLExtractOutcome {
  Extracted,      // every entry written and recorded
  FilesMissing,   // the walk ended, but some files could not be created
  Cancelled,      // the user cancelled at a file that could not be replaced
  Broken,         // the archive was refused, or the walk failed
  Failed,         // recording failed (Error tells why)
  NoUninstaller,  // the uninstaller could not be written (Error names it)
};

// The maker's web site: the completion page's link and the program list's
// "About" address.
constexpr char kMakerWebSite[] = "http://www.veldrane.example/";

struct TQLExtractResult {
  TQLExtractOutcome Outcome = TQLExtractOutcome::Broken;
  std::string Error;
  int64_t InstalledBytes = 0;  // of the files this run wrote
  int32_t LeftForRestart = 0;  // files that replace one in use at the next start
};

// Everything below happens inside Run, which keeps aside what it replaces.
// Old shortcuts removed; the uninstaller written and checked, then the
// uninstall registration pointing at it (the records of an earlier
// installation kept) and "AppMain"; then every archive entry extracted, each
// recorded right before it is written. A registry error before the
// extraction propagates as EQLRegistryError.
TQLExtractResult InstallProductFiles(TQLInstallTransaction& Run, const std::string& DestFolder,
                                     const TQLProgressProc& OnProgress, const TQLExtractedProc& AfterEachFile);

// The text that tells why a run that did not finish failed.
std::string UnfinishedRunText(const TQLExtractResult& Result);
// The line that tells what the undone run left: nothing, or the earlier
// installation as it was.
std::string RolledBackText(bool EarlierRestored);

// The three shortcuts (one message per failure until All), the product
// section and file types, the uninstaller kept from a pending delete.
void WriteInstallRecords(TQLInstallTransaction& Run, const std::string& DestFolder);

// The details of the entry in the system's list of programs, beside the
// registration: version, icon, size, date, the quiet uninstall command, the
// maker's site, and no Modify or Repair.
void WriteProgramListDetails(int64_t InstalledBytes);

// The browser plug-in keys, the Netscape-style plug-in in every browser,
// the ActiveX control (a failure told only with Internet Explorer 4.0 or
// later) and the ".PQR" content type.
void RegisterBrowserPlugins(TQLInstallTransaction& Run, const std::string& DestFolder, double IEVersion);
