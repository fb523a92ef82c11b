#include "tools/qlcat/QLCatTool.h"

#include <cstdio>
#include <cstdlib>

#include "archive/QLCatDec.h"
#include "archive/QLCatFormat.h"
#include "archive/QLCatWriter.h"
#include "archive/QLFileStream.h"

namespace {

const char kUsage[] =
    "usage: qlcat pack DIR -o ARCHIVE [-l LEVEL] | list ARCHIVE | verify ARCHIVE | extract ARCHIVE DEST";

struct TUsageError {
  std::string Text;
};

std::string DateText(TDateTime D) {
  TQLDateFields f = DecodeDateTime(D);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", f.Year, f.Month, f.Day, f.Hour, f.Minute,
                f.Second);
  return text;
}

int Pack(const std::vector<std::string>& A, std::ostream& Out) {
  std::string dir, archive;
  int level = 9;
  for (size_t i = 1; i < A.size(); ++i) {
    if (A[i] == "-o" && i + 1 < A.size()) archive = A[++i];
    else if (A[i] == "-l" && i + 1 < A.size()) {
      char* end = nullptr;
      long v = std::strtol(A[++i].c_str(), &end, 10);
      if (*end != '\0' || v < 0 || v > 9) throw TUsageError{"compression level must be 0 to 9"};
      level = int(v);
    } else if (dir.empty() && A[i][0] != '-') dir = A[i];
    else throw TUsageError{"unexpected argument: " + A[i]};
  }
  if (dir.empty() || archive.empty()) throw TUsageError{kUsage};
  std::vector<TQLCatSource> sources = CollectFolder(dir);
  TQLFileStream out(archive, TQLFileStream::TMode::Create);
  TQLCatWriteSummary s;
  try {
    s = WriteArchive(out, sources, level);
    out.Close();
  } catch (...) {
    out.Close();
    std::remove(archive.c_str());  // no half archive stays behind
    throw;
  }
  Out << "packed " << s.EntryCount << " files, " << s.TotalSize << " bytes into " << out.GetSize() << " bytes\n";
  return 0;
}

int List(TQLTurboStream& In, std::ostream& Out, std::ostream& Err) {
  int32_t count = 0, total = 0;
  if (!ReadArchiveHeader(In, count, total, ArchiveIdentifier)) {
    Err << "qlcat: not a setup archive, or one that belongs to another setup\n";
    return 1;
  }
  ForEachEntry(In, count, [&](const TQLCatEntryInfo& i) {
    Out << i.Entry.Name << '\t' << i.Entry.UncompressedSize << '\t' << i.Entry.CompressedSize << '\t'
        << DateText(i.Entry.FileDateTime) << '\n';
  });
  Out << count << " files, " << total << " bytes\n";
  return 0;
}

int Verify(TQLTurboStream& In, std::ostream& Out, std::ostream& Err) {
  TQLVerifyReport r = VerifyArchive(In, ArchiveIdentifier, true);
  if (!r.Ok) {
    Err << "qlcat: " << r.Error << '\n';
    return 1;
  }
  Out << "ok: " << r.EntryCount << " files, " << r.UncompressedTotal << " bytes\n";
  return 0;
}

int Dispatch(const std::vector<std::string>& A, std::ostream& Out, std::ostream& Err) {
  if (A.empty()) throw TUsageError{kUsage};
  const std::string& command = A[0];
  if (command == "pack") return Pack(A, Out);
  if ((command == "list" || command == "verify") && A.size() == 2) {
    TQLFileStream in(A[1], TQLFileStream::TMode::Read);
    return command == "list" ? List(in, Out, Err) : Verify(in, Out, Err);
  }
  if (command == "extract" && A.size() == 3) {
    TQLFileStream in(A[1], TQLFileStream::TMode::Read);
    return ExtractArchiveToFolder(in, A[2], Out, Err) ? 0 : 1;
  }
  throw TUsageError{kUsage};
}

}  // namespace

int RunQLCat(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  try {
    return Dispatch(Args, Out, Err);
  } catch (const TUsageError& e) {
    Err << "qlcat: " << e.Text << '\n';
  } catch (const std::exception& e) {
    Err << "qlcat: " << e.what() << '\n';
  } catch (...) {
    Err << "qlcat: unexpected failure\n";
  }
  return 1;
}
