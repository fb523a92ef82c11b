#include <windows.h>

#include "archive/QLSync.h"

struct TQLSyncLock::TImpl {
  SRWLOCK Lock = SRWLOCK_INIT;
};

struct TQLSyncCondition::TImpl {
  CONDITION_VARIABLE Condition = CONDITION_VARIABLE_INIT;
};

TQLSyncLock::TQLSyncLock() : FImpl(std::make_unique<TImpl>()) {}
TQLSyncLock::~TQLSyncLock() = default;
void TQLSyncLock::lock() { AcquireSRWLockExclusive(&FImpl->Lock); }
void TQLSyncLock::unlock() { ReleaseSRWLockExclusive(&FImpl->Lock); }

TQLSyncCondition::TQLSyncCondition() : FImpl(std::make_unique<TImpl>()) {}
TQLSyncCondition::~TQLSyncCondition() = default;

void TQLSyncCondition::Wait(TQLSyncLock& Lock) {
  SleepConditionVariableSRW(&FImpl->Condition, &Lock.FImpl->Lock, INFINITE, 0);
}

bool TQLSyncCondition::WaitFor(TQLSyncLock& Lock, int32_t Milliseconds) {
  return SleepConditionVariableSRW(&FImpl->Condition, &Lock.FImpl->Lock, DWORD(Milliseconds), 0) ||
         GetLastError() != ERROR_TIMEOUT;
}

void TQLSyncCondition::NotifyOne() { WakeConditionVariable(&FImpl->Condition); }
void TQLSyncCondition::NotifyAll() { WakeAllConditionVariable(&FImpl->Condition); }
