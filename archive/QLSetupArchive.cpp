#include "archive/QLSetupArchive.h"

#include "archive/QLCatDec.h"
#include "archive/QLCatDiskWin.h"
#include "archive/QLCatFormat.h"
#include "archive/QLMemoryStream.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr char kArchiveResource[] = "PQSETUP";

bool AttachArchive(HMODULE Module, TQLMemoryStream& Stream) {
  TQLLockedResource archive = LockRawResource(Module, kArchiveResource, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!archive.Found() || archive.Size > DWORD(INT32_MAX)) return false;
  Stream.Attach(archive.Data, int32_t(archive.Size));
  return true;
}

}  // namespace

TQLArchiveCatalogue ReadSetupArchiveCatalogue(HMODULE Module) {
  TQLArchiveCatalogue catalogue;
  TQLMemoryStream stream;
  if (!AttachArchive(Module, stream)) return catalogue;
  try {
    catalogue.Accepted = ReadArchiveHeader(stream, catalogue.EntryCount, catalogue.TotalSize, ArchiveIdentifier);
  } catch (const EQLStreamError&) {
    catalogue.Accepted = false;
  }
  if (!catalogue.Accepted) return catalogue;
  stream.Seek(0, 0);
  const TQLVerifyReport report = VerifyArchive(stream, ArchiveIdentifier, false);
  catalogue.Accepted = report.Ok;
  catalogue.LongestName = report.LongestName;
  return catalogue;
}

bool ExtractSetupArchive(HMODULE Module, const std::string& DestFolder, const TQLExtractedProc& OnExtracted,
                         const std::string& DateText, const TQLProgressProc& OnProgress,
                         TQLExtractReport* Report, TQLDiskKeeper* Keeper) {
  TQLMemoryStream stream;
  if (Report) *Report = TQLExtractReport();
  if (!AttachArchive(Module, stream)) return false;
  return ExtractArchive(DestFolder, stream, OnExtracted, DateText, OnProgress, ArchiveIdentifier, Report, Keeper);
}
