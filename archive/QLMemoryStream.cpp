#include "archive/QLMemoryStream.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int64_t kGrowStep = 8192;

int64_t RoundUpToStep(int64_t n) { return (n + kGrowStep - 1) / kGrowStep * kGrowStep; }

}  // namespace

TQLMemoryStream::~TQLMemoryStream() { Clear(); }

void TQLMemoryStream::Attach(const void* Memory, int32_t Size) {
  Clear();
  if (Size < 0) throw EQLStreamError("negative block size");
  FMemory = static_cast<uint8_t*>(const_cast<void*>(Memory));
  FCapacity = Size;
  FSize = Size;
  FPosition = 0;
  FAttached = true;
}

void TQLMemoryStream::Clear() {
  if (!FAttached) std::free(FMemory);
  FMemory = nullptr;
  FCapacity = FSize = FPosition = 0;
  FAttached = false;
}

void TQLMemoryStream::CheckRead(int32_t Count) const {
  if (Count < 0 || int64_t(FPosition) + Count > FSize)
    throw EQLStreamError("READ ERROR: " + std::to_string(Count) + " bytes at " +
                         std::to_string(FPosition) + " of " + std::to_string(FSize));
}

void TQLMemoryStream::ReadBuffer(void* Buffer, int32_t Count) {
  CheckRead(Count);
  if (Count > 0) std::memcpy(Buffer, FMemory + FPosition, size_t(Count));
  FPosition += Count;
}

void TQLMemoryStream::ReadByte(uint8_t& B) {
  CheckRead(1);
  B = FMemory[FPosition++];
}

void TQLMemoryStream::SetCapacity(int32_t NewCapacity) {
  if (NewCapacity == FCapacity) return;
  if (NewCapacity == 0) {
    std::free(FMemory);
    FMemory = nullptr;
    FCapacity = 0;
    return;
  }
  auto* block = static_cast<uint8_t*>(std::realloc(FMemory, size_t(NewCapacity)));
  if (!block) throw std::bad_alloc();
  if (NewCapacity > FCapacity) std::memset(block + FCapacity, 0, size_t(NewCapacity - FCapacity));
  FMemory = block;
  FCapacity = NewCapacity;
}

int32_t TQLMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (Count < 0) throw EQLStreamError("WRITE ERROR: negative count");
  int64_t end = int64_t(FPosition) + Count;
  if (end >= FCapacity) {
    if (FAttached) throw EQLStreamError("WRITE ERROR: beyond the attached block");
    int64_t capacity = RoundUpToStep(end + 1);
    if (capacity > INT32_MAX) throw EQLStreamError("WRITE ERROR: stream too large");
    SetCapacity(int32_t(capacity));
  }
  if (Count > 0) std::memcpy(FMemory + FPosition, Buffer, size_t(Count));
  FPosition = int32_t(end);
  if (FPosition > FSize) FSize = FPosition;
  return Count;
}

void TQLMemoryStream::WriteByte(uint8_t B) {
  if (FPosition >= FCapacity) {
    if (FAttached) throw EQLStreamError("WRITE ERROR: beyond the attached block");
    SetSize(FPosition + 1);
  }
  FMemory[FPosition++] = B;
  if (FPosition > FSize) FSize = FPosition;
}

int32_t TQLMemoryStream::Seek(int32_t Offset, int32_t Origin) {
  int64_t target = SeekTarget(Offset, Origin);
  if (target > FSize || target < 0) RaiseSeekError(target, FSize);
  FPosition = int32_t(target);
  return FPosition;
}

void TQLMemoryStream::SetSize(int32_t NewSize) {
  if (FAttached) return;
  if (NewSize < 0) NewSize = 0;
  int64_t capacity = RoundUpToStep(NewSize);
  if (capacity > INT32_MAX) throw EQLStreamError("stream too large");
  SetCapacity(int32_t(capacity));
  FSize = NewSize;
}
