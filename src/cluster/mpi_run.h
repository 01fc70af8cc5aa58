// MPI for one training command started by mpirun: started with calls
// serialised between threads (the training thread makes the group's calls
// while the main thread waits), the group the trainer adds its sums over,
// the few exchanges the processes make before the first pass, and the end:
// stop messages still in flight are received before MPI is shut down.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/training_group.h"

namespace stridewell {

class MpiRun {
 public:
  // Starts MPI; ok() tells whether it did.
  MpiRun();
  ~MpiRun();
  MpiRun(const MpiRun&) = delete;
  MpiRun& operator=(const MpiRun&) = delete;

  bool ok() const { return ok_; }
  const std::string& problem() const { return problem_; }
  int rank() const { return rank_; }
  int size() const { return size_; }
  const std::string& hostName() const { return hostName_; }

  TrainingGroup& group() { return *group_; }

  // Collective: the first process's values, to every process.
  void broadcast(std::span<int64_t> values);
  void broadcast(std::span<double> values);
  void broadcast(std::string& text);
  // Collective: every process's text, in rank order.
  std::vector<std::string> gather(const std::string& mine);
  // Collective: whether it holds in every process.
  bool allHold(bool mine);

 private:
  bool ok_ = false;
  std::string problem_;
  int rank_ = 0;
  int size_ = 1;
  std::string hostName_;
  std::unique_ptr<TrainingGroup> group_;
};

}  // namespace stridewell
