#include "archive/QLSharedStream.h"

#include <mutex>

void TQLSharedStream::ReadAt(int32_t Offset, void* Buffer, int32_t Count) {
  std::lock_guard<TQLSyncLock> lock(FLock);
  FStream.Seek(Offset, 0);
  FStream.ReadBuffer(Buffer, Count);
}

TQLCatEntry TQLSharedStream::ReadEntryAt(int32_t Offset, int32_t& DataStart) {
  std::lock_guard<TQLSyncLock> lock(FLock);
  FStream.Seek(Offset, 0);
  TQLCatEntry entry = ReadEntryHeader(FStream);
  DataStart = FStream.GetPosition();
  return entry;
}

void TQLStreamSlice::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count < 0 || Count > FLength - FPosition)
    throw EQLStreamError("read of " + std::to_string(Count) + " bytes beyond the end of an entry");
  if (Count == 0) return;
  FShared.ReadAt(FStart + FPosition, Buffer, Count);
  FPosition += Count;
}

int32_t TQLStreamSlice::Write(const void*, int32_t) { throw EQLStreamError("an entry slice cannot be written"); }

int32_t TQLStreamSlice::Seek(int32_t Offset, int32_t Origin) {
  int64_t target = SeekTarget(Offset, Origin);
  if (target < 0 || target > FLength) RaiseSeekError(target, FLength);
  FPosition = int32_t(target);
  return FPosition;
}
