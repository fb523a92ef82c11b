#include "archive/QLBlockPipeline.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

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
