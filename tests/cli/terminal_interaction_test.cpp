// The command line's messages and questions: which stream gets what, and
// how a question is answered with and without a terminal and with --yes or
// --no. A script must never hang on a question nor say Yes by accident.
#include "cli/terminal_interaction.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/terminal_progress.h"

namespace stridewell::cli {
namespace {

TEST(TerminalInteraction, MessagesGoToTheirStreamsInTheProgramsStyle) {
  // Errors and warnings read as the command's own messages do, whether the
  // interaction knows the command or speaks for the program as a whole.
  struct Case {
    const char* command;
    const char* errors;
  };
  const Case kCases[] = {
      {"handicap",
       "stridewell handicap: error: Cannot open input file 'X.TCF'.\n"
       "stridewell handicap: warning: File X.TCF is NOT VALID!\n"
       "stridewell handicap: error: already ends in a line end\n"},
      {"",
       "stridewell: error: Cannot open input file 'X.TCF'.\n"
       "stridewell: warning: File X.TCF is NOT VALID!\n"
       "stridewell: error: already ends in a line end\n"},
  };
  for (const Case& c : kCases) {
    std::istringstream in;
    std::ostringstream out, err;
    TerminalInteraction ui(in, out, err, false, QueryAnswer::kAsk, c.command);
    ui.error("Cannot open input file 'X.TCF'.");
    ui.warning("File X.TCF is NOT VALID!");
    ui.notice("Stridewell 5", "Prep complete");
    ui.notice("", "no caption");
    ui.error("already ends in a line end\n");
    EXPECT_EQ(err.str(), c.errors) << "'" << c.command << "'";
    EXPECT_EQ(out.str(), "Stridewell 5: Prep complete\nno caption\n") << "'" << c.command << "'";
  }
}

TEST(TerminalInteraction, TheAskingInteractionNamesItsCommand) {
  ParsedOptions options;
  std::ostringstream out, err;
  const std::unique_ptr<TerminalInteraction> ui = askingInteraction(options, "dataset", out, err);
  ASSERT_NE(ui, nullptr);
  ui->warning("2 races were stored already");
  EXPECT_EQ(err.str(), "stridewell dataset: warning: 2 races were stored already\n");

  options.set("yes", "");
  options.set("no", "");
  err.str("");
  EXPECT_EQ(askingInteraction(options, "dataset", out, err), nullptr);
  EXPECT_EQ(err.str(), "stridewell dataset: error: --yes and --no cannot be given together\n");
}

TEST(TerminalInteraction, QuestionsAreAnsweredByTheOptionsOrTheTerminal) {
  struct Case {
    const char* name;
    QueryAnswer mode;
    bool terminal;
    std::string input;
    bool answer;
    std::string errHas;     // a piece of what the user is told
    std::string inputLeft;  // what the question must not have read
  };
  const Case kCases[] = {
      {"--yes", QueryAnswer::kYes, false, "n\n", true, "Answered Yes (--yes)", "n\n"},
      {"--yes on a terminal", QueryAnswer::kYes, true, "n\n", true, "Answered Yes (--yes)", "n\n"},
      {"--no", QueryAnswer::kNo, true, "y\n", false, "Answered No (--no)", "y\n"},
      // No terminal and no option: No, without reading the input, which may
      // be a card file piped in.
      {"no terminal", QueryAnswer::kAsk, false, "y\n", false, "no terminal to ask", "y\n"},
      {"y", QueryAnswer::kAsk, true, "y\nrest\n", true, "[y/n]", "rest\n"},
      {"YES", QueryAnswer::kAsk, true, "YES\n", true, "[y/n]", ""},
      {"blanks and CR", QueryAnswer::kAsk, true, "  y \r\n", true, "[y/n]", ""},
      {"n", QueryAnswer::kAsk, true, "n\n", false, "[y/n]", ""},
      {"No", QueryAnswer::kAsk, true, "No\n", false, "[y/n]", ""},
      {"asked again", QueryAnswer::kAsk, true, "maybe\n\nyes\n", true, "Please answer y or n", ""},
      {"end of input", QueryAnswer::kAsk, true, "", false, "no answer was given", ""},
      {"end of input after a bad answer", QueryAnswer::kAsk, true, "what", false, "no answer was given", ""},
      {"gives up after five unclear answers", QueryAnswer::kAsk, true, "a\nb\nc\nd\ne\ny\n", false,
       "Answered No", "y\n"},
  };
  for (const Case& c : kCases) {
    std::istringstream in(c.input);
    std::ostringstream out, err;
    TerminalInteraction ui(in, out, err, c.terminal, c.mode);
    EXPECT_EQ(ui.query("Delete SIM 'Sprint'?"), c.answer) << c.name;
    EXPECT_NE(err.str().find("Query: Delete SIM 'Sprint'?"), std::string::npos)
        << c.name << ": " << err.str();
    EXPECT_NE(err.str().find(c.errHas), std::string::npos) << c.name << ": " << err.str();
    EXPECT_EQ(out.str(), "") << c.name << ": questions stay off the report stream";
    std::string left;
    std::getline(in, left, '\0');
    EXPECT_EQ(left, c.inputLeft) << c.name;
  }
}

TEST(TerminalInteraction, TheOptionsChooseTheAnswer) {
  struct Case {
    std::vector<const char*> given;
    bool valid;
    QueryAnswer answer;
  };
  const Case kCases[] = {
      {{}, true, QueryAnswer::kAsk},
      {{"yes"}, true, QueryAnswer::kYes},
      {{"no"}, true, QueryAnswer::kNo},
      {{"yes", "no"}, false, QueryAnswer::kAsk},
  };
  for (const Case& c : kCases) {
    ParsedOptions options;
    for (const char* name : c.given) options.set(name, "");
    QueryAnswer answer = QueryAnswer::kAsk;
    std::string error;
    EXPECT_EQ(readQueryAnswer(options, answer, error), c.valid) << c.given.size();
    if (c.valid) {
      EXPECT_EQ(answer, c.answer) << c.given.size();
    } else {
      EXPECT_NE(error.find("--yes"), std::string::npos) << error;
    }
  }
}

TEST(TerminalInteraction, AMessageFirstTakesTheProgressBarOffItsLine) {
  std::istringstream in;
  std::ostringstream out, err;
  TerminalProgress progress(err, true, 60, false);
  TerminalInteraction ui(in, out, err, false, QueryAnswer::kAsk);
  ui.attachProgress(&progress);
  progress.setText("SAX0315.TCF");
  progress.setPercent(40);
  const std::string bar = TerminalProgress::barLine("SAX0315.TCF", 40, 60);
  err.str("");
  ui.warning("File SAX0315.TCF is NOT VALID!");
  EXPECT_EQ(err.str(),
            "\r" + std::string(bar.size(), ' ') + "\rstridewell: warning: File SAX0315.TCF is NOT VALID!\n");
  // The next update draws the bar again on a line of its own.
  err.str("");
  progress.setPercent(60);
  EXPECT_EQ(err.str(), "\r" + TerminalProgress::barLine("SAX0315.TCF", 60, 60));
}

}  // namespace
}  // namespace stridewell::cli
