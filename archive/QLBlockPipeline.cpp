#include "archive/QLBlockPipeline.h"

#include <mutex>
#include <utility>

namespace {

// Raised through a job's sink once nobody waits for the job any more.
struct TJobAbandoned {};

constexpr int32_t kWaitSliceMs = 100;

}  // namespace

// A worker's sink for one job: blocks come from the worker's own pool.
class TQLBlockPipeline::TSink : public TQLBlockSink {
public:
  TSink(TQLBlockPipeline& Owner, TJob& Job, int32_t Worker) : FOwner(Owner), FJob(Job), FWorker(Worker) {}
  ~TSink() override {
    if (!FBlock) return;
    std::lock_guard<TQLSyncLock> lock(FOwner.FLock);
    FOwner.GiveBack({FBlock, 0, FWorker});
  }
  uint8_t* Data() override {
    if (!FBlock) FBlock = FOwner.TakeBlock(FJob, FWorker);
    return FBlock;
  }
  int32_t Capacity() override { return FOwner.FPools[size_t(FWorker)]->BlockSize(); }
  void Emit(int32_t Count) override {
    if (Count <= 0) return;
    uint8_t* block = Data();
    FBlock = nullptr;
    FOwner.HandOver(FJob, {block, Count, FWorker});
  }

private:
  TQLBlockPipeline& FOwner;
  TJob& FJob;
  int32_t FWorker;
  uint8_t* FBlock = nullptr;
};

// A worker thread and what it needs to know at its start.
struct TQLBlockPipeline::TWorker {
  TQLBlockPipeline* Owner;
  int32_t Index;
  std::unique_ptr<TQLSyncThread> Thread;
};

void TQLBlockPipeline::RunWorker(void* Worker) {
  auto* worker = static_cast<TWorker*>(Worker);
  worker->Owner->WorkerLoop(worker->Index);
}

TQLBlockPipeline::TQLBlockPipeline(const TQLPipelineShape& Shape) {
  for (int32_t w = 0; w < Shape.Workers; ++w) {
    FPools.push_back(std::make_unique<TQLBlockPool>(Shape.BlocksPerWorker, Shape.BlockSize));
    FBlockFreed.push_back(std::make_unique<TQLSyncCondition>());
  }
  FThreads.reserve(FPools.size());
  try {
    StartWorkers(Shape.Workers);
  } catch (...) {
    Stop();  // the workers started so far are told to end, and joined
    throw;
  }
}

void TQLBlockPipeline::StartWorkers(int32_t Count) {
  for (int32_t w = 0; w < Count; ++w) {
    auto worker = std::make_unique<TWorker>(TWorker{this, w, nullptr});
    try {
      worker->Thread = std::make_unique<TQLSyncThread>(RunWorker, worker.get());
    } catch (const EQLThreadStartError&) {
      if (FThreads.empty()) throw;
      return;  // fewer workers still make progress
    }
    FThreads.push_back(std::move(worker));  // reserved: a started worker is always kept
  }
}

TQLBlockPipeline::~TQLBlockPipeline() { Stop(); }

void TQLBlockPipeline::Stop() {
  {
    std::lock_guard<TQLSyncLock> lock(FLock);
    FStopping = true;
    FJobPosted.NotifyAll();
    for (const auto& freed : FBlockFreed) freed->NotifyAll();
  }
  FThreads.clear();  // waits for each thread to end
}

void TQLBlockPipeline::Post(TWork Work) {
  auto job = std::make_shared<TJob>();
  job->Work = std::move(Work);
  std::lock_guard<TQLSyncLock> lock(FLock);
  FJobs.push_back(std::move(job));
  FJobPosted.NotifyOne();
}

std::shared_ptr<TQLBlockPipeline::TJob> TQLBlockPipeline::ClaimJob(int32_t Worker) {
  for (;;) {
    if (FStopping) return nullptr;
    for (const std::shared_ptr<TJob>& job : FJobs)
      if (job->Worker < 0) {
        job->Worker = Worker;
        return job;
      }
    FJobPosted.Wait(FLock);
  }
}

void TQLBlockPipeline::WorkerLoop(int32_t Worker) {
  std::unique_lock<TQLSyncLock> lock(FLock);
  while (std::shared_ptr<TJob> job = ClaimJob(Worker)) {
    lock.unlock();
    std::exception_ptr error;
    try {
      TSink sink(*this, *job, Worker);
      job->Work(sink);
    } catch (const TJobAbandoned&) {
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    job->Error = error;
    job->Done = true;
    WakeConsumerFor(*job);
  }
}

uint8_t* TQLBlockPipeline::TakeBlock(TJob& Job, int32_t Worker) {
  std::unique_lock<TQLSyncLock> lock(FLock);
  for (;;) {
    if (FStopping || Job.Dropped) throw TJobAbandoned{};
    if (uint8_t* block = FPools[size_t(Worker)]->Take()) return block;
    FBlockFreed[size_t(Worker)]->Wait(FLock);
  }
}

void TQLBlockPipeline::HandOver(TJob& Job, TBlock Block) {
  std::lock_guard<TQLSyncLock> lock(FLock);
  if (FStopping || Job.Dropped) {
    GiveBack(Block);
    throw TJobAbandoned{};
  }
  Job.Ready.push_back(Block);
  WakeConsumerFor(Job);
}

void TQLBlockPipeline::GiveBack(const TBlock& Block) {
  if (!Block.Data) return;
  FPools[size_t(Block.Worker)]->Give(Block.Data);
  FBlockFreed[size_t(Block.Worker)]->NotifyOne();
}

void TQLBlockPipeline::WakeConsumerFor(const TJob& Job) {
  if (FConsumerWaiting && !FJobs.empty() && FJobs.front().get() == &Job) FConsumerWake.NotifyOne();
}

int32_t TQLBlockPipeline::NextBlock(const uint8_t*& Data, const std::function<void()>& WhileWaiting) {
  std::unique_lock<TQLSyncLock> lock(FLock);
  GiveBack(FCurrent);
  FCurrent = {nullptr, 0, -1};
  if (FJobs.empty()) return 0;
  TJob& job = *FJobs.front();
  for (;;) {
    if (!job.Ready.empty()) {
      FCurrent = job.Ready.front();
      job.Ready.pop_front();
      Data = FCurrent.Data;
      return FCurrent.Count;
    }
    if (job.Done) {
      if (job.Error) std::rethrow_exception(std::exchange(job.Error, nullptr));
      return 0;
    }
    FConsumerWaiting = true;
    bool woken = FConsumerWake.WaitFor(FLock, kWaitSliceMs);
    FConsumerWaiting = false;
    if (!woken && WhileWaiting) {
      lock.unlock();
      WhileWaiting();
      lock.lock();
    }
  }
}

void TQLBlockPipeline::EndHead() {
  std::lock_guard<TQLSyncLock> lock(FLock);
  GiveBack(FCurrent);
  FCurrent = {nullptr, 0, -1};
  if (FJobs.empty()) return;
  TJob& job = *FJobs.front();
  job.Dropped = true;
  for (const TBlock& b : job.Ready) GiveBack(b);
  job.Ready.clear();
  if (!job.Done && job.Worker >= 0) FBlockFreed[size_t(job.Worker)]->NotifyAll();  // to see the drop
  FJobs.pop_front();
}
