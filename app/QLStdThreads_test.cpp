// Linked with the program's own thread functions in place of the POSIX
// thread library, as the shipped programs are: the runtime's exception
// support and the tests' own locks run on them here. A program of its own
// without the test framework, which would pull the POSIX thread library in.
// Exits with 1 on the first failed check.
#include "app/QLStdThreads.h"

#include <windows.h>
#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/QLSync.h"

namespace {

void Check(bool Condition, const char* What) {
  if (Condition) return;
  std::fprintf(stderr, "failed: %s\n", What);
  std::exit(1);
}

std::atomic<int> OnceRuns{0};
pthread_once_t Once = PTHREAD_ONCE_INIT;
pthread_mutex_t StaticMutex = PTHREAD_MUTEX_INITIALIZER;

void CountOnce() {
  Sleep(20);  // long enough for the other threads to arrive while it runs
  ++OnceRuns;
}

struct TThreadJob {
  const std::function<void(int)>* Body;
  int Index;
};

void RunJob(void* Job) {
  const TThreadJob& job = *static_cast<TThreadJob*>(Job);
  (*job.Body)(job.Index);
}

// Runs Body on Count threads at once and waits for all of them.
void OnThreads(int Count, const std::function<void(int)>& Body) {
  std::vector<TThreadJob> jobs;
  for (int i = 0; i < Count; ++i) jobs.push_back({&Body, i});
  std::vector<std::unique_ptr<TQLSyncThread>> threads;
  for (TThreadJob& job : jobs) threads.push_back(std::make_unique<TQLSyncThread>(RunJob, &job));
  threads.clear();  // each joins as it goes
}

void OnceRunsItsFunctionOnceAndEveryCallerWaitsForIt() {
  std::atomic<int> sawItDone{0};
  OnThreads(4, [&](int) {
    pthread_once(&Once, CountOnce);
    if (OnceRuns.load() == 1) ++sawItDone;
  });
  Check(OnceRuns.load() == 1, "the once function ran once");
  Check(sawItDone.load() == 4, "every caller returned after it had run");
}

int FailingOnceRuns = 0;
void FailFirstTime() {
  if (++FailingOnceRuns == 1) throw std::runtime_error("first run failed");
}

// A once function that raises leaves the flag unset: its exception reaches
// the caller, and the next caller runs the function again.
void AOnceFunctionThatRaisesIsRetried() {
  pthread_once_t once = PTHREAD_ONCE_INIT;
  bool raised = false;
  try {
    pthread_once(&once, FailFirstTime);
  } catch (const std::runtime_error&) {
    raised = true;
  }
  Check(raised, "the once function's exception reaches the caller");
  Check(pthread_once(&once, FailFirstTime) == 0 && FailingOnceRuns == 2, "the next caller runs it again");
  Check(pthread_once(&once, FailFirstTime) == 0 && FailingOnceRuns == 2, "once it has run, never again");
}

// Values the program did not make are refused with an error code, never
// taken for a lock.
void MutexValuesNotMadeHereAreRefused() {
  for (pthread_mutex_t value : {pthread_mutex_t(PTHREAD_RECURSIVE_MUTEX_INITIALIZER),
                                pthread_mutex_t(PTHREAD_ERRORCHECK_MUTEX_INITIALIZER), pthread_mutex_t(0),
                                pthread_mutex_t(0x12345678)}) {
    pthread_mutex_t mutex = value;
    Check(pthread_mutex_lock(&mutex) != 0, "a foreign mutex value is not locked");
    Check(pthread_mutex_unlock(&mutex) != 0, "a foreign mutex value is not unlocked");
    Check(pthread_mutex_destroy(&mutex) != 0, "a foreign mutex value is not destroyed");
    Check(mutex == value, "a foreign mutex value is left as it was");
  }
  pthread_mutex_t unused = PTHREAD_MUTEX_INITIALIZER;
  Check(pthread_mutex_unlock(&unused) != 0, "a mutex never locked is not unlocked");
  pthread_mutexattr_t recursive = PTHREAD_MUTEX_RECURSIVE;
  pthread_mutexattr_t defaults = 0;
  pthread_mutex_t made;
  Check(pthread_mutex_init(&made, &recursive) != 0, "attributes other than the default are refused");
  Check(pthread_mutex_init(&made, &defaults) == 0 && pthread_mutex_lock(&made) == 0 &&
            pthread_mutex_unlock(&made) == 0 && pthread_mutex_destroy(&made) == 0,
        "the default attributes make a mutex");
}

void AStaticMutexExcludesAndAMadeOneToo() {
  pthread_mutex_t made;
  Check(pthread_mutex_init(&made, nullptr) == 0, "a mutex is made");
  for (pthread_mutex_t* mutex : {&StaticMutex, &made}) {
    long counter = 0;
    OnThreads(4, [&](int) {
      for (int n = 0; n < 20000; ++n) {
        pthread_mutex_lock(mutex);
        const long seen = counter;
        if (n % 1000 == 0) Sleep(0);
        counter = seen + 1;
        pthread_mutex_unlock(mutex);
      }
    });
    Check(counter == 80000, "no increment is lost under the mutex");
  }
  Check(pthread_mutex_destroy(&made) == 0, "a made mutex is destroyed");
}

void KeysHoldAValuePerThread() {
  pthread_key_t key;
  Check(pthread_key_create(&key, nullptr) == 0, "a key is made");
  std::atomic<int> own{0};
  OnThreads(3, [&](int i) {
    Check(pthread_getspecific(key) == nullptr, "a new thread's value is empty");
    Check(pthread_setspecific(key, reinterpret_cast<void*>(intptr_t(i + 1))) == 0, "a value is set");
    Sleep(10);
    if (pthread_getspecific(key) == reinterpret_cast<void*>(intptr_t(i + 1))) ++own;
  });
  Check(own.load() == 3, "each thread reads its own value back");
  SetLastError(1234);
  pthread_getspecific(key);
  Check(GetLastError() == 1234u, "a caller's pending error survives a read");
}

// The unwinder, its registration lock and each thread's exception state all
// run on the functions above.
void ExceptionsOnManyThreadsAtOnce() {
  std::atomic<int> caught{0};
  OnThreads(4, [&](int i) {
    for (int n = 0; n < 500; ++n) {
      try {
        try {
          throw std::runtime_error("thread " + std::to_string(i));
        } catch (const std::exception&) {
          throw;  // rethrown from within a handler: the thread's own state
        }
      } catch (const std::exception& e) {
        if (std::string(e.what()) == "thread " + std::to_string(i)) ++caught;
      }
    }
  });
  Check(caught.load() == 2000, "every thread caught each of its own exceptions");
}

}  // namespace

int main() {
  OnceRunsItsFunctionOnceAndEveryCallerWaitsForIt();
  AOnceFunctionThatRaisesIsRetried();
  AStaticMutexExcludesAndAMadeOneToo();
  MutexValuesNotMadeHereAreRefused();
  KeysHoldAValuePerThread();
  ExceptionsOnManyThreadsAtOnce();
  std::printf("the program's thread functions: 6 checks passed\n");
  return 0;
}
