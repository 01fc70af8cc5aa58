// How the core talks to the user: the four kinds of message box and the
// progress of a long run with its Cancel. The command line answers on the
// terminal, the desktop program with dialogs, the tests with a recording
// fake; the core never knows which.
#pragma once

#include <string_view>

namespace stridewell {

inline constexpr std::string_view kErrorCaption = "ERROR";
inline constexpr std::string_view kWarningCaption = "Warning";
inline constexpr std::string_view kQueryCaption = "Query";

class UserInteraction {
 public:
  virtual ~UserInteraction() = default;

  // An error the user must acknowledge (caption "ERROR").
  virtual void error(std::string_view text) = 0;
  // A warning (caption "Warning").
  virtual void warning(std::string_view text) = 0;
  // A yes/no question (caption "Query"); true for Yes.
  virtual bool query(std::string_view text) = 0;
  // A message with its own caption, such as a completion notice.
  virtual void notice(std::string_view caption, std::string_view text) = 0;
};

// Progress of one long run. Calls come from the thread that runs the work;
// cancelled() may turn true at any time (a Cancel button, Ctrl-C) and the
// run checks it between steps.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // What is being worked on, e.g. the file being read.
  virtual void setText(std::string_view text) = 0;
  // 0 to 100.
  virtual void setPercent(int percent) = 0;
  virtual bool cancelled() const = 0;
};

// A sink for runs nobody watches: no display, never cancelled.
class NoProgress final : public ProgressSink {
 public:
  void setText(std::string_view) override {}
  void setPercent(int) override {}
  bool cancelled() const override { return false; }
};

}  // namespace stridewell
