#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "archive/QLSync.h"

struct TQLSyncThread::TImpl {
  std::thread Thread;
};

TQLSyncThread::TQLSyncThread(TEntry Entry, void* Argument) : FImpl(std::make_unique<TImpl>()) {
  try {
    FImpl->Thread = std::thread(Entry, Argument);
  } catch (const std::system_error&) {
    throw EQLThreadStartError("cannot start a thread");
  }
}

TQLSyncThread::~TQLSyncThread() { FImpl->Thread.join(); }

int32_t ProcessorCount() { return int32_t(std::thread::hardware_concurrency()); }

struct TQLSyncLock::TImpl {
  std::mutex Mutex;
};

struct TQLSyncCondition::TImpl {
  std::condition_variable Condition;
};

TQLSyncLock::TQLSyncLock() : FImpl(std::make_unique<TImpl>()) {}
TQLSyncLock::~TQLSyncLock() = default;
void TQLSyncLock::lock() { FImpl->Mutex.lock(); }
void TQLSyncLock::unlock() { FImpl->Mutex.unlock(); }

TQLSyncCondition::TQLSyncCondition() : FImpl(std::make_unique<TImpl>()) {}
TQLSyncCondition::~TQLSyncCondition() = default;

void TQLSyncCondition::Wait(TQLSyncLock& Lock) {
  std::unique_lock<std::mutex> held(Lock.FImpl->Mutex, std::adopt_lock);
  FImpl->Condition.wait(held);
  held.release();
}

bool TQLSyncCondition::WaitFor(TQLSyncLock& Lock, int32_t Milliseconds) {
  std::unique_lock<std::mutex> held(Lock.FImpl->Mutex, std::adopt_lock);
  std::cv_status status = FImpl->Condition.wait_for(held, std::chrono::milliseconds(Milliseconds));
  held.release();
  return status == std::cv_status::no_timeout;
}

void TQLSyncCondition::NotifyOne() { FImpl->Condition.notify_one(); }
void TQLSyncCondition::NotifyAll() { FImpl->Condition.notify_all(); }
