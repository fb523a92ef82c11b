// qlcat's extraction on Windows: the installer's own ExtractArchive, with its
// prompts answered on the error stream (Cancel for a file in the way, OK for
// a file that cannot be written) instead of in a dialog.
#include <algorithm>

#include "archive/QLCatDiskWin.h"
#include "archive/QLCatFormat.h"
#include "tools/qlcat/QLCatTool.h"
#include "ui/QLDialogs.h"

bool ExtractArchiveToFolder(TQLTurboStream& Archive, const std::string& Dest, std::ostream& Out, std::ostream& Err,
                            TQLCatProgressLine* Progress) {
  bool prompted = false;
  SetDialogAnswerer([&](const TQLDialogRequest& R) -> uint16_t {
    std::string text = R.Text;
    std::replace(text.begin(), text.end(), '\r', ' ');
    Err << "qlcat: " << text << '\n';
    prompted = true;
    return (R.Buttons & mbCancel) ? mrCancel : mrOk;
  });
  int32_t files = 0;
  bool ok = ExtractArchive(Dest, Archive, [&](const std::string&, int32_t, TDateTime) { ++files; }, "",
                           OverallProgress(Progress),
                           ArchiveIdentifier);
  SetDialogAnswerer(nullptr);
  if (!ok && !prompted) Err << "qlcat: the archive is broken or belongs to another setup\n";
  if (ok && !prompted) Out << "extracted " << files << " files\n";
  return ok && !prompted;
}
