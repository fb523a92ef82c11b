#include "archive/QLSync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace {

// What a started thread sees and does: it waits until told to go, then
// records that it ran.
struct THandshake {
  TQLSyncLock Lock;
  TQLSyncCondition Told;
  bool Go = false;
  std::atomic<int> Runs{0};
};

void WaitThenCount(void* Argument) {
  auto& shake = *static_cast<THandshake*>(Argument);
  {
    std::unique_lock<TQLSyncLock> held(shake.Lock);
    while (!shake.Go) shake.Told.Wait(shake.Lock);
  }
  ++shake.Runs;
}

}  // namespace

TEST(SyncThread, RunsItsEntryWithTheArgumentAndIsWaitedForWhenDestroyed) {
  THandshake shake;
  {
    TQLSyncThread first(WaitThenCount, &shake);
    TQLSyncThread second(WaitThenCount, &shake);
    EXPECT_EQ(0, shake.Runs.load());  // both wait for the word
    std::lock_guard<TQLSyncLock> held(shake.Lock);
    shake.Go = true;
    shake.Told.NotifyAll();
  }
  EXPECT_EQ(2, shake.Runs.load());
}

TEST(SyncProcessors, TheMachineHasAtLeastOne) { EXPECT_GE(ProcessorCount(), 1); }
