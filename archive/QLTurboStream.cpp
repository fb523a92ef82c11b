#include "archive/QLTurboStream.h"

#include <cstring>

#include "archive/QLNumberText.h"

namespace {

[[noreturn]] void OverrideError() { throw EQLStreamError("override error"); }

uint32_t ToLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void FromLE32(uint32_t v, uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

int32_t TQLTurboStream::GetSize() { OverrideError(); }
int32_t TQLTurboStream::GetPosition() { OverrideError(); }
void TQLTurboStream::ReadBuffer(void*, int32_t) { OverrideError(); }
int32_t TQLTurboStream::Write(const void*, int32_t) { OverrideError(); }
int32_t TQLTurboStream::Seek(int32_t, int32_t) { OverrideError(); }

int32_t TQLTurboStream::Read(void* Buffer, int32_t Count) {
  ReadBuffer(Buffer, Count);
  return Count;
}

void TQLTurboStream::ReadByte(uint8_t& B) { ReadBuffer(&B, 1); }

int64_t TQLTurboStream::SeekTarget(int32_t Offset, int32_t Origin) {
  if (Origin == 0) return Offset;
  if (Origin == 2) return int64_t(GetSize()) + Offset;
  return int64_t(GetPosition()) + Offset;
}

void TQLTurboStream::RaiseSeekError(int64_t Target, int32_t Size) {
  throw EQLStreamError("SEEK ERROR:" + HexText(uint32_t(Target), 8) + " " + HexText(uint32_t(Size), 8));
}

int32_t TQLTurboStream::Remaining() { return GetSize() - GetPosition(); }

int32_t TQLTurboStream::ReadCheckedLength(int32_t UnitSize, const char* What) {
  int32_t n = ReadInt32();
  if (n < 0 || int64_t(n) * UnitSize > Remaining())
    throw EQLStreamError(std::string("bad ") + What + ": " + std::to_string(n));
  return n;
}

int32_t TQLTurboStream::ReadInt32() { return int32_t(ReadUInt32()); }

uint32_t TQLTurboStream::ReadUInt32() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return ToLE32(b);
}

uint64_t TQLTurboStream::ReadUInt64() {
  uint64_t lo = ReadUInt32();
  uint64_t hi = ReadUInt32();
  return lo | hi << 32;
}

double TQLTurboStream::ReadDouble() {
  uint64_t bits = ReadUInt64();
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

void TQLTurboStream::WriteInt32(int32_t V) { WriteUInt32(uint32_t(V)); }

void TQLTurboStream::WriteUInt32(uint32_t V) {
  uint8_t b[4];
  FromLE32(V, b);
  Write(b, 4);
}

void TQLTurboStream::WriteUInt64(uint64_t V) {
  WriteUInt32(uint32_t(V));
  WriteUInt32(uint32_t(V >> 32));
}

void TQLTurboStream::WriteDouble(double V) {
  uint64_t bits;
  std::memcpy(&bits, &V, sizeof bits);
  WriteUInt64(bits);
}

void TQLTurboStream::ReadString(std::string& S) {
  int32_t len = ReadCheckedLength(1, "string length");
  std::string buf(size_t(len) + 1, '\0');
  ReadBuffer(buf.data(), len);
  S.assign(buf.c_str());  // text up to the first zero byte
}

std::string TQLTurboStream::ReadStr() {
  std::string s;
  ReadString(s);
  return s;
}

void TQLTurboStream::ReadStrings(std::vector<std::string>& List) {
  int32_t n = ReadCheckedLength(4, "string count");  // each item has a length
  List.reserve(List.size() + size_t(n));
  for (int32_t i = 0; i < n; ++i) List.push_back(ReadStr());
}

void TQLTurboStream::ReadWideString(std::u16string& W) {
  W.clear();
  int32_t lines = ReadCheckedLength(4, "line count");
  for (int32_t i = 0; i < lines; ++i) {
    int32_t bytes = ReadCheckedLength(1, "line length");
    if (bytes % 2 != 0) throw EQLStreamError("bad line length: " + std::to_string(bytes));
    std::vector<uint8_t> raw(static_cast<size_t>(bytes));
    if (bytes > 0) ReadBuffer(raw.data(), bytes);
    if (i > 0) W += u"\r\n";
    for (int32_t k = 0; k < bytes; k += 2) W += char16_t(raw[size_t(k)] | raw[size_t(k) + 1] << 8);
  }
}

int32_t TQLTurboStream::Peek(void* Buffer, int32_t Count) {
  int32_t at = GetPosition();
  ReadBuffer(Buffer, Count);
  return Seek(at, 0);
}

void TQLTurboStream::WriteByte(uint8_t B) { Write(&B, 1); }

void TQLTurboStream::WriteWord(uint16_t W) {
  uint8_t b[2] = {uint8_t(W), uint8_t(W >> 8)};
  Write(b, 2);
}

int32_t TQLTurboStream::WriteTaggedBuffer(uint8_t Tag, const void* Buffer, int32_t Count) {
  WriteByte(Tag);
  return Write(Buffer, Count);
}

void TQLTurboStream::WriteTaggedString(uint8_t Tag, const std::string& S) {
  WriteByte(Tag);
  WriteString(S);
}

int32_t TQLTurboStream::WriteWordTaggedBuffer(uint16_t Tag, const void* Buffer, int32_t Count) {
  WriteWord(Tag);
  return Write(Buffer, Count);
}

void TQLTurboStream::WriteString(const std::string& S) {
  if (S.size() > size_t(INT32_MAX)) throw EQLStreamError("string too long");
  WriteInt32(int32_t(S.size()));
  if (!S.empty()) Write(S.data(), int32_t(S.size()));
}

void TQLTurboStream::WriteStrings(const std::vector<std::string>& List) {
  if (List.size() > size_t(INT32_MAX)) throw EQLStreamError("too many strings");
  WriteInt32(int32_t(List.size()));
  for (const std::string& s : List) WriteString(s);
}

namespace {

// The lines of a text: the pieces between CR LF pairs.
std::vector<std::u16string> SplitCrLf(const std::u16string& W) {
  std::vector<std::u16string> lines;
  if (W.empty()) return lines;
  size_t start = 0;
  for (size_t i = 0; i + 1 < W.size(); ++i) {
    if (W[i] == u'\r' && W[i + 1] == u'\n') {
      lines.push_back(W.substr(start, i - start));
      start = i + 2;
      ++i;
    }
  }
  lines.push_back(W.substr(start));
  return lines;
}

}  // namespace

void TQLTurboStream::WriteWideString(const std::u16string& W) {
  std::vector<std::u16string> lines = SplitCrLf(W);
  WriteInt32(int32_t(lines.size()));
  for (const std::u16string& line : lines) {
    if (line.size() > size_t(INT32_MAX / 2)) throw EQLStreamError("line too long");
    WriteInt32(int32_t(line.size() * 2));
    std::vector<uint8_t> raw;
    raw.reserve(line.size() * 2);
    for (char16_t c : line) {
      raw.push_back(uint8_t(c));
      raw.push_back(uint8_t(c >> 8));
    }
    if (!raw.empty()) Write(raw.data(), int32_t(raw.size()));
  }
}
