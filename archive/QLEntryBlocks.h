// An entry's decoded bytes handed to the extraction in large blocks, each
// made of whole 32 KiB decompressor reads (only an entry's last read is
// shorter), so that the extraction reports the same positions whether it
// decodes the entry itself or takes blocks decoded on other threads. A
// failure is raised only after the blocks decoded before it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "archive/QLBlockPipeline.h"
#include "archive/QLTurboStream.h"
#include "archive/QLZStream.h"

constexpr int32_t kDecoderRead = 32768;
constexpr int32_t kEntryBlockSize = 8 * kDecoderRead;

class TQLEntryBlocks {
public:
  virtual ~TQLEntryBlocks() = default;
  // The next block's byte count with Data pointing at it (valid until the
  // next call); 0 at the end of the entry. WhileWaiting is called now and
  // then while the block is not decoded yet.
  virtual int32_t Next(const uint8_t*& Data, const std::function<void()>& WhileWaiting) = 0;
};

// Decodes on the calling thread the CompressedSize bytes at DataStart of
// Stream, into Buffer (kEntryBlockSize bytes, reused from entry to entry).
class TQLInlineEntryBlocks : public TQLEntryBlocks {
public:
  TQLInlineEntryBlocks(TQLTurboStream& Stream, int32_t DataStart, int32_t CompressedSize,
                       std::vector<uint8_t>& Buffer);
  int32_t Next(const uint8_t*& Data, const std::function<void()>& WhileWaiting) override;

private:
  TQLTurboStream& FStream;
  int32_t FDataStart, FCompressedSize;
  std::vector<uint8_t>& FBuffer;
  std::unique_ptr<TQLZDecompressStream> FDecoder;
  std::exception_ptr FFailure;
};

// The blocks of a pipeline's oldest job, one that runs DecodeEntryIntoBlocks.
class TQLPipelineEntryBlocks : public TQLEntryBlocks {
public:
  explicit TQLPipelineEntryBlocks(TQLBlockPipeline& Pipeline) : FPipeline(Pipeline) {}
  int32_t Next(const uint8_t*& Data, const std::function<void()>& WhileWaiting) override {
    return FPipeline.NextBlock(Data, WhileWaiting);
  }

private:
  TQLBlockPipeline& FPipeline;
};

// A pipeline job: decodes the CompressedSize bytes of Source into the sink's
// blocks (whose capacity is a multiple of kDecoderRead).
void DecodeEntryIntoBlocks(TQLTurboStream& Source, int32_t CompressedSize, TQLBlockSink& Sink);
