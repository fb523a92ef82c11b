#include "archive/QLThreadCount.h"

#include <atomic>
#include <thread>

namespace {

std::atomic<int32_t> ChosenCount{0};

}  // namespace

int32_t MachineThreadCount() {
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : int32_t(n);
}

int32_t ExtractThreadCount() {
  int32_t n = ChosenCount.load();
  return n > 0 ? n : MachineThreadCount();
}

void SetExtractThreadCount(int32_t N) { ChosenCount.store(N > 0 ? N : 0); }
