// The progress line and Ctrl-C as Cancel: what the line shows and how it is
// redrawn, that nothing is drawn when standard error is not a terminal, and
// that SIGINT cancels while the sink lives and is given back afterwards.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <string>

namespace stridewell::cli {
namespace {

TEST(TerminalProgress, TheLineShowsTextBarAndPercent) {
  struct Case {
    const char* name;
    std::string text;
    int percent;
    int width;
    std::string line;
  };
  const std::string empty(20, '.');
  const Case kCases[] = {
      {"start", "SAX0315.TCF", 0, 80, "SAX0315.TCF [" + empty + "]   0%"},
      {"half", "SAX0315.TCF", 50, 80, "SAX0315.TCF [##########..........]  50%"},
      {"one cell is 5%", "X", 14, 80, "X [##..................]  14%"},
      {"done", "SAX0315.TCF", 100, 80, "SAX0315.TCF [####################] 100%"},
      {"below 0", "X", -5, 80, "X [" + empty + "]   0%"},
      {"above 100", "X", 250, 80, "X [####################] 100%"},
      {"no text", "", 10, 80, " [##..................]  10%"},
      // 40 columns leave 39 - 28 = 11 for the text.
      {"cut to fit", "A_VERY_LONG_CARD_NAME.TCF", 0, 40, "A_VERY_L... [" + empty + "]   0%"},
      {"just fits", "ELEVEN_CHAR", 0, 40, "ELEVEN_CHAR [" + empty + "]   0%"},
      {"control characters", "a\nb\x1b[2Jc\td", 0, 80, "a?b?[2Jc?d [" + empty + "]   0%"},
      {"too narrow for a text", "X", 30, 30, "[######..............]  30%"},
      {"too narrow for the bar", "X", 30, 5, "30%"},
  };
  for (const Case& c : kCases) {
    const std::string line = TerminalProgress::barLine(c.text, c.percent, c.width);
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_LE(static_cast<int>(line.size()), std::max(c.width, 20) - 1) << c.name;
  }
}

TEST(TerminalProgress, ALongNameIsNeverCutInsideACharacter) {
  // Two-byte characters: the cut must fall between them.
  std::string text;
  for (int i = 0; i < 30; ++i) text += "\xc3\xa9";
  const std::string line = TerminalProgress::barLine(text, 0, 40);
  const size_t dots = line.find("...");
  ASSERT_NE(dots, std::string::npos) << line;
  EXPECT_EQ(dots, 8u * 2) << "eight characters of two bytes each";
  EXPECT_EQ(line.substr(0, dots), text.substr(0, dots));
}

TEST(TerminalProgress, RedrawsOnlyOnChangeAndClearsItsLineAtTheEnd) {
  std::ostringstream err;
  {
    TerminalProgress progress(err, true, 60, false);
    progress.setText("First card file.TCF");
    progress.setPercent(0);  // no change
    progress.setPercent(3);  // same bar, other number
    progress.setPercent(3);
    progress.setText("B.TCF");  // shorter: the rest of the old line is blanked
    const std::string first = TerminalProgress::barLine("First card file.TCF", 0, 60);
    const std::string second = TerminalProgress::barLine("First card file.TCF", 3, 60);
    const std::string third = TerminalProgress::barLine("B.TCF", 3, 60);
    const std::string blanks(first.size() - third.size(), ' ');
    EXPECT_EQ(err.str(), "\r" + first + "\r" + second + "\r" + third + blanks);
    err.str("");
  }
  EXPECT_EQ(err.str(), "\r" + std::string(TerminalProgress::barLine("B.TCF", 3, 60).size(), ' ') + "\r");
}

TEST(TerminalProgress, DrawsNothingWhenStandardErrorIsNoTerminal) {
  std::ostringstream err;
  {
    TerminalProgress progress(err, false, 80, false);
    progress.setText("SAX0315.TCF");
    progress.setPercent(50);
    progress.redraw();
    progress.clearLine();
  }
  EXPECT_EQ(err.str(), "");
}

std::atomic<int> outerHandlerCalls{0};
extern "C" void countInterrupt(int) {
  outerHandlerCalls.fetch_add(1);
}

TEST(TerminalProgress, CtrlCCancelsWhileItLivesAndIsGivenBackAfterwards) {
  struct sigaction counting {};
  counting.sa_handler = countInterrupt;
  sigemptyset(&counting.sa_mask);
  struct sigaction original {};
  ASSERT_EQ(::sigaction(SIGINT, &counting, &original), 0);

  std::ostringstream err;
  {
    TerminalProgress progress(err, false, 80, true);
    EXPECT_FALSE(progress.cancelled());
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_TRUE(progress.cancelled());
    EXPECT_EQ(outerHandlerCalls.load(), 0) << "the run's handler, not the outer one, took it";
  }
  {
    // A new run starts uncancelled, and cancel() works without a signal.
    TerminalProgress progress(err, false, 80, true);
    EXPECT_FALSE(progress.cancelled());
    progress.cancel();
    EXPECT_TRUE(progress.cancelled());
  }
  {
    // Without catching, Ctrl-C is not this sink's business.
    TerminalProgress progress(err, false, 80, false);
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_FALSE(progress.cancelled());
  }
  EXPECT_EQ(outerHandlerCalls.load(), 1);
  ASSERT_EQ(::raise(SIGINT), 0);
  EXPECT_EQ(outerHandlerCalls.load(), 2) << "the outer handler is back";
  ::sigaction(SIGINT, &original, nullptr);
}

TEST(TerminalProgress, ASecondCtrlCEndsTheProgram) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(SIGINT, &standard, nullptr);
    std::ostringstream err;
    TerminalProgress progress(err, false, 80, true);
    ::raise(SIGINT);
    if (!progress.cancelled()) ::_exit(3);
    ::raise(SIGINT);  // a step that never polls: the user presses again
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
}  // namespace stridewell::cli
