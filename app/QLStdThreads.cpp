#include "app/QLStdThreads.h"

#include <windows.h>
#include <pthread.h>

namespace {

constexpr pthread_mutex_t kUnsetMutex = PTHREAD_MUTEX_INITIALIZER;
constexpr LONG kOnceRunning = 1, kOnceDone = 2;

// The lock behind Mutex, made on its first use: a mutex set up statically
// holds only the initializer's value.
SRWLOCK* LockOf(pthread_mutex_t* Mutex) {
  auto* slot = reinterpret_cast<PVOID volatile*>(Mutex);
  PVOID lock = InterlockedCompareExchangePointer(slot, nullptr, nullptr);
  if (lock != reinterpret_cast<PVOID>(kUnsetMutex)) return static_cast<SRWLOCK*>(lock);
  PVOID made = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SRWLOCK));  // zero: an unlocked lock
  if (!made) return nullptr;
  lock = InterlockedCompareExchangePointer(slot, made, reinterpret_cast<PVOID>(kUnsetMutex));
  if (lock == reinterpret_cast<PVOID>(kUnsetMutex)) return static_cast<SRWLOCK*>(made);
  HeapFree(GetProcessHeap(), 0, made);  // another thread made it first
  return static_cast<SRWLOCK*>(lock);
}

}  // namespace

extern "C" {

int pthread_once(pthread_once_t* Once, void (*Function)(void)) {
  auto* state = reinterpret_cast<LONG volatile*>(Once);
  if (InterlockedCompareExchange(state, 0, 0) == kOnceDone) return 0;
  if (InterlockedCompareExchange(state, kOnceRunning, 0) == 0) {
    Function();
    InterlockedExchange(state, kOnceDone);
    return 0;
  }
  while (InterlockedCompareExchange(state, 0, 0) != kOnceDone) Sleep(0);
  return 0;
}

int pthread_key_create(pthread_key_t* Key, void (*)(void*)) {
  const DWORD index = TlsAlloc();
  if (index == TLS_OUT_OF_INDEXES) return EAGAIN;
  *Key = pthread_key_t(index);
  return 0;
}

void* pthread_getspecific(pthread_key_t Key) {
  const DWORD error = GetLastError();  // callers between a failed call and its GetLastError
  void* value = TlsGetValue(Key);
  SetLastError(error);
  return value;
}

int pthread_setspecific(pthread_key_t Key, const void* Value) {
  return TlsSetValue(Key, const_cast<void*>(Value)) ? 0 : EINVAL;
}

int pthread_mutex_init(pthread_mutex_t* Mutex, const pthread_mutexattr_t*) {
  *Mutex = kUnsetMutex;
  return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* Mutex) {
  if (*Mutex != kUnsetMutex) HeapFree(GetProcessHeap(), 0, reinterpret_cast<void*>(*Mutex));
  *Mutex = kUnsetMutex;
  return 0;
}

int pthread_mutex_lock(pthread_mutex_t* Mutex) {
  SRWLOCK* lock = LockOf(Mutex);
  if (!lock) return ENOMEM;
  AcquireSRWLockExclusive(lock);
  return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* Mutex) {
  ReleaseSRWLockExclusive(LockOf(Mutex));
  return 0;
}

}  // extern "C"
