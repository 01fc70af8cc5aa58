// The progress window and messages of one long run in the desktop program:
// it shows the core's progress in the main window's ProgressDialog and
// passes the run's messages to the window, closing the progress window
// before those that end the run. User-interface thread only.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "base/interaction.h"
#include "gui/main_window.h"

namespace stridewell::gui {

class ProgressDialog;

class RunProgress final : public ProgressSink, public UserInteraction {
 public:
  enum class Opening {
    // Before the run starts.
    kAtOnce,
    // With the run's first text or percent, so that a run that cannot open
    // its files shows its error without a progress window flashing up first.
    kWithFirstProgress,
  };

  enum class TextLine {
    // The run's own texts: the file or step it is on.
    kRunText,
    // "N% complete" through the dialog's percent callback, as the dataset
    // reports show it.
    kPercentComplete,
    // "N% complete." with its full stop; the run's own text is dropped, as
    // it only names the run, which the caption already does.
    kPercentSentence,
  };

  // Which of the run's messages close the window before they show.
  enum class ClosesFor {
    // Errors and notices, the run's last word. Warnings (a damaged race)
    // and questions come mid-run and leave the window up.
    kLastWord,
    // Warnings and notices, which the run gives only once done. Errors come
    // as the run meets them, with the window still up.
    kClosingMessages,
    // Every message, so that no box stands behind or over the window.
    kAnyMessage,
  };

  // Who keeps the menu and the frame disabled.
  enum class MenuLock {
    // The caller's own MainWindow::LongRun, which may outlast the window.
    kCaller,
    // From construction until the window closes (or the run says its
    // last word before it ever showed).
    kWholeRun,
    // Only while the window shows: errors met before the first progress
    // come with the menu enabled.
    kWhileShown,
  };

  struct Options {
    Opening opening = Opening::kWithFirstProgress;
    TextLine textLine = TextLine::kRunText;
    ClosesFor closesFor = ClosesFor::kLastWord;
    MenuLock menuLock = MenuLock::kCaller;
  };

  RunProgress(MainWindow& window, QString caption, Options options);
  ~RunProgress() override;
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  void setText(std::string_view text) override;
  void setPercent(int percent) override;
  // The dialog's Cancel while the window shows; false before and after.
  bool cancelled() const override;

  void error(std::string_view text) override;
  void warning(std::string_view text) override;
  bool query(std::string_view text) override;
  void notice(std::string_view caption, std::string_view text) override;

  // Closes the window and gives the menu back (a caller-held lock stays).
  // A window that has shown never shows again and later progress is
  // dropped; one that has not shown yet still opens with the first
  // progress, as after a question the run asks before it starts.
  void close();

 private:
  enum class State { kWaiting, kShown, kClosed };

  void show();
  void closeFor(bool closes);

  MainWindow& window_;
  ProgressDialog& dialog_;
  QString caption_;
  Options options_;
  std::optional<MainWindow::LongRun> lock_;
  State state_ = State::kWaiting;
  int shownPercent_ = -1;
};

// The rules of each run that shows this window.
//
// A split or combine holds the menu from the start. Its window opens with
// the first news of progress, so that a run that cannot open its files
// shows its error without a window flashing up first; an error or a notice
// is its last word and closes the window and gives the menu back before it
// shows, while a damaged race's warning leaves the run as it is.
inline constexpr RunProgress::Options kSplitOrCombineProgress{
    .opening = RunProgress::Opening::kWithFirstProgress,
    .textLine = RunProgress::TextLine::kRunText,
    .closesFor = RunProgress::ClosesFor::kLastWord,
    .menuLock = RunProgress::MenuLock::kWholeRun};
// A dataset report shows its window before the dataset is opened and its
// text line carries the percentage; the caller keeps the menu until the
// report's viewer has closed.
inline constexpr RunProgress::Options kDatasetReportProgress{
    .opening = RunProgress::Opening::kAtOnce,
    .textLine = RunProgress::TextLine::kPercentComplete,
    .closesFor = RunProgress::ClosesFor::kLastWord,
    .menuLock = RunProgress::MenuLock::kCaller};
// Profit/loss opens the SIM, the dataset and the report file before its
// first percent, and their error boxes come with the menu enabled and no
// window. It names itself once, which the caption already says, so the
// text line carries the percentage. Its messages go straight to the main
// window; the progress window closes when the run returns.
inline constexpr RunProgress::Options kProfitLossProgress{.opening = RunProgress::Opening::kWithFirstProgress,
                                                          .textLine = RunProgress::TextLine::kPercentSentence,
                                                          .menuLock = RunProgress::MenuLock::kWhileShown};
// A preparation's window opens when it starts reading the dataset (after
// the starting weights are saved) and closes before any message, so that
// no box stands behind or over it; the caller holds the menu.
inline constexpr RunProgress::Options kPrepProgress{.opening = RunProgress::Opening::kWithFirstProgress,
                                                    .textLine = RunProgress::TextLine::kRunText,
                                                    .closesFor = RunProgress::ClosesFor::kAnyMessage,
                                                    .menuLock = RunProgress::MenuLock::kCaller};
// A create or append reports progress only once the dataset file is open,
// so the window and the disabled menu begin there. A write error shows
// while the window is still up; the warnings and the notice come when the
// run is done, after it has closed.
inline constexpr RunProgress::Options kCreateProgress{.opening = RunProgress::Opening::kWithFirstProgress,
                                                      .textLine = RunProgress::TextLine::kRunText,
                                                      .closesFor = RunProgress::ClosesFor::kClosingMessages,
                                                      .menuLock = RunProgress::MenuLock::kWhileShown};

}  // namespace stridewell::gui
