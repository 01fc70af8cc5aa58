#include "cli/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace stridewell::cli {
namespace {

constexpr int kBarCells = 20;
constexpr int kDefaultWidth = 80;
constexpr int kNarrowest = 20;

int terminalWidth(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultWidth;
}

bool isUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Characters, counting a UTF-8 sequence as one.
int characterCount(std::string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char c) { return !isUtf8Continuation(c); }));
}

// The first `count` characters of `text`, never cutting a UTF-8 sequence.
std::string_view firstCharacters(std::string_view text, int count) {
  size_t end = 0;
  for (int seen = 0; end < text.size(); ++end) {
    if (!isUtf8Continuation(text[end]) && seen++ == count) break;
  }
  return text.substr(0, end);
}

}  // namespace

TerminalProgress::TerminalProgress()
    : TerminalProgress(std::cerr, ::isatty(STDERR_FILENO) == 1, terminalWidth(STDERR_FILENO), true) {}

TerminalProgress::TerminalProgress(std::ostream& err, bool drawBar, int width, bool catchInterrupt)
    : err_(err), drawBar_(drawBar), width_(std::max(width, kNarrowest)) {
  if (catchInterrupt) interruptGuard_.emplace();
}

TerminalProgress::~TerminalProgress() {
  clearLine();
}

std::string TerminalProgress::barLine(std::string_view text, int percent, int width) {
  percent = std::clamp(percent, 0, 100);
  const int filled = percent * kBarCells / 100;
  std::string tail = " [";
  tail.append(static_cast<size_t>(filled), '#');
  tail.append(static_cast<size_t>(kBarCells - filled), '.');
  tail += "] ";
  const std::string number = std::to_string(percent);
  tail.append(3 - number.size(), ' ');
  tail += number + "%";

  // A file name may hold anything; on one redrawn line, line ends and
  // escape sequences would wreck the display.
  std::string shown(text);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  width = std::max(width, kNarrowest);
  const int room = width - 1 - static_cast<int>(tail.size());
  if (room < 4) {
    // Too narrow for a text: the bar alone, or only the number.
    if (static_cast<int>(tail.size()) <= width) return tail.substr(1);
    return number + "%";
  }
  if (characterCount(shown) > room) shown = std::string(firstCharacters(shown, room - 3)) + "...";
  return shown + tail;
}

void TerminalProgress::setText(std::string_view text) {
  text_.assign(text);
  redraw();
}

void TerminalProgress::setPercent(int percent) {
  percent_ = std::clamp(percent, 0, 100);
  redraw();
}

bool TerminalProgress::cancelled() const {
  return cancelled_.load() || (interruptGuard_ && interruptGuard_->interrupted());
}

void TerminalProgress::redraw() {
  if (!drawBar_) return;
  const std::string line = barLine(text_, percent_, width_);
  if (line == drawn_) return;  // a run may report the same value many times
  std::string output = "\r" + line;
  // Blank out what is left of a longer previous line.
  const int leftOver = characterCount(drawn_) - characterCount(line);
  if (leftOver > 0) output.append(static_cast<size_t>(leftOver), ' ');
  err_ << output << std::flush;
  drawn_ = line;
}

void TerminalProgress::clearLine() {
  if (!drawBar_ || drawn_.empty()) return;
  err_ << '\r' << std::string(static_cast<size_t>(characterCount(drawn_)), ' ') << '\r' << std::flush;
  drawn_.clear();
}

}  // namespace stridewell::cli
