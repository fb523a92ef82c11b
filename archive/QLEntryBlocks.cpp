#include "archive/QLEntryBlocks.h"

#include <utility>

namespace {

// Fills Block with whole decoder reads up to Capacity. A failure is kept in
// Failure and ends the filling; the bytes of the reads before it are counted.
int32_t FillBlock(TQLZDecompressStream& Decoder, uint8_t* Block, int32_t Capacity, bool& End,
                  std::exception_ptr& Failure) {
  int32_t filled = 0;
  try {
    while (filled < Capacity) {
      int32_t n = Decoder.Read(Block + filled, kDecoderRead);
      filled += n;
      if (n < kDecoderRead) {
        End = true;
        break;
      }
    }
  } catch (const std::exception&) {
    Failure = std::current_exception();
    End = true;
  }
  return filled;
}

}  // namespace

TQLInlineEntryBlocks::TQLInlineEntryBlocks(TQLTurboStream& Stream, int32_t DataStart, int32_t CompressedSize,
                                           std::vector<uint8_t>& Buffer)
    : FStream(Stream), FDataStart(DataStart), FCompressedSize(CompressedSize), FBuffer(Buffer) {
  FBuffer.resize(size_t(kEntryBlockSize));
}

int32_t TQLInlineEntryBlocks::Next(const uint8_t*& Data, const std::function<void()>&) {
  if (FFailure) std::rethrow_exception(std::exchange(FFailure, nullptr));
  if (!FDecoder) {
    FStream.Seek(FDataStart, 0);
    FDecoder = std::make_unique<TQLZDecompressStream>(FStream, FCompressedSize);
  }
  bool end = false;
  Data = FBuffer.data();
  int32_t n = FillBlock(*FDecoder, FBuffer.data(), kEntryBlockSize, end, FFailure);
  if (n == 0 && FFailure) std::rethrow_exception(std::exchange(FFailure, nullptr));
  return n;
}

void DecodeEntryIntoBlocks(TQLTurboStream& Source, int32_t CompressedSize, TQLBlockSink& Sink) {
  TQLZDecompressStream decoder(Source, CompressedSize);
  std::exception_ptr failure;
  for (bool end = false; !end;) {
    int32_t n = FillBlock(decoder, Sink.Data(), Sink.Capacity(), end, failure);
    Sink.Emit(n);
  }
  if (failure) std::rethrow_exception(failure);
}
