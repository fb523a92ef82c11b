#include "app/QLStdThreads.h"

#include <windows.h>
#include <pthread.h>

#include <cerrno>

namespace {

constexpr pthread_mutex_t kStaticMutex = PTHREAD_MUTEX_INITIALIZER;
// A mutex in use holds kMadeMutex plus the number of its lock: a value no
// pointer and no initializer of the thread library has.
constexpr pthread_mutex_t kMadeMutex = -0x10000;
constexpr int kMaxMutexes = 32;
static_assert(sizeof(pthread_mutex_t) == sizeof(LONG), "a mutex is swapped as a LONG");
static_assert(sizeof(pthread_once_t) == sizeof(INIT_ONCE), "a once-flag is the system's one-time initialisation");

SRWLOCK Locks[kMaxMutexes];
LONG volatile LockTaken[kMaxMutexes];

LONG volatile* SlotOf(pthread_mutex_t* Mutex) { return reinterpret_cast<LONG volatile*>(Mutex); }

// The lock of a mutex value this program made, or null.
SRWLOCK* MadeLock(pthread_mutex_t Value) {
  return Value >= kMadeMutex && Value < kMadeMutex + kMaxMutexes ? &Locks[Value - kMadeMutex] : nullptr;
}

// Takes a free lock for Mutex, still holding the static initializer; false
// when none is free.
bool MakeLock(pthread_mutex_t* Mutex) {
  for (int i = 0; i < kMaxMutexes; ++i) {
    if (InterlockedCompareExchange(&LockTaken[i], 1, 0) != 0) continue;
    InitializeSRWLock(&Locks[i]);
    if (InterlockedCompareExchange(SlotOf(Mutex), kMadeMutex + i, kStaticMutex) != kStaticMutex)
      InterlockedExchange(&LockTaken[i], 0);  // another thread made it first
    return true;
  }
  return false;
}

// The lock behind Mutex, made on the first use of a mutex that holds the
// static initializer; null with Error set for any value this program did
// not make (another initializer, a zeroed or a destroyed mutex).
SRWLOCK* LockOf(pthread_mutex_t* Mutex, int& Error) {
  pthread_mutex_t value = InterlockedCompareExchange(SlotOf(Mutex), 0, 0);
  if (value == kStaticMutex) {
    if (!MakeLock(Mutex)) return Error = EAGAIN, nullptr;
    value = InterlockedCompareExchange(SlotOf(Mutex), 0, 0);
  }
  SRWLOCK* lock = MadeLock(value);
  if (!lock) Error = EINVAL;
  return lock;
}

}  // namespace

extern "C" {

// On the system's one-time initialisation: the first caller runs Function
// while the others wait; a Function that raises marks the initialisation
// failed, so the next caller runs it again, and its exception goes on from
// here, never through the system's frames.
int pthread_once(pthread_once_t* Once, void (*Function)(void)) {
  const auto once = reinterpret_cast<PINIT_ONCE>(Once);
  BOOL pending = FALSE;
  if (!InitOnceBeginInitialize(once, 0, &pending, nullptr)) return EINVAL;
  if (!pending) return 0;
  try {
    Function();
  } catch (...) {
    InitOnceComplete(once, INIT_ONCE_INIT_FAILED, nullptr);
    throw;
  }
  InitOnceComplete(once, 0, nullptr);
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

// Only the default attributes (a normal, process-private mutex).
int pthread_mutex_init(pthread_mutex_t* Mutex, const pthread_mutexattr_t* Attributes) {
  if (Attributes && *Attributes != 0) return ENOTSUP;
  *Mutex = kStaticMutex;
  return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* Mutex) {
  const pthread_mutex_t value = *Mutex;
  if (value != kStaticMutex && !MadeLock(value)) return EINVAL;
  if (value != kStaticMutex) InterlockedExchange(&LockTaken[value - kMadeMutex], 0);
  *Mutex = kStaticMutex;
  return 0;
}

int pthread_mutex_lock(pthread_mutex_t* Mutex) {
  int error = 0;
  SRWLOCK* lock = LockOf(Mutex, error);
  if (!lock) return error;
  AcquireSRWLockExclusive(lock);
  return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* Mutex) {
  SRWLOCK* lock = MadeLock(*Mutex);
  if (!lock) return EPERM;
  ReleaseSRWLockExclusive(lock);
  return 0;
}

}  // extern "C"
