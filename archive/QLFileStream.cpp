#include "archive/QLFileStream.h"

#include <cerrno>
#include <cstring>

namespace {

std::string Reason() { return std::strerror(errno); }

}  // namespace

TQLFileStream::TQLFileStream(const std::string& Path, TMode Mode) : FPath(Path) {
  FFile = std::fopen(Path.c_str(), Mode == TMode::Read ? "rb" : "w+b");
  if (!FFile) throw EQLStreamError("cannot open " + Path + ": " + Reason());
  if (Mode == TMode::Read) {
    long size = -1;
    if (std::fseek(FFile, 0, SEEK_END) == 0) size = std::ftell(FFile);
    if (size < 0 || size > INT32_MAX || std::fseek(FFile, 0, SEEK_SET) != 0) {
      std::fclose(FFile);
      FFile = nullptr;
      throw EQLStreamError(Path + ": not a readable file of at most 2 GiB");
    }
    FSize = int32_t(size);
  }
}

TQLFileStream::~TQLFileStream() {
  if (FFile) std::fclose(FFile);
}

void TQLFileStream::Close() {
  if (!FFile) return;
  bool ok = std::fflush(FFile) == 0;
  ok = std::fclose(FFile) == 0 && ok;
  FFile = nullptr;
  if (!ok) throw EQLStreamError("cannot write " + FPath + ": " + Reason());
}

void TQLFileStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (!FFile) throw EQLStreamError("read from a closed stream");
  if (Count < 0 || int64_t(FPosition) + Count > FSize)
    throw EQLStreamError("READ ERROR: " + std::to_string(Count) + " bytes at " + std::to_string(FPosition) +
                         " of " + std::to_string(FSize));
  if (Count > 0 && std::fread(Buffer, 1, size_t(Count), FFile) != size_t(Count))
    throw EQLStreamError("cannot read " + FPath + ": " + Reason());
  FPosition += Count;
}

int32_t TQLFileStream::Write(const void* Buffer, int32_t Count) {
  if (!FFile) throw EQLStreamError("write to a closed stream");
  if (Count < 0 || int64_t(FPosition) + Count > INT32_MAX)
    throw EQLStreamError(FPath + ": an archive cannot grow beyond 2 GiB");
  if (Count > 0 && std::fwrite(Buffer, 1, size_t(Count), FFile) != size_t(Count))
    throw EQLStreamError("cannot write " + FPath + ": " + Reason());
  FPosition += Count;
  if (FPosition > FSize) FSize = FPosition;
  return Count;
}

int32_t TQLFileStream::Seek(int32_t Offset, int32_t Origin) {
  int64_t target = SeekTarget(Offset, Origin);
  if (!FFile || target < 0 || target > FSize) RaiseSeekError(target, FSize);
  if (std::fseek(FFile, long(target), SEEK_SET) != 0) throw EQLStreamError("cannot seek in " + FPath);
  FPosition = int32_t(target);
  return FPosition;
}
