// Ctrl-C as Cancel: while an InterruptGuard lives, SIGINT only sets a flag
// that the running operation polls between steps; a second Ctrl-C ends the
// program as usual, for a step that never returns. The previous handler
// comes back when the guard goes. Make and destroy guards on one thread
// (nested guards share the flag); interrupted() may be asked from any.
#pragma once

#include <csignal>

namespace stridewell::cli {

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Ctrl-C was pressed since the outermost guard was made.
  bool interrupted() const;
  // False when the handler could not be installed (Ctrl-C then ends the
  // program as it would without a guard).
  bool installed() const { return installed_; }

 private:
  struct sigaction previous_ {};
  bool installed_ = false;
};

}  // namespace stridewell::cli
