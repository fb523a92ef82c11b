// One archive stream read by several threads: the walk reads entry headers
// and the decoders read entry data, each at positions of its own, one read at
// a time under the stream's lock. Borrows the stream; owns only the lock.
#pragma once

#include <cstdint>

#include "archive/QLCatDec.h"
#include "archive/QLSync.h"
#include "archive/QLTurboStream.h"

class TQLSharedStream {
public:
  explicit TQLSharedStream(TQLTurboStream& Stream) : FStream(Stream) {}

  void ReadAt(int32_t Offset, void* Buffer, int32_t Count);

  // The entry header at Offset; DataStart is where its data begin. Raises as
  // ReadEntryHeader does.
  TQLCatEntry ReadEntryAt(int32_t Offset, int32_t& DataStart);

private:
  TQLTurboStream& FStream;
  TQLSyncLock FLock;
};

// The bytes [Start, Start + Length) of a shared stream as a stream of its
// own, positioned at its start: what an entry's decoder reads from.
class TQLStreamSlice : public TQLTurboStream {
public:
  TQLStreamSlice(TQLSharedStream& Shared, int32_t Start, int32_t Length)
      : FShared(Shared), FStart(Start), FLength(Length) {}

  int32_t GetSize() override { return FLength; }
  int32_t GetPosition() override { return FPosition; }
  void ReadBuffer(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, int32_t Origin) override;

private:
  TQLSharedStream& FShared;
  int32_t FStart, FLength;
  int32_t FPosition = 0;
};
