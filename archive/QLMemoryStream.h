// TQLMemoryStream: a TQLTurboStream over one block of memory that it either
// owns (grown in 8 KiB steps, zero-filled) or borrows from the caller
// (Attach: never resized or released, the caller keeps it alive).
// Every read, write and seek stays inside the block or raises EQLStreamError.
#pragma once

#include "archive/QLTurboStream.h"

class TQLMemoryStream : public TQLTurboStream {
public:
  TQLMemoryStream() = default;
  ~TQLMemoryStream() override;
  TQLMemoryStream(const TQLMemoryStream&) = delete;
  TQLMemoryStream& operator=(const TQLMemoryStream&) = delete;

  void Attach(const void* Memory, int32_t Size);
  void Clear();

  int32_t GetSize() override { return FSize; }
  int32_t GetPosition() override { return FPosition; }
  void ReadBuffer(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, int32_t Origin) override;
  void ReadByte(uint8_t& B) override;
  void WriteByte(uint8_t B) override;
  virtual void SetSize(int32_t NewSize);

  int32_t Capacity() const { return FCapacity; }
  const uint8_t* Memory() const { return FMemory; }
  bool Attached() const { return FAttached; }

private:
  void SetCapacity(int32_t NewCapacity);
  void CheckRead(int32_t Count) const;

  int32_t FCapacity = 0;
  int32_t FSize = 0;
  uint8_t* FMemory = nullptr;
  bool FAttached = false;
  int32_t FPosition = 0;
};
