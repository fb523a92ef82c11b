// Jobs that each produce a run of byte blocks, run on worker threads, whose
// blocks reach the one consuming thread job by job in posting order. Each
// worker fills blocks from a pool of its own, so memory stays at Workers x
// BlocksPerWorker blocks however many and however large the jobs are, and the
// oldest job can always go on. Owns its threads: destroying the pipeline
// stops the work in progress and joins them. Only one thread consumes.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "archive/QLBlockPool.h"
#include "archive/QLSync.h"

// Where a job puts its bytes: fill Data() up to Capacity(), then Emit the
// count filled. Both may raise to end a job that nobody waits for any more;
// a job lets that through.
class TQLBlockSink {
public:
  virtual ~TQLBlockSink() = default;
  virtual uint8_t* Data() = 0;
  virtual int32_t Capacity() = 0;
  virtual void Emit(int32_t Count) = 0;
};

struct TQLPipelineShape {
  int32_t Workers = 2;
  int32_t BlockSize = 262144;
  int32_t BlocksPerWorker = 4;
};

class TQLBlockPipeline {
public:
  using TWork = std::function<void(TQLBlockSink& Sink)>;

  // Raises EQLThreadStartError when not a single worker can be started;
  // any failure stops and joins the workers started before it.
  explicit TQLBlockPipeline(const TQLPipelineShape& Shape);
  ~TQLBlockPipeline();
  TQLBlockPipeline(const TQLBlockPipeline&) = delete;
  TQLBlockPipeline& operator=(const TQLBlockPipeline&) = delete;

  // Queues a job; jobs start in posting order as workers come free.
  void Post(TWork Work);

  // The next block of the oldest job not yet ended: its byte count, with
  // Data valid until the next call or EndHead. 0 once the job has finished;
  // a job that failed raises its failure after its last block. While it
  // waits, WhileWaiting (if given) is called about every tenth of a second.
  int32_t NextBlock(const uint8_t*& Data, const std::function<void()>& WhileWaiting);

  // Done with the oldest job: its remaining blocks are dropped, its work is
  // stopped, and the next job becomes the oldest.
  void EndHead();

private:
  struct TBlock {
    uint8_t* Data;
    int32_t Count;
    int32_t Worker;
  };
  struct TJob {
    TWork Work;
    std::deque<TBlock> Ready;
    int32_t Worker = -1;  // -1 until a worker claims the job
    bool Done = false, Dropped = false;
    std::exception_ptr Error;
  };
  class TSink;

  struct TWorker;
  void StartWorkers(int32_t Count);
  static void RunWorker(void* Worker);
  void WorkerLoop(int32_t Worker);
  std::shared_ptr<TJob> ClaimJob(int32_t Worker);  // with the lock held
  uint8_t* TakeBlock(TJob& Job, int32_t Worker);
  void HandOver(TJob& Job, TBlock Block);
  // These three with the lock held.
  void GiveBack(const TBlock& Block);
  void WakeConsumerFor(const TJob& Job);
  void Stop();

  // Each thread is woken only for what it waits for: a worker for a job or
  // for a block of its own pool, the consumer for news of the oldest job.
  TQLSyncLock FLock;
  TQLSyncCondition FJobPosted, FConsumerWake;
  std::vector<std::unique_ptr<TQLSyncCondition>> FBlockFreed;  // one per worker
  bool FConsumerWaiting = false;
  std::vector<std::unique_ptr<TQLBlockPool>> FPools;
  std::deque<std::shared_ptr<TJob>> FJobs;  // oldest first
  TBlock FCurrent{nullptr, 0, -1};          // the block the consumer holds
  bool FStopping = false;
  std::vector<std::unique_ptr<TWorker>> FThreads;
};
