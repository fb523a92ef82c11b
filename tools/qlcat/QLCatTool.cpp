#include "tools/qlcat/QLCatTool.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/QLCatDec.h"
#include "archive/QLCatFormat.h"
#include "archive/QLCatWriter.h"
#include "archive/QLFileStream.h"
#include "archive/QLThreadCount.h"
#include "tools/qlcat/QLCatProgressLine.h"
#include "tools/qlcat/QLImageAlign.h"
#include "tools/qlcat/QLProductFolderCheck.h"

namespace {

const char kUsage[] =
    "usage: qlcat pack DIR -o ARCHIVE [-l LEVEL] [-j THREADS] | list ARCHIVE | verify ARCHIVE | "
    "extract ARCHIVE DEST [-j THREADS] | check DIR | align PROGRAM";

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

// A number from Low to High, or the usage error Complaint.
int NumberArgument(const std::string& Text, long Low, long High, const char* Complaint) {
  char* end = nullptr;
  long v = std::strtol(Text.c_str(), &end, 10);
  if (Text.empty() || *end != '\0' || v < Low || v > High) throw TUsageError{Complaint};
  return int(v);
}

int32_t ThreadsArgument(const std::string& Text) {
  return NumberArgument(Text, 1, 64, "the number of threads must be 1 to 64");
}

int Pack(const std::vector<std::string>& A, std::ostream& Out, std::ostream& Err, bool Terminal) {
  std::string dir, archive;
  int level = 9;
  int32_t threads = MachineThreadCount();
  for (size_t i = 1; i < A.size(); ++i) {
    if (A[i] == "-o" && i + 1 < A.size()) archive = A[++i];
    else if (A[i] == "-l" && i + 1 < A.size()) level = NumberArgument(A[++i], 0, 9, "compression level must be 0 to 9");
    else if (A[i] == "-j" && i + 1 < A.size()) threads = ThreadsArgument(A[++i]);
    else if (dir.empty() && A[i][0] != '-') dir = A[i];
    else throw TUsageError{"unexpected argument: " + A[i]};
  }
  if (dir.empty() || archive.empty()) throw TUsageError{kUsage};
  std::vector<TQLCatSource> sources = CollectFolder(dir);
  TQLFileStream out(archive, TQLFileStream::TMode::Create);
  TQLCatWriteSummary s;
  try {
    TQLCatProgressLine progress(Err, Terminal, "pack");
    s = WriteArchive(out, sources, level, threads, [&](int32_t Done, int32_t Count) { progress.Show(Done, Count); });
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

int Extract(const std::vector<std::string>& A, std::ostream& Out, std::ostream& Err, bool Terminal) {
  if (A.size() == 5 && A[3] == "-j") SetExtractThreadCount(ThreadsArgument(A[4]));
  else if (A.size() != 3) throw TUsageError{kUsage};
  TQLFileStream in(A[1], TQLFileStream::TMode::Read);
  TQLCatProgressLine progress(Err, Terminal, "extract");
  return ExtractArchiveToFolder(in, A[2], Out, Err, &progress) ? 0 : 1;
}

// The product folder check: one line per problem, or the folder's figures.
int Check(const std::string& Folder, std::ostream& Out, std::ostream& Err) {
  TQLFolderReport r = CheckProductFolder(Folder);
  for (const std::string& problem : r.Problems) Err << "qlcat: " << problem << '\n';
  if (!r.Problems.empty()) return 1;
  Out << "ok: " << r.FileCount << " files, " << r.TotalSize << " bytes\n";
  return 0;
}

// The built setup program laid out for mapping, in place: written to a
// file beside it first, so a failure leaves the program as it was.
int Align(const std::string& Program, std::ostream& Out, std::ostream& Err) {
  std::vector<uint8_t> image;
  {
    std::ifstream in(Program, std::ios::binary);
    if (!in) return Err << "qlcat: cannot read " << Program << '\n', 1;
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const TQLImageAlignResult r = AlignResourceSection(image);
  if (!r.Ok) return Err << "qlcat: " << Program << ": " << r.Error << '\n', 1;
  if (r.Padding != 0) {
    const std::string temporary = Program + ".aligning";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    out.close();
    std::error_code ignored, failed;
    std::filesystem::permissions(temporary, std::filesystem::status(Program, ignored).permissions(), ignored);
    if (out) std::filesystem::rename(temporary, Program, failed);  // replaces the program
    if (!out || failed) {
      std::filesystem::remove(temporary, ignored);
      return Err << "qlcat: cannot write " << Program << '\n', 1;
    }
  }
  Out << "aligned: " << r.Padding << " bytes before the resources\n";
  return 0;
}

int Dispatch(const std::vector<std::string>& A, std::ostream& Out, std::ostream& Err, bool Terminal) {
  if (A.empty()) throw TUsageError{kUsage};
  const std::string& command = A[0];
  if (command == "pack") return Pack(A, Out, Err, Terminal);
  if ((command == "list" || command == "verify") && A.size() == 2) {
    TQLFileStream in(A[1], TQLFileStream::TMode::Read);
    return command == "list" ? List(in, Out, Err) : Verify(in, Out, Err);
  }
  if (command == "extract") return Extract(A, Out, Err, Terminal);
  if (command == "check" && A.size() == 2) return Check(A[1], Out, Err);
  if (command == "align" && A.size() == 2) return Align(A[1], Out, Err);
  throw TUsageError{kUsage};
}

}  // namespace

TQLProgressProc OverallProgress(TQLCatProgressLine* Line) {
  if (!Line) return nullptr;
  return [Line](int32_t Position, int32_t Max, bool Overall) {
    if (Overall && Position >= 0 && Position % 2 == 0) Line->Show(Position / 2 + 1, Max / 2 + 1);
  };
}

int RunQLCat(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err, bool ErrIsTerminal) {
  try {
    return Dispatch(Args, Out, Err, ErrIsTerminal);
  } catch (const TUsageError& e) {
    Err << "qlcat: " << e.Text << '\n';
  } catch (const std::exception& e) {
    Err << "qlcat: " << e.what() << '\n';
  } catch (...) {
    Err << "qlcat: unexpected failure\n";
  }
  return 1;
}
