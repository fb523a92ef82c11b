// Fuzz target: the colour reduction. The input holds one or two packed DIBs
// (the first byte splits it); each picture the reduction accepts comes back
// as an 8-bit DIB of its size with 256 colour-table entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/QLColorReduction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  size_t split = Size - 1 < 2 * DIBHeaderSize ? Size - 1 : Data[0] * (Size - 1) / 256;
  std::vector<TQLDIB> pictures;
  pictures.emplace_back(Data + 1, Data + 1 + split);
  if (split < Size - 1) pictures.emplace_back(Data + 1 + split, Data + Size);
  std::vector<TQLDIB> reduced = ReduceColors(pictures);
  if (reduced.size() != pictures.size()) std::abort();
  for (size_t i = 0; i < reduced.size(); ++i) {
    if (reduced[i].empty()) continue;
    TQLBitmapInfoHeader in = DIBHeader(pictures[i]), out = DIBHeader(reduced[i]);
    if (!DIBValid(reduced[i]) || out.BitCount != 8 || out.ColorsUsed != 256 || out.Width != in.Width ||
        out.Height != in.Height)
      std::abort();
  }
  return 0;
}
