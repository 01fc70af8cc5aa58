#include "cli/terminal_interaction.h"

#include <unistd.h>

#include <iostream>

#include "base/text_case.h"
#include "base/text_trim.h"
#include "cli/terminal_progress.h"

namespace stridewell::cli {
namespace {

// How many unclear answers are asked again before the question counts as
// answered No.
constexpr int kMaxAttempts = 5;

}  // namespace

bool readQueryAnswer(const ParsedOptions& options, QueryAnswer& answer, std::string& error) {
  const bool yes = options.has(kYesOption.longName);
  const bool no = options.has(kNoOption.longName);
  if (yes && no) {
    error = "--yes and --no cannot be given together";
    return false;
  }
  answer = yes ? QueryAnswer::kYes : no ? QueryAnswer::kNo : QueryAnswer::kAsk;
  return true;
}

std::unique_ptr<TerminalInteraction> askingInteraction(const ParsedOptions& options, std::string_view command,
                                                       std::ostream& out, std::ostream& err) {
  QueryAnswer answer = QueryAnswer::kAsk;
  std::string error;
  if (!readQueryAnswer(options, answer, error)) {
    err << errorPrefix(command) << error << '\n';
    return nullptr;
  }
  const bool terminal = &out == &std::cout && ::isatty(STDIN_FILENO) == 1;
  return std::make_unique<TerminalInteraction>(std::cin, out, err, terminal, answer, command);
}

TerminalInteraction::TerminalInteraction(QueryAnswer answer, std::string_view command)
    : TerminalInteraction(std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, answer, command) {}

TerminalInteraction::TerminalInteraction(std::istream& in, std::ostream& out, std::ostream& err,
                                         bool inputIsTerminal, QueryAnswer answer, std::string_view command)
    : in_(in), out_(out), err_(err), inputIsTerminal_(inputIsTerminal), answer_(answer), command_(command) {}

void TerminalInteraction::write(std::ostream& stream, std::string_view lead, std::string_view text) {
  if (progress_ != nullptr) progress_->clearLine();
  stream << lead << text;
  if (text.empty() || text.back() != '\n') stream << '\n';
  stream.flush();
}

void TerminalInteraction::error(std::string_view text) {
  write(err_, errorPrefix(command_), text);
}

void TerminalInteraction::warning(std::string_view text) {
  write(err_, warningPrefix(command_), text);
}

void TerminalInteraction::notice(std::string_view caption, std::string_view text) {
  write(out_, caption.empty() ? std::string() : std::string(caption) + ": ", text);
}

bool TerminalInteraction::query(std::string_view text) {
  if (answer_ != QueryAnswer::kAsk) {
    const bool yes = answer_ == QueryAnswer::kYes;
    write(err_, std::string(kQueryCaption) + ": ", text);
    err_ << (yes ? "Answered Yes (--yes).\n" : "Answered No (--no).\n") << std::flush;
    return yes;
  }
  if (!inputIsTerminal_) {
    write(err_, std::string(kQueryCaption) + ": ", text);
    err_ << "Answered No: there is no terminal to ask (give --yes or --no to answer).\n" << std::flush;
    return false;
  }
  if (progress_ != nullptr) progress_->clearLine();
  err_ << kQueryCaption << ": " << text << " [y/n] " << std::flush;
  for (int attempt = 1;; ++attempt) {
    std::string line;
    if (!std::getline(in_, line)) {
      err_ << "\nAnswered No: no answer was given.\n" << std::flush;
      in_.clear();  // a later question may still be answered
      return false;
    }
    // A CR is dropped only at the end: what is left of a CR LF line end.
    const std::string_view reply = trimmedBack(trimmedFront(line, kSpaceTab), " \t\r");
    if (equalsIgnoreCase(reply, "y") || equalsIgnoreCase(reply, "yes")) return true;
    if (equalsIgnoreCase(reply, "n") || equalsIgnoreCase(reply, "no")) return false;
    if (attempt == kMaxAttempts) {
      err_ << "Answered No.\n" << std::flush;
      return false;
    }
    err_ << "Please answer y or n: " << std::flush;
  }
}

}  // namespace stridewell::cli
