// Ctrl-C as Cancel: while an InterruptGuard lives, SIGINT only sets a flag
// that the running operation polls between steps; a second Ctrl-C ends the
// program as usual, for a step that never returns. Make and destroy guards
// on one thread (nested guards share the flag); interrupted() may be asked
// from any.
#pragma once

#include <csignal>

namespace stridewell::cli {

// A guard made for a run that must not lose its work (training) treats
// SIGTERM and SIGHUP the same way: the run stops at its next check and
// saves. The previous handlers come back when the guard goes.
class InterruptGuard {
 public:
  enum class Signals {
    kInterrupt,                // SIGINT
    kInterruptAndTermination,  // SIGINT, SIGTERM and SIGHUP
  };

  explicit InterruptGuard(Signals signals = Signals::kInterrupt);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // A guarded signal arrived since the outermost guard was made.
  bool interrupted() const;
  // The first guarded signal that arrived (SIGINT, SIGTERM, SIGHUP), or 0.
  static int signalSeen();
  // False when the SIGINT handler could not be installed (Ctrl-C then ends
  // the program as it would without a guard).
  bool installed() const { return installed_[0]; }

 private:
  static constexpr int kMostSignals = 3;
  int signals_[kMostSignals] = {};
  int signalCount_ = 0;
  struct sigaction previous_[kMostSignals] {};
  bool installed_[kMostSignals] = {};
};

}  // namespace stridewell::cli
