// TQLTurboStream: the abstract binary stream the archive is read through.
// Owns no data; descendants hold the bytes. Fixes the virtual operations and
// the typed encodings (8-bit strings, string lists, UTF-16 line texts).
// Errors are raised as EQLStreamError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/QLError.h"

class EQLStreamError : public EQLError {
public:
  using EQLError::EQLError;
};

class TQLTurboStream {
public:
  virtual ~TQLTurboStream() = default;

  virtual int32_t GetSize();
  virtual int32_t GetPosition();
  virtual void ReadBuffer(void* Buffer, int32_t Count);
  virtual int32_t Read(void* Buffer, int32_t Count);
  virtual int32_t Write(const void* Buffer, int32_t Count);
  virtual int32_t Seek(int32_t Offset, int32_t Origin);
  virtual void ReadByte(uint8_t& B);
  virtual void ReadString(std::string& S);
  virtual void ReadStrings(std::vector<std::string>& List);
  virtual void ReadWideString(std::u16string& W);
  virtual std::string ReadStr();
  virtual int32_t Peek(void* Buffer, int32_t Count);
  virtual void WriteByte(uint8_t B);
  virtual void WriteWord(uint16_t W);
  virtual int32_t WriteTaggedBuffer(uint8_t Tag, const void* Buffer, int32_t Count);
  virtual void WriteTaggedString(uint8_t Tag, const std::string& S);
  virtual int32_t WriteWordTaggedBuffer(uint16_t Tag, const void* Buffer, int32_t Count);
  virtual void WriteString(const std::string& S);
  virtual void WriteStrings(const std::vector<std::string>& List);
  virtual void WriteWideString(const std::u16string& W);

  // Target of a seek: origin 0 counts from the start, 1 from the current
  // position, 2 from the end of the stream.
  int64_t SeekTarget(int32_t Offset, int32_t Origin);

  // Bytes between the position and the end.
  int32_t Remaining();

  // Little-endian fixed-size fields, as the archive stores them.
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  uint64_t ReadUInt64();
  double ReadDouble();
  void WriteInt32(int32_t V);
  void WriteUInt32(uint32_t V);
  void WriteUInt64(uint64_t V);
  void WriteDouble(double V);

protected:
  // "SEEK ERROR:" with the target and the size as 8 upper-case hex digits.
  [[noreturn]] static void RaiseSeekError(int64_t Target, int32_t Size);

  // A length or count read from the stream, checked against what is left:
  // each unit takes UnitSize bytes.
  int32_t ReadCheckedLength(int32_t UnitSize, const char* What);
};
