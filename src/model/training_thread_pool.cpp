#include "model/training_thread_pool.h"

#include <system_error>

namespace stridewell {

TrainingThreadPool::TrainingThreadPool(int threadCount) {
  for (int number = 1; number < threadCount; ++number) {
    try {
      helpers_.emplace_back(&TrainingThreadPool::helperLoop, this, number);
    } catch (const std::system_error&) {
      // Out of threads: the work is split over those that started.
      break;
    }
  }
}

TrainingThreadPool::~TrainingThreadPool() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  workReady_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void TrainingThreadPool::run(const std::function<void(int)>& job) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    job_ = &job;
    running_ = static_cast<int>(helpers_.size());
    ++generation_;
  }
  workReady_.notify_all();
  job(0);
  std::unique_lock<std::mutex> lock(mutex_);
  workDone_.wait(lock, [this] { return running_ == 0; });
  job_ = nullptr;
}

void TrainingThreadPool::helperLoop(int number) {
  uint64_t seen = 0;
  for (;;) {
    const std::function<void(int)>* job = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workReady_.wait(lock, [&] { return closing_ || generation_ != seen; });
      if (closing_) return;
      seen = generation_;
      job = job_;
    }
    (*job)(number);
    bool last = false;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      last = --running_ == 0;
    }
    if (last) workDone_.notify_one();
  }
}

}  // namespace stridewell
