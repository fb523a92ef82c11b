#include "archive/QLBlockPipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

// This program's allocations are counted, and one of them can be made to
// fail: the allocation failures a pipeline must survive.
namespace {
std::atomic<long> Allocations{0};
std::atomic<long> FailingAllocation{-1};  // the count at which one fails; -1: none
}  // namespace

void* operator new(std::size_t Size) {
  const long n = Allocations++;
  long failing = n;
  if (FailingAllocation.compare_exchange_strong(failing, -1)) throw std::bad_alloc();
  if (void* p = std::malloc(Size ? Size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }

namespace {

// Gives up on a wait after about five seconds, so that a test never hangs.
struct TPatience {
  int Slices = 0;
  void operator()() {
    if (++Slices > 50) throw std::runtime_error("no block within five seconds");
  }
};

// A job that emits Blocks blocks, each filled with its job and block number.
TQLBlockPipeline::TWork Numbered(int Job, int Blocks) {
  return [Job, Blocks](TQLBlockSink& Sink) {
    for (int b = 0; b < Blocks; ++b) {
      Sink.Data()[0] = uint8_t(Job);
      Sink.Data()[1] = uint8_t(b);
      Sink.Emit(2 + b % 3);
    }
  };
}

TEST(BlockPipeline, BlocksComeJobByJobInPostingOrder) {
  TQLBlockPipeline pipeline({3, 16, 2});
  const int blocks[] = {5, 0, 1, 9, 2, 7, 3, 0, 4, 6};
  for (int j = 0; j < 10; ++j) pipeline.Post(Numbered(j, blocks[j]));
  TPatience patience;
  for (int j = 0; j < 10; ++j) {
    const uint8_t* data = nullptr;
    for (int b = 0; b < blocks[j]; ++b) {
      ASSERT_EQ(2 + b % 3, pipeline.NextBlock(data, std::ref(patience))) << j << ' ' << b;
      EXPECT_EQ(j, data[0]);
      EXPECT_EQ(b, data[1]);
    }
    EXPECT_EQ(0, pipeline.NextBlock(data, std::ref(patience)));
    pipeline.EndHead();
  }
}

TEST(BlockPipeline, AFailedJobRaisesAfterItsBlocks) {
  TQLBlockPipeline pipeline({2, 16, 2});
  pipeline.Post([](TQLBlockSink& Sink) {
    Sink.Emit(3);
    throw std::runtime_error("corrupt");
  });
  pipeline.Post(Numbered(1, 1));
  TPatience patience;
  const uint8_t* data = nullptr;
  EXPECT_EQ(3, pipeline.NextBlock(data, std::ref(patience)));
  EXPECT_THROW(pipeline.NextBlock(data, std::ref(patience)), std::runtime_error);
  pipeline.EndHead();
  EXPECT_EQ(2, pipeline.NextBlock(data, std::ref(patience)));
  EXPECT_EQ(1, data[0]);
}

// A job that would run forever is stopped once nobody waits for it, and
// the next job still arrives.
TEST(BlockPipeline, EndingAJobEarlyStopsItsWork) {
  TQLBlockPipeline pipeline({1, 16, 2});
  pipeline.Post([](TQLBlockSink& Sink) {
    for (;;) Sink.Emit(1);
  });
  pipeline.Post(Numbered(7, 1));
  TPatience patience;
  const uint8_t* data = nullptr;
  EXPECT_EQ(1, pipeline.NextBlock(data, std::ref(patience)));
  pipeline.EndHead();
  EXPECT_EQ(2, pipeline.NextBlock(data, std::ref(patience)));
  EXPECT_EQ(7, data[0]);
}

TEST(BlockPipeline, DestroyingStopsWorkersWaitingForBlocks) {
  auto pipeline = std::make_unique<TQLBlockPipeline>(TQLPipelineShape{2, 16, 1});
  for (int j = 0; j < 4; ++j)
    pipeline->Post([](TQLBlockSink& Sink) {
      for (;;) Sink.Emit(1);
    });
  pipeline.reset();  // returns: every worker stopped and joined
  SUCCEED();
}

struct TAttempt {
  bool Raised = false;
  long Allocations = 0;  // made by the construction
};

// Makes a pipeline of three workers, the Fail-th allocation from its start
// failing (-1: none), on a thread of its own; a construction that does not
// return within twenty seconds ends the program.
TAttempt Construct(long Fail) {
  std::promise<TAttempt> result;
  std::future<TAttempt> done = result.get_future();
  std::thread attempt([&] {
    TAttempt a;
    const long start = Allocations;
    try {
      FailingAllocation = Fail < 0 ? -1 : start + Fail;
      TQLBlockPipeline pipeline({3, 16, 2});
      a.Allocations = Allocations - start;
    } catch (const std::bad_alloc&) {
      a.Raised = true;
    }
    FailingAllocation = -1;
    result.set_value(a);
  });
  if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    std::fprintf(stderr, "a pipeline whose allocation %ld failed did not return\n", Fail);
    std::_Exit(1);
  }
  attempt.join();
  return done.get();
}

// Whichever allocation fails, before or after workers have started, the
// construction raises and returns, its started workers stopped and joined.
TEST(BlockPipeline, AnAllocationFailingWhileWorkersStartStopsThem) {
  const TAttempt whole = Construct(-1);
  ASSERT_FALSE(whole.Raised);
  ASSERT_GT(whole.Allocations, 6);  // pools, conditions, workers and their threads
  for (long n = 0; n < whole.Allocations; ++n) EXPECT_TRUE(Construct(n).Raised) << "allocation " << n;
}

// While the consumer waits for a slow job it is called back now and then.
TEST(BlockPipeline, WaitingCallsBack) {
  TQLBlockPipeline pipeline({1, 16, 1});
  pipeline.Post([](TQLBlockSink& Sink) {
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    Sink.Emit(1);
  });
  TPatience patience;
  const uint8_t* data = nullptr;
  EXPECT_EQ(1, pipeline.NextBlock(data, std::ref(patience)));
  EXPECT_GE(patience.Slices, 2);
}

}  // namespace
