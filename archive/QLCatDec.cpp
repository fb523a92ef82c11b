#include "archive/QLCatDec.h"

#include <algorithm>
#include <vector>

#include "archive/QLCatFormat.h"
#include "archive/QLNumberText.h"
#include "archive/QLZStream.h"

bool ReadArchiveHeader(TQLTurboStream& Stream, int32_t& EntryCount, int32_t& TotalSize,
                       uint64_t Identifier) {
  EntryCount = 0;
  TotalSize = 0;
  if (Stream.Remaining() < kArchiveHeaderSize) return false;
  uint8_t signature[kSignatureSize];
  Stream.ReadBuffer(signature, kSignatureSize);
  if (!IsArchiveSignature(signature)) return false;
  EntryCount = Stream.ReadInt32();
  uint64_t identifier = Stream.ReadUInt64();
  TotalSize = Stream.ReadInt32();
  if (identifier != Identifier) return false;
  // Each entry takes at least its fixed fields.
  return EntryCount >= 0 && int64_t(EntryCount) * kEntryFixedSize <= Stream.Remaining();
}

namespace {

[[noreturn]] void Broken(const std::string& what, int64_t value, int32_t at) {
  throw EQLArchiveBroken("broken archive: " + what + " " + std::to_string(value) +
                         " at offset " + std::to_string(at));
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The digit of a numbered device: 1 to 9, or the superscripts one, two and
// three (Windows-1252 0xB9, 0xB2, 0xB3), which Windows reserves alike.
bool IsDeviceDigit(char C) {
  const uint8_t c = uint8_t(C);
  return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// A component Windows opens as a device whatever folder it stands in: CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (and COM¹ to LPT³), in any
// letter case, also with an extension or with trailing blanks before it
// ("nul.txt", "COM1 .log").
bool IsDeviceName(const std::string& Component) {
  std::string base = Component.substr(0, Component.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = Upper(c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         IsDeviceDigit(base[3]);
}

}  // namespace

bool IsSafeEntryName(const std::string& Name) {
  if (Name.empty() || IsSeparator(Name[0])) return false;
  size_t start = 0;
  for (size_t i = 0; i <= Name.size(); ++i) {
    if (i < Name.size() && (Name[i] == '\0' || Name[i] == ':')) return false;
    if (i == Name.size() || IsSeparator(Name[i])) {
      const std::string component = Name.substr(start, i - start);
      if (component == ".." || IsDeviceName(component)) return false;
      start = i + 1;
    }
  }
  return true;
}

TQLCatEntry ReadEntryHeader(TQLTurboStream& Stream) {
  TQLCatEntry e;
  int32_t at = Stream.GetPosition();
  if (Stream.Remaining() < kEntryFixedSize) Broken("entry header cut short, bytes left", Stream.Remaining(), at);
  e.UncompressedSize = Stream.ReadInt32();
  e.FileDateTime = Stream.ReadDouble();
  int32_t nameLength = Stream.ReadInt32();
  // The name, CompressedSize and CheckValue must all still fit.
  if (nameLength <= 0 || int64_t(nameLength) + 8 > Stream.Remaining()) Broken("name length", nameLength, at);
  e.Name.resize(size_t(nameLength));
  Stream.ReadBuffer(e.Name.data(), nameLength);
  if (!IsSafeEntryName(e.Name)) throw EQLArchiveBroken("unsafe entry name: " + e.Name);
  e.CompressedSize = Stream.ReadInt32();
  if (e.CompressedSize < 0 || int64_t(e.CompressedSize) + 4 > Stream.Remaining())
    Broken("compressed size", e.CompressedSize, at);
  if (e.UncompressedSize < 0) Broken("uncompressed size", e.UncompressedSize, at);
  return e;
}

void ForEachEntry(TQLTurboStream& Stream, int32_t EntryCount,
                  const std::function<void(const TQLCatEntryInfo&)>& Visit) {
  for (int32_t i = 0; i < EntryCount; ++i) {
    TQLCatEntryInfo info;
    info.Entry = ReadEntryHeader(Stream);
    info.DataStart = Stream.GetPosition();
    Stream.Seek(info.DataStart + info.Entry.CompressedSize, 0);
    info.CheckValue = Stream.ReadUInt32();
    Stream.Seek(info.DataStart, 0);
    Visit(info);
    Stream.Seek(info.DataStart + info.Entry.CompressedSize + 4, 0);
  }
}

namespace {

uint32_t CheckValueOfData(TQLTurboStream& Stream, int32_t Count) {
  std::vector<uint8_t> piece(65536);
  uint32_t reg = kCheckValueStart;
  while (Count > 0) {
    int32_t n = Count < int32_t(piece.size()) ? Count : int32_t(piece.size());
    Stream.ReadBuffer(piece.data(), n);
    reg = UpdateCheckValue(reg, piece.data(), size_t(n));
    Count -= n;
  }
  return reg;
}

int64_t InflatedLength(TQLTurboStream& Stream, int32_t Count) {
  TQLZDecompressStream z(Stream, Count);
  std::vector<uint8_t> out(65536);
  while (z.Read(out.data(), int32_t(out.size())) > 0) {
  }
  return z.Position();
}

std::string Hex8(uint32_t v) { return HexText(v, 8); }

void VerifyEntry(TQLTurboStream& Stream, const TQLCatEntryInfo& Info, bool Inflate,
                 TQLVerifyReport& Report) {
  const TQLCatEntry& e = Info.Entry;
  uint32_t reg = CheckValueOfData(Stream, e.CompressedSize);
  if (reg != Info.CheckValue)
    throw EQLArchiveBroken(e.Name + ": check value " + Hex8(Info.CheckValue) + " should be " + Hex8(reg));
  if (Inflate) {
    Stream.Seek(Info.DataStart, 0);
    int64_t length;
    try {
      length = InflatedLength(Stream, e.CompressedSize);
    } catch (const EQLStreamError& err) {
      throw EQLArchiveBroken(e.Name + ": " + err.what());
    }
    if (length != e.UncompressedSize)
      throw EQLArchiveBroken(e.Name + ": decodes to " + std::to_string(length) + " bytes, header says " +
                             std::to_string(e.UncompressedSize));
  }
  Report.UncompressedTotal += e.UncompressedSize;
}

}  // namespace

TQLVerifyReport VerifyArchive(TQLTurboStream& Stream, uint64_t Identifier, bool Inflate) {
  TQLVerifyReport report;
  try {
    int32_t count = 0, total = 0;
    if (!ReadArchiveHeader(Stream, count, total, Identifier)) {
      report.Error = "not a setup archive, or one that belongs to another setup";
      return report;
    }
    report.EntryCount = count;
    ForEachEntry(Stream, count, [&](const TQLCatEntryInfo& info) {
      VerifyEntry(Stream, info, Inflate, report);
      report.LongestName = std::max(report.LongestName, info.Entry.Name.size());
    });
    if (Stream.Remaining() != 0)
      throw EQLArchiveBroken(std::to_string(Stream.Remaining()) + " stray bytes after the last entry");
    if (report.UncompressedTotal != total)
      throw EQLArchiveBroken("total size " + std::to_string(total) + " does not match the entries' " +
                             std::to_string(report.UncompressedTotal));
    report.Ok = true;
  } catch (const EQLStreamError& err) {
    report.Error = err.what();
  }
  return report;
}
