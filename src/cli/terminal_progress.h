// The progress of a long run on the terminal: one line on standard error
// with the current text, a bar and the percentage, redrawn in place, and
// Ctrl-C as Cancel for as long as the sink lives. The bar is drawn only
// when standard error is a terminal, so logs and pipes stay clean. Updates
// come from the thread that runs the work; cancelled() may be asked from any.
#pragma once

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/interaction.h"
#include "cli/interrupt_guard.h"

namespace stridewell::cli {

class TerminalProgress final : public ProgressSink {
 public:
  // Standard error; the bar only when it is a terminal, as wide as it is.
  TerminalProgress();
  // For tests: draws on `err` when `drawBar`, in `width` columns; catches
  // Ctrl-C when `catchInterrupt`.
  TerminalProgress(std::ostream& err, bool drawBar, int width, bool catchInterrupt);
  // Clears the bar's line and gives Ctrl-C back.
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void setText(std::string_view text) override;
  void setPercent(int percent) override;
  bool cancelled() const override;
  // Whether the bar is drawn (on a terminal).
  bool drawsBar() const { return drawBar_; }

  // Cancels as Ctrl-C would.
  void cancel() { cancelled_.store(true); }

  // Takes the bar off its line so that a message can be written there; the
  // next update (or redraw()) puts it back.
  void clearLine();
  void redraw();

  // The line as drawn for `text` and `percent` in `width` columns (exposed
  // for the tests): control characters shown as '?', a long text cut with
  // "...", never wider than width - 1 so the terminal does not wrap.
  static std::string barLine(std::string_view text, int percent, int width);

 private:
  std::ostream& err_;
  bool drawBar_;
  int width_;
  std::optional<InterruptGuard> interruptGuard_;
  std::atomic<bool> cancelled_{false};
  std::string text_;
  int percent_ = 0;
  std::string drawn_;  // the line on screen, empty when none
};

}  // namespace stridewell::cli
