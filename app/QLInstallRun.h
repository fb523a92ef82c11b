// The installation run's work, in its fixed order, without the window: the
// records and the extraction into the destination folder, the shortcuts,
// the product section and file types, the uninstaller copy, and the browser
// plug-in registration. The wizard shows the progress and the outcome.
// Registry write errors propagate as EQLRegistryError.
#pragma once

#include <string>

#include "archive/QLCatExtract.h"

// Old shortcuts removed, the uninstall registration renewed, "AppMain", then
// every archive entry extracted and recorded. False when the extraction
// failed (what was written so far stays recorded).
bool InstallProductFiles(const std::string& DestFolder, const TQLProgressProc& OnProgress,
                         const TQLExtractedProc& AfterEachFile);

// The three shortcuts (one message per failure until All), the product
// section and file types, the uninstaller copy kept from a pending delete.
void WriteInstallRecords(const std::string& DestFolder);

// The browser plug-in keys, the Netscape-style plug-in in every browser,
// the ActiveX control (a failure told only with Internet Explorer 4.0 or
// later) and the ".PQR" content type.
void RegisterBrowserPlugins(const std::string& DestFolder, double IEVersion);
