// Fuzz target: qlcat align. The input is a built program's bytes. An image
// the alignment refuses must come back unchanged; one it aligns must have
// grown by the padding it reports, and aligning it again must change
// nothing (its resource section already stands on the boundary).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/qlcat/QLImageAlign.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Small alignments keep the padding, and so the work, small.
  const uint32_t alignment = Size > 0 ? 512u << (Data[Size - 1] % 4) : 512;
  const std::vector<uint8_t> original(Data, Data + Size);
  std::vector<uint8_t> image = original;
  const TQLImageAlignResult first = AlignResourceSection(image, alignment);
  if (!first.Ok) {
    if (image != original || first.Error.empty()) std::abort();
    return 0;
  }
  if (image.size() != original.size() + first.Padding) std::abort();
  const std::vector<uint8_t> aligned = image;
  const TQLImageAlignResult second = AlignResourceSection(image, alignment);
  if (!second.Ok || second.Padding != 0 || image != aligned) std::abort();
  return 0;
}
