// A fixed number of fixed-size memory blocks, allocated once when the pool
// is made and handed out and back for its whole life; it never grows. Not
// thread-safe: its owner guards it. Blocks die with the pool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TQLBlockPool {
public:
  TQLBlockPool(int32_t Count, int32_t Size);
  TQLBlockPool(const TQLBlockPool&) = delete;
  TQLBlockPool& operator=(const TQLBlockPool&) = delete;

  // A free block, or nullptr when every block is out.
  uint8_t* Take();
  // Returns a block that Take handed out.
  void Give(uint8_t* Block);
  int32_t BlockSize() const { return FSize; }

private:
  int32_t FSize;
  std::vector<uint8_t> FMemory;
  std::vector<uint8_t*> FFree;
};
