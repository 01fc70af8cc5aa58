// Test doubles for the user interaction: RecordingInteraction keeps every
// message in order (kind, caption, text) and answers questions from a queue
// the test fills; RecordingProgress keeps every text and percent and can
// turn cancelled after a chosen number of percent updates, the way a user
// presses Cancel part-way through a run. Both may be called from any thread.
#pragma once

#include <atomic>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/interaction.h"

namespace stridewell::test {

class RecordingInteraction final : public UserInteraction {
 public:
  enum class Kind { kError, kWarning, kQuery, kNotice };

  struct Call {
    Kind kind;
    std::string caption;
    std::string text;
    bool answer = false;  // what a query was answered (operator== leaves it out)

    bool operator==(const Call& other) const {
      return kind == other.kind && caption == other.caption && text == other.text;
    }
  };

  // Queries take these answers in order, then the default.
  void queueAnswers(std::initializer_list<bool> answers) {
    std::lock_guard lock(mutex_);
    answers_.insert(answers_.end(), answers.begin(), answers.end());
  }
  void setDefaultAnswer(bool answer) {
    std::lock_guard lock(mutex_);
    defaultAnswer_ = answer;
  }

  void error(std::string_view text) override { record(Kind::kError, kErrorCaption, text, false); }
  void warning(std::string_view text) override { record(Kind::kWarning, kWarningCaption, text, false); }
  bool query(std::string_view text) override {
    std::lock_guard lock(mutex_);
    bool answer = defaultAnswer_;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    calls_.push_back({Kind::kQuery, std::string(kQueryCaption), std::string(text), answer});
    return answer;
  }
  void notice(std::string_view caption, std::string_view text) override {
    record(Kind::kNotice, caption, text, false);
  }

  std::vector<Call> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  // The texts of the calls of one kind, in order.
  std::vector<std::string> texts(Kind kind) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> found;
    for (const Call& call : calls_) {
      if (call.kind == kind) found.push_back(call.text);
    }
    return found;
  }
  std::vector<std::string> errors() const { return texts(Kind::kError); }
  std::vector<std::string> warnings() const { return texts(Kind::kWarning); }
  std::vector<std::string> queries() const { return texts(Kind::kQuery); }
  bool empty() const {
    std::lock_guard lock(mutex_);
    return calls_.empty();
  }
  void clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }

 private:
  void record(Kind kind, std::string_view caption, std::string_view text, bool answer) {
    std::lock_guard lock(mutex_);
    calls_.push_back({kind, std::string(caption), std::string(text), answer});
  }

  mutable std::mutex mutex_;
  std::vector<Call> calls_;
  std::deque<bool> answers_;
  bool defaultAnswer_ = false;
};

inline std::ostream& operator<<(std::ostream& out, const RecordingInteraction::Call& call) {
  return out << call.caption << ": " << call.text;
}

class RecordingProgress final : public ProgressSink {
 public:
  // cancelled() turns true once setPercent has been called `calls` times
  // (0: never by itself).
  explicit RecordingProgress(int cancelAfterPercentCalls = 0) : cancelAfter_(cancelAfterPercentCalls) {}

  void setText(std::string_view text) override {
    std::lock_guard lock(mutex_);
    texts_.emplace_back(text);
  }
  void setPercent(int percent) override {
    std::lock_guard lock(mutex_);
    percents_.push_back(percent);
    if (cancelAfter_ > 0 && static_cast<int>(percents_.size()) >= cancelAfter_) cancelled_.store(true);
  }
  bool cancelled() const override {
    cancelledAsked_.fetch_add(1);
    return cancelled_.load();
  }

  // Cancel now, as a Cancel button would.
  void cancel() { cancelled_.store(true); }

  std::vector<std::string> texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
  }
  std::vector<int> percents() const {
    std::lock_guard lock(mutex_);
    return percents_;
  }
  // How often the run looked at cancelled(): a run that never asks cannot
  // be cancelled.
  int cancelledAsked() const { return cancelledAsked_.load(); }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<int> percents_;
  int cancelAfter_;
  std::atomic<bool> cancelled_{false};
  mutable std::atomic<int> cancelledAsked_{0};
};

}  // namespace stridewell::test
