#include <windows.h>

#include "archive/QLSync.h"
#include "shell/QLWinHandles.h"

struct TQLSyncThread::TImpl {
  TEntry Entry;
  void* Argument;
  TQLFileHandle Thread;

  static DWORD WINAPI Run(void* Impl) {
    auto* impl = static_cast<TImpl*>(Impl);
    impl->Entry(impl->Argument);
    return 0;
  }
};

TQLSyncThread::TQLSyncThread(TEntry Entry, void* Argument) : FImpl(new TImpl{Entry, Argument, TQLFileHandle()}) {
  FImpl->Thread.Reset(CreateThread(nullptr, 0, TImpl::Run, FImpl.get(), 0, nullptr));
  if (!FImpl->Thread) throw EQLThreadStartError("cannot start a thread");
}

TQLSyncThread::~TQLSyncThread() { WaitForSingleObject(FImpl->Thread.Get(), INFINITE); }

int32_t ProcessorCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return int32_t(info.dwNumberOfProcessors);
}

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
