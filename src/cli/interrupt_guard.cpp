#include "cli/interrupt_guard.h"

#include <atomic>

namespace stridewell::cli {
namespace {

// Lock-free atomics are safe to touch in a signal handler.
std::atomic<bool> interruptSeen{false};
static_assert(std::atomic<bool>::is_always_lock_free);

int guardDepth = 0;  // guards alive; changed only on the guards' thread

extern "C" void onInterrupt(int) {
  if (interruptSeen.exchange(true)) {
    // Second Ctrl-C: the operation has not stopped, so stop the program the
    // way an uncaught SIGINT would (the shell then sees the usual status).
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
  }
}

}  // namespace

InterruptGuard::InterruptGuard() {
  if (guardDepth++ == 0) interruptSeen.store(false);
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // Restart interrupted reads and writes: the streams of the core do not
  // retry them, and the flag is all the operation needs.
  action.sa_flags = SA_RESTART;
  installed_ = ::sigaction(SIGINT, &action, &previous_) == 0;
}

InterruptGuard::~InterruptGuard() {
  if (installed_) ::sigaction(SIGINT, &previous_, nullptr);
  --guardDepth;
}

bool InterruptGuard::interrupted() const {
  return interruptSeen.load();
}

}  // namespace stridewell::cli
