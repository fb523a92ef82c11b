// TQLFileStream: a TQLTurboStream over a file, for the tools that read and
// write archives on disk (the setup itself reads its archive from memory).
// Owns the open file; reads and writes go through the C library's buffer,
// so memory use stays small whatever the file's size.
#pragma once

#include <cstdio>
#include <string>

#include "archive/QLTurboStream.h"

class TQLFileStream : public TQLTurboStream {
public:
  enum class TMode { Read, Create };

  // Raises EQLStreamError when the file cannot be opened.
  TQLFileStream(const std::string& Path, TMode Mode);
  ~TQLFileStream() override;
  TQLFileStream(const TQLFileStream&) = delete;
  TQLFileStream& operator=(const TQLFileStream&) = delete;

  int32_t GetSize() override { return FSize; }
  int32_t GetPosition() override { return FPosition; }
  void ReadBuffer(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, int32_t Origin) override;

  // Flushes and closes; raises when the data could not all be written.
  void Close();

private:
  std::FILE* FFile = nullptr;
  std::string FPath;
  int32_t FSize = 0;
  int32_t FPosition = 0;
};
