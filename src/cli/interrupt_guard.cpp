#include "cli/interrupt_guard.h"

#include <atomic>

namespace stridewell::cli {
namespace {

// Lock-free atomics are safe to touch in a signal handler.
std::atomic<bool> interruptSeen{false};
std::atomic<int> firstSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

int guardDepth = 0;  // guards alive; changed only on the guards' thread

extern "C" void onInterrupt(int signal) {
  int none = 0;
  firstSignal.compare_exchange_strong(none, signal);
  if (interruptSeen.exchange(true)) {
    // A second signal: the operation has not stopped, so end the program
    // the way the uncaught signal would (the shell then sees the usual
    // status). signal() and raise() are async-signal-safe.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

}  // namespace

InterruptGuard::InterruptGuard(Signals signals) {
  if (guardDepth++ == 0) {
    interruptSeen.store(false);
    firstSignal.store(0);
  }
  signals_[signalCount_++] = SIGINT;
  if (signals == Signals::kInterruptAndTermination) {
    signals_[signalCount_++] = SIGTERM;
    signals_[signalCount_++] = SIGHUP;
  }
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // Restart interrupted reads and writes: the streams of the core do not
  // retry them, and the flag is all the operation needs.
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < signalCount_; ++i) {
    installed_[i] = ::sigaction(signals_[i], &action, &previous_[i]) == 0;
  }
}

InterruptGuard::~InterruptGuard() {
  for (int i = signalCount_ - 1; i >= 0; --i) {
    if (installed_[i]) ::sigaction(signals_[i], &previous_[i], nullptr);
  }
  --guardDepth;
}

bool InterruptGuard::interrupted() const {
  return interruptSeen.load();
}

int InterruptGuard::signalSeen() {
  return firstSignal.load();
}

}  // namespace stridewell::cli
