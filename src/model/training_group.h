// The processes that train one SIM together, each on its own share of the
// pattern file. They meet at checkpoints: twice a pass the trainer's exact
// sums are added over every process, and before each such sum the
// processes agree whether the run goes on. A process that stops or fails
// tells the others at once, so that they leave their share at their next
// look rather than at the next checkpoint, and then meets them for one last
// agreement. Used by the training thread only.
#pragma once

#include <cstdint>
#include <span>

namespace stridewell {

// How a process's part of the run stands, ordered so that the worst wins.
enum class GroupState : int { kGoing = 0, kStopped = 1, kFailed = 2 };

class TrainingGroup {
 public:
  virtual ~TrainingGroup() = default;

  virtual int rank() const = 0;
  virtual int size() const = 0;

  // Collective: every process says how its part stands and all learn the
  // worst. Once that is not kGoing the run is over for every process, and
  // later calls answer it again without meeting the others.
  GroupState agree(GroupState mine) {
    if (agreedEnd_ != GroupState::kGoing) return agreedEnd_;
    const GroupState worst = exchangeWorst(mine);
    if (worst != GroupState::kGoing) agreedEnd_ = worst;
    return worst;
  }
  bool ended() const { return agreedEnd_ != GroupState::kGoing; }

  // Collective: adds `values` element by element over every process; each
  // process ends with the totals.
  virtual void sumIntegers(std::span<int64_t> values) = 0;

  // Not collective: tells every other process that this one stops or
  // failed. Only the first call sends anything.
  virtual void tellOthers(GroupState state) = 0;
  // Not collective: the worst state the others have told, kGoing when none.
  virtual GroupState toldByOthers() = 0;

 protected:
  virtual GroupState exchangeWorst(GroupState mine) = 0;

 private:
  GroupState agreedEnd_ = GroupState::kGoing;
};

}  // namespace stridewell
