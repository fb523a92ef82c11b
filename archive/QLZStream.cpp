#include "archive/QLZStream.h"

#include <string>

namespace {

constexpr int32_t kInputPiece = 65536;

std::string ZMessage(const char* what, int code, const z_stream& z) {
  std::string text = std::string(what) + " (" + std::to_string(code) + ")";
  if (z.msg) text += std::string(": ") + z.msg;
  return text;
}

}  // namespace

TQLZDecompressStream::TQLZDecompressStream(TQLTurboStream& Source, int32_t Limit)
    : FSource(Source), FLeft(Limit < 0 ? 0 : Limit), FInput(size_t(kInputPiece)) {
  int rc = inflateInit(&FZ);
  if (rc != Z_OK) throw EQLZStreamError(ZMessage("zlib init failed", rc, FZ));
}

TQLZDecompressStream::~TQLZDecompressStream() { inflateEnd(&FZ); }

int32_t TQLZDecompressStream::Write(const void*, int32_t) {
  throw EQLZStreamError("Invalid ZStream operation!");
}

void TQLZDecompressStream::Refill() {
  int32_t piece = FLeft < kInputPiece ? FLeft : kInputPiece;
  if (piece <= 0) return;
  FSource.ReadBuffer(FInput.data(), piece);
  FLeft -= piece;
  FZ.next_in = FInput.data();
  FZ.avail_in = uInt(piece);
}

int32_t TQLZDecompressStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0 || FFinished) return 0;
  FZ.next_out = static_cast<Bytef*>(Buffer);
  FZ.avail_out = uInt(Count);
  while (FZ.avail_out > 0) {
    if (FZ.avail_in == 0) Refill();  // leaves avail_in 0 at the end of the source
    int rc = inflate(&FZ, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      FFinished = true;
      // Give back what was drawn but not used.
      if (FZ.avail_in > 0) FSource.Seek(-int32_t(FZ.avail_in), 1);
      FLeft += int32_t(FZ.avail_in);
      FZ.avail_in = 0;
      break;
    }
    if (rc == Z_OK) continue;
    if (rc == Z_BUF_ERROR && FZ.avail_in == 0)
      throw EQLZStreamError("entry data end before their zlib stream does");
    throw EQLZStreamError(ZMessage("corrupt entry data", rc, FZ));
  }
  int32_t produced = Count - int32_t(FZ.avail_out);
  FProduced += produced;
  return produced;
}
