// A fixed set of threads that run one job at a time side by side: the
// caller hands run() a job, every thread (the caller's own as number 0)
// runs it with its number, and run() returns when all have finished. The
// threads start once and wait between jobs; run() is for one caller thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace stridewell {

class TrainingThreadPool {
 public:
  // Starts threadCount - 1 helper threads. When the system refuses a
  // thread, the pool goes on with those it has; threadCount() says how many.
  explicit TrainingThreadPool(int threadCount);
  ~TrainingThreadPool();

  TrainingThreadPool(const TrainingThreadPool&) = delete;
  TrainingThreadPool& operator=(const TrainingThreadPool&) = delete;

  int threadCount() const { return static_cast<int>(helpers_.size()) + 1; }

  // Runs job(0) on the calling thread and job(t) on helper t, for every t,
  // and returns when all have returned. Everything the caller wrote before
  // the call is visible to the job, and everything the job wrote is
  // visible to the caller afterwards.
  void run(const std::function<void(int)>& job);

 private:
  void helperLoop(int number);

  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable workDone_;
  const std::function<void(int)>* job_ = nullptr;
  uint64_t generation_ = 0;
  int running_ = 0;
  bool closing_ = false;
  std::vector<std::thread> helpers_;
};

}  // namespace stridewell
