// A lock and a condition to wait on for the archive's worker threads, as the
// platform does them cheapest: the system's slim lock and condition variable
// on Windows (waits that need no kernel object), the standard library's
// elsewhere. The lock meets BasicLockable, for std::lock_guard and
// std::unique_lock. Neither can be copied.
#pragma once

#include <cstdint>
#include <memory>

class TQLSyncLock {
public:
  TQLSyncLock();
  ~TQLSyncLock();
  TQLSyncLock(const TQLSyncLock&) = delete;
  TQLSyncLock& operator=(const TQLSyncLock&) = delete;
  void lock();
  void unlock();

private:
  friend class TQLSyncCondition;
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

class TQLSyncCondition {
public:
  TQLSyncCondition();
  ~TQLSyncCondition();
  TQLSyncCondition(const TQLSyncCondition&) = delete;
  TQLSyncCondition& operator=(const TQLSyncCondition&) = delete;

  // Both wait with Lock held, release it while waiting and hold it again on
  // return; either may also return for no reason. WaitFor gives false when
  // Milliseconds passed.
  void Wait(TQLSyncLock& Lock);
  bool WaitFor(TQLSyncLock& Lock, int32_t Milliseconds);
  void NotifyOne();
  void NotifyAll();

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
