#include "archive/QLBlockPool.h"

TQLBlockPool::TQLBlockPool(int32_t Count, int32_t Size)
    : FSize(Size), FMemory(size_t(Count) * size_t(Size)) {
  FFree.reserve(size_t(Count));
  for (int32_t i = Count - 1; i >= 0; --i) FFree.push_back(FMemory.data() + size_t(i) * size_t(Size));
}

uint8_t* TQLBlockPool::Take() {
  if (FFree.empty()) return nullptr;
  uint8_t* block = FFree.back();
  FFree.pop_back();
  return block;
}

void TQLBlockPool::Give(uint8_t* Block) { FFree.push_back(Block); }
