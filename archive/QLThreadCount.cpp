#include "archive/QLThreadCount.h"

#include <atomic>

#include "archive/QLSync.h"

namespace {

std::atomic<int32_t> ChosenCount{0};

}  // namespace

int32_t MachineThreadCount() {
  const int32_t n = ProcessorCount();
  return n < 1 ? 1 : n;
}

int32_t ExtractThreadCount() {
  int32_t n = ChosenCount.load();
  return n > 0 ? n : MachineThreadCount();
}

void SetExtractThreadCount(int32_t N) { ChosenCount.store(N > 0 ? N : 0); }
