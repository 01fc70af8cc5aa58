// A training group whose "processes" are threads of one test: each member
// is handed to one thread, and the collectives meet at a barrier. Every
// member must make the same collective calls in the same order, as
// processes must.
#pragma once

#include <algorithm>
#include <atomic>
#include <barrier>
#include <memory>
#include <mutex>
#include <vector>

#include "model/training_group.h"

namespace stridewell::test {

class InProcessGroup {
 public:
  explicit InProcessGroup(int size) : size_(size), barrier_(size), told_(static_cast<size_t>(size)) {
    for (int rank = 0; rank < size; ++rank) members_.push_back(std::make_unique<Member>(*this, rank));
  }

  TrainingGroup& member(int rank) { return *members_[static_cast<size_t>(rank)]; }
  // How many collectives a member made (all make the same number).
  int collectives(int rank) const { return members_[static_cast<size_t>(rank)]->collectives; }
  // How many members told the others that they stop or failed.
  int tellers() const {
    return static_cast<int>(std::count_if(told_.begin(), told_.end(),
                                          [](const std::atomic<int>& state) { return state.load() != 0; }));
  }

 private:
  class Member final : public TrainingGroup {
   public:
    Member(InProcessGroup& group, int rank) : group_(group), rank_(rank) {}
    int rank() const override { return rank_; }
    int size() const override { return group_.size_; }

    void sumIntegers(std::span<int64_t> values) override {
      ++collectives;
      {
        std::lock_guard lock(group_.mutex_);
        if (group_.sums_.empty()) group_.sums_.assign(values.size(), 0);
        for (size_t i = 0; i < values.size(); ++i) group_.sums_[i] += values[i];
      }
      group_.barrier_.arrive_and_wait();
      std::copy(group_.sums_.begin(), group_.sums_.end(), values.begin());
      group_.barrier_.arrive_and_wait();
      if (rank_ == 0) group_.sums_.clear();
      group_.barrier_.arrive_and_wait();
    }

    void tellOthers(GroupState state) override {
      int expected = 0;
      group_.told_[static_cast<size_t>(rank_)].compare_exchange_strong(expected, static_cast<int>(state));
    }

    GroupState toldByOthers() override {
      int worst = 0;
      for (int other = 0; other < group_.size_; ++other) {
        if (other != rank_) worst = std::max(worst, group_.told_[static_cast<size_t>(other)].load());
      }
      return static_cast<GroupState>(worst);
    }

    int collectives = 0;

   protected:
    GroupState exchangeWorst(GroupState mine) override {
      ++collectives;
      {
        std::lock_guard lock(group_.mutex_);
        group_.worst_ = std::max(group_.worst_, static_cast<int>(mine));
      }
      group_.barrier_.arrive_and_wait();
      const auto worst = static_cast<GroupState>(group_.worst_);
      group_.barrier_.arrive_and_wait();
      if (rank_ == 0) group_.worst_ = 0;
      group_.barrier_.arrive_and_wait();
      return worst;
    }

   private:
    InProcessGroup& group_;
    int rank_;
  };

  int size_;
  std::barrier<> barrier_;
  std::mutex mutex_;
  std::vector<int64_t> sums_;
  int worst_ = 0;
  std::vector<std::atomic<int>> told_;
  std::vector<std::unique_ptr<Member>> members_;
};

}  // namespace stridewell::test
