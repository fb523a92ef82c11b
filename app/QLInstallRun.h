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

enum class TQLExtractOutcome {
  Extracted,     // every entry written and recorded
  FilesMissing,  // the walk ended, but some files could not be created
  Cancelled,     // the user cancelled at a file that could not be replaced
  Broken,        // the archive was refused, or the walk failed
  Failed,        // recording failed (Error tells why)
};

// The maker's web site: the completion page's link and the program list's
// "About" address.
constexpr char kMakerWebSite[] = "http://www.veldrane.example/";

struct TQLExtractResult {
  TQLExtractOutcome Outcome = TQLExtractOutcome::Broken;
  std::string Error;
  int64_t InstalledBytes = 0;  // of the files this run wrote
  int32_t LeftForRestart = 0;  // files that replace one in use at the next start
  // The folders of the installation that was there before the run.
  std::vector<std::string> EarlierFolders;
};

// Old shortcuts removed, the uninstall registration renewed (the records of
// an earlier installation kept), "AppMain", then every archive entry
// extracted and recorded, and the item list merged with the earlier one.
// Whatever the outcome, every file written stays recorded. A registry error
// before the extraction propagates as EQLRegistryError.
TQLExtractResult InstallProductFiles(const std::string& DestFolder, const TQLProgressProc& OnProgress,
                                     const TQLExtractedProc& AfterEachFile);

// The carried uninstaller written to the uninstaller path; false, the user
// told which file, when the write failed or came out short.
bool WriteUninstaller();

// The three shortcuts (one message per failure until All), the product
// section and file types, the uninstaller kept from a pending delete.
void WriteInstallRecords(const std::string& DestFolder);

// The details of the entry in the system's list of programs, beside the
// registration: version, icon, size, date, the quiet uninstall command, the
// maker's site, and no Modify or Repair.
void WriteProgramListDetails(int64_t InstalledBytes);

// After a run that did not finish: the uninstaller in place so that what was
// written can be removed, and the shortcuts (and "AppMain") of an earlier
// installation that stays made again.
void KeepUnfinishedRunRemovable(const TQLExtractResult& Result);

// The browser plug-in keys, the Netscape-style plug-in in every browser,
// the ActiveX control (a failure told only with Internet Explorer 4.0 or
// later) and the ".PQR" content type.
void RegisterBrowserPlugins(const std::string& DestFolder, double IEVersion);
