// qlcat's extraction on the build machine: the portable extraction walk over
// the host disk, with the prompts answered on the error stream.
#include <algorithm>

#include "archive/QLCatDiskHost.h"
#include "archive/QLCatFormat.h"
#include "tools/qlcat/QLCatTool.h"

namespace {

class TReportingPrompts : public TQLExtractPrompts {
public:
  explicit TReportingPrompts(std::ostream& Err) : FErr(Err) {}
  TQLInUseAnswer AskCannotExtract(const std::string& Text) override {
    Report(Text);
    return TQLInUseAnswer::Cancel;
  }
  bool AskCannotCreate(const std::string& Text) override {
    Report(Text);
    return false;
  }
  bool Failed() const { return FFailed; }

private:
  void Report(std::string Text) {
    std::replace(Text.begin(), Text.end(), '\r', ' ');
    FErr << "qlcat: " << Text << '\n';
    FFailed = true;
  }
  std::ostream& FErr;
  bool FFailed = false;
};

}  // namespace

bool ExtractArchiveToFolder(TQLTurboStream& Archive, const std::string& Dest, std::ostream& Out, std::ostream& Err,
                            TQLCatProgressLine* Progress) {
  TQLHostDisk disk;
  TReportingPrompts prompts(Err);
  TQLExtractContext context{disk, prompts, OverallProgress(Progress), ""};
  int32_t files = 0;
  bool ok = ExtractArchive(Dest, Archive, [&](const std::string&, int32_t, TDateTime) { ++files; }, context,
                           ArchiveIdentifier);
  if (!ok && !prompts.Failed()) Err << "qlcat: the archive is broken or belongs to another setup\n";
  if (ok && !prompts.Failed()) Out << "extracted " << files << " files\n";
  return ok && !prompts.Failed();
}
