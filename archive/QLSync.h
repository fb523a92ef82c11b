// Threads for the archive's work, a lock and a condition to wait on, and the
// machine's processor count, as the platform does them cheapest: the
// system's threads, slim lock and condition variable on Windows (waits that
// need no kernel object), the standard library's elsewhere. The lock meets
// BasicLockable, for std::lock_guard and std::unique_lock. None can be copied.
#pragma once

#include <cstdint>
#include <memory>

#include "archive/QLError.h"

// The system started no thread.
class EQLThreadStartError : public EQLError {
public:
  using EQLError::EQLError;
};

// One thread running Entry(Argument); destroying the object waits for the
// thread to end. Entry must let no exception out.
class TQLSyncThread {
public:
  using TEntry = void (*)(void* Argument);
  // Raises EQLThreadStartError when the system starts no thread.
  TQLSyncThread(TEntry Entry, void* Argument);
  ~TQLSyncThread();
  TQLSyncThread(const TQLSyncThread&) = delete;
  TQLSyncThread& operator=(const TQLSyncThread&) = delete;

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// Processors the system reports, 0 when it cannot tell.
int32_t ProcessorCount();

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
