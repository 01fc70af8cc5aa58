#include "gui/run_progress.h"

#include <utility>

#include "gui/progress_dialog.h"

namespace stridewell::gui {

RunProgress::RunProgress(MainWindow& window, QString caption, Options options)
    : window_(window), dialog_(window.progressDialog()), caption_(std::move(caption)), options_(options) {
  if (options_.menuLock != MenuLock::kCaller)
    lock_.emplace(window_, options_.menuLock == MenuLock::kWholeRun);
  if (options_.opening == Opening::kAtOnce) show();
}

RunProgress::~RunProgress() {
  close();
}

void RunProgress::show() {
  if (state_ != State::kWaiting) return;
  state_ = State::kShown;
  if (options_.menuLock == MenuLock::kWhileShown) {
    lock_->begin();
    // The disabled frame repaints before the progress window covers it.
    window_.update();
  }
  dialog_.open(caption_);
}

void RunProgress::close() {
  if (state_ == State::kShown) {
    state_ = State::kClosed;
    dialog_.finish();
  }
  if (lock_) lock_->end();
}

void RunProgress::setText(std::string_view text) {
  show();
  if (state_ != State::kShown) return;
  if (options_.textLine != TextLine::kPercentSentence) dialog_.setText(text);
}

void RunProgress::setPercent(int percent) {
  show();
  if (state_ != State::kShown) return;
  switch (options_.textLine) {
    case TextLine::kRunText:
      dialog_.setPercent(percent);
      break;
    case TextLine::kPercentComplete:
      dialog_.percentCallback(percent);
      break;
    case TextLine::kPercentSentence:
      if (percent == shownPercent_) return;
      shownPercent_ = percent;
      dialog_.showPercent(percent, QStringLiteral("%1% complete."));
      break;
  }
}

bool RunProgress::cancelled() const {
  return state_ == State::kShown && dialog_.cancelled();
}

void RunProgress::closeFor(bool closes) {
  if (closes || options_.closesFor == ClosesFor::kAnyMessage) close();
}

void RunProgress::error(std::string_view text) {
  closeFor(options_.closesFor == ClosesFor::kLastWord);
  window_.ui().error(text);
}

void RunProgress::warning(std::string_view text) {
  closeFor(options_.closesFor == ClosesFor::kClosingMessages);
  window_.ui().warning(text);
}

bool RunProgress::query(std::string_view text) {
  closeFor(false);
  return window_.ui().query(text);
}

void RunProgress::notice(std::string_view caption, std::string_view text) {
  closeFor(true);
  window_.ui().notice(caption, text);
}

}  // namespace stridewell::gui
