// TQLZDecompressStream: decodes one zlib stream (an archive entry's data)
// read from a TQLTurboStream, at most Limit bytes from the source's position.
// Owns the zlib state (inflateEnd on destruction) and a 64 KiB input piece;
// borrows the source. Corrupt data and Adler-32 mismatches raise EQLZStreamError.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "archive/QLTurboStream.h"

class EQLZStreamError : public EQLStreamError {
public:
  using EQLStreamError::EQLStreamError;
};

class TQLZDecompressStream {
public:
  TQLZDecompressStream(TQLTurboStream& Source, int32_t Limit);
  ~TQLZDecompressStream();
  TQLZDecompressStream(const TQLZDecompressStream&) = delete;
  TQLZDecompressStream& operator=(const TQLZDecompressStream&) = delete;

  // Bytes produced into Buffer, at most Count; fewer only at the end of the
  // zlib stream, 0 once it has ended. Data that end before the zlib stream
  // does raise EQLZStreamError rather than pass for a shorter file.
  int32_t Read(void* Buffer, int32_t Count);
  [[noreturn]] int32_t Write(const void* Buffer, int32_t Count);

  // Bytes produced so far.
  int64_t Position() const { return FProduced; }
  // True once the zlib stream ended with a good Adler-32.
  bool Finished() const { return FFinished; }

private:
  void Refill();

  TQLTurboStream& FSource;
  int32_t FLeft;  // source bytes not yet drawn
  z_stream FZ{};
  std::vector<uint8_t> FInput;
  int64_t FProduced = 0;
  bool FFinished = false;
};
