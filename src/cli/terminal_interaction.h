// The user interaction of the command line: errors and warnings go to
// standard error in the style of every message of the program
// ("stridewell COMMAND: error: ...", "stridewell COMMAND: warning: ..."),
// notices to standard output, and questions are asked on the terminal or
// answered by --yes / --no. Without a terminal to ask and without either
// option a question is answered No, and the output says so, so that a
// script never hangs on a prompt nor says Yes by accident. Calls come from
// one thread at a time (the one running the command).
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "base/interaction.h"
#include "cli/command.h"

namespace stridewell::cli {

class TerminalProgress;

// How questions are answered.
enum class QueryAnswer { kAsk, kYes, kNo };

// The options that choose it; add them to a command's option table.
inline constexpr OptionSpec kYesOption{'\0', "yes", "", "answer Yes to every question"};
inline constexpr OptionSpec kNoOption{'\0', "no", "", "answer No to every question"};

// The answer chosen by --yes / --no (kAsk when neither). False, with a
// message in `error`, when both are given.
bool readQueryAnswer(const ParsedOptions& options, QueryAnswer& answer, std::string& error);

class TerminalInteraction final : public UserInteraction {
 public:
  // The process's standard streams; questions are asked only when standard
  // input is a terminal. `command` names the command in every error and
  // warning ("" for the program as a whole).
  explicit TerminalInteraction(QueryAnswer answer, std::string_view command = {});
  // For tests: `inputIsTerminal` says whether `in` may be asked.
  TerminalInteraction(std::istream& in, std::ostream& out, std::ostream& err, bool inputIsTerminal,
                      QueryAnswer answer, std::string_view command = {});

  void error(std::string_view text) override;
  void warning(std::string_view text) override;
  bool query(std::string_view text) override;
  void notice(std::string_view caption, std::string_view text) override;

  // While `progress` draws its bar, messages first take it off the line.
  // Null detaches it; the progress sink must outlive the attachment.
  void attachProgress(TerminalProgress* progress) { progress_ = progress; }

 private:
  void write(std::ostream& stream, std::string_view lead, std::string_view text);

  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  bool inputIsTerminal_;
  QueryAnswer answer_;
  std::string command_;
  TerminalProgress* progress_ = nullptr;
};

// The interaction of a command that asks questions: --yes or --no answer
// them, else they are asked when the command writes to the process's own
// output and standard input is a terminal. Null, after "stridewell
// COMMAND: error: ..." on `err`, when both options are given.
std::unique_ptr<TerminalInteraction> askingInteraction(const ParsedOptions& options, std::string_view command,
                                                       std::ostream& out, std::ostream& err);

}  // namespace stridewell::cli
