// Option parsing and the top-level dispatch: which words reach which
// command, and the exit status and stream of every usage error.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/card_command.h"
#include "cli/command.h"
#include "cli/results_command.h"
#include "cli_test_support.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kSpecs[] = {
    {'p', "past", "", "flag"},
    {'r', "race", "N", "value"},
    {'\0', "long-only", "", "flag without short form"},
};

TEST(ParseOptionsTest, AcceptedForms) {
  struct Case {
    std::vector<std::string> args;
    bool past;
    std::string race;  // "" when not given
    std::vector<std::string> operands;
  };
  const Case cases[] = {
      {{"a.tcf"}, false, "", {"a.tcf"}},
      {{"-p", "a.tcf", "b.tcf"}, true, "", {"a.tcf", "b.tcf"}},
      {{"a.tcf", "--past"}, true, "", {"a.tcf"}},  // options after operands
      {{"--race", "3", "a.tcf"}, false, "3", {"a.tcf"}},
      {{"--race=3", "a.tcf"}, false, "3", {"a.tcf"}},
      {{"-r", "3", "a.tcf"}, false, "3", {"a.tcf"}},
      {{"-r3", "a.tcf"}, false, "3", {"a.tcf"}},
      {{"-r", "2", "-r", "7"}, false, "7", {}},               // the last one counts
      {{"--", "-p", "--race"}, false, "", {"-p", "--race"}},  // "--" ends the options
      {{"-"}, false, "", {"-"}},                              // standard input
      {{"--long-only"}, false, "", {}},
  };
  for (const Case& c : cases) {
    ParsedOptions parsed;
    std::string error;
    ASSERT_TRUE(parseOptions(kSpecs, c.args, parsed, error))
        << ::testing::PrintToString(c.args) << ": " << error;
    EXPECT_EQ(parsed.has("past"), c.past) << ::testing::PrintToString(c.args);
    EXPECT_EQ(parsed.value("race"), c.race) << ::testing::PrintToString(c.args);
    EXPECT_EQ(parsed.operands(), c.operands) << ::testing::PrintToString(c.args);
  }
}

TEST(ParseOptionsTest, Rejected) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-x"}, "unknown option '-x'"},
      {{"-px"}, "unknown option '-px'"},  // flags are not bundled
      {{"a.tcf", "--race"}, "option '--race' needs a value (N)"},
      {{"-r"}, "option '--race' needs a value (N)"},
      {{"--past=yes"}, "option '--past' takes no value"},
  };
  for (const Case& c : cases) {
    ParsedOptions parsed;
    std::string error;
    EXPECT_FALSE(parseOptions(kSpecs, c.args, parsed, error)) << ::testing::PrintToString(c.args);
    EXPECT_EQ(error, c.error) << ::testing::PrintToString(c.args);
  }
}

TEST(ParseOptionsTest, OlderSpellingsCountAsTheOptionAndAreNamedAsTyped) {
  constexpr OptionSpec kAliased[] = {
      withAlias({'j', "threads", "N", "value"}, 't'),
      withAlias({'\0', "comma", "FILE", "value"}, '\0', "csv"),
      {'t', "tidy", "", "a letter of its own beats another option's older one"},
  };
  struct Case {
    std::vector<std::string> args;
    std::string threads, comma;  // "" when not given
    bool tidy;
    std::string error;  // when the line is refused
  };
  const Case cases[] = {
      {{"-j", "2"}, "2", "", false, ""},
      {{"--csv", "a.csv"}, "", "a.csv", false, ""},
      {{"--csv=a.csv", "--comma", "b.csv"}, "", "b.csv", false, ""},  // one option: the last counts
      {{"-t"}, "", "", true, ""},
      {{"--csv"}, "", "", false, "option '--csv' needs a value (FILE)"},
      {{"--comma"}, "", "", false, "option '--comma' needs a value (FILE)"},
      {{"--threads"}, "", "", false, "option '--threads' needs a value (N)"},
  };
  for (const Case& c : cases) {
    const std::string shown = ::testing::PrintToString(c.args);
    ParsedOptions parsed;
    std::string error;
    const bool ok = parseOptions(kAliased, c.args, parsed, error);
    EXPECT_EQ(ok, c.error.empty()) << shown;
    EXPECT_EQ(error, c.error) << shown;
    if (!ok) continue;
    EXPECT_EQ(parsed.value("threads"), c.threads) << shown;
    EXPECT_EQ(parsed.value("comma"), c.comma) << shown;
    EXPECT_FALSE(parsed.has("csv")) << shown;
    EXPECT_EQ(parsed.has("tidy"), c.tidy) << shown;
  }
}

TEST(ParseRaceNumberTest, WholeNumbersFromOneTo255) {
  struct Case {
    const char* text;
    bool ok;
    int number;
  };
  const Case cases[] = {
      {"1", true, 1},  {"12", true, 12},          {"255", true, 255}, {"007", true, 7},
      {"0", false, 0}, {"256", false, 0},         {"-3", false, 0},   {"3x", false, 0},
      {"", false, 0},  {"99999999999", false, 0}, {" 3", false, 0},
  };
  for (const Case& c : cases) {
    int number = 0;
    EXPECT_EQ(parseRaceNumber(c.text, number), c.ok) << "'" << c.text << "'";
    if (c.ok) {
      EXPECT_EQ(number, c.number) << "'" << c.text << "'";
    }
  }
}

class CommandLineTest : public ::testing::Test {
 protected:
  test::CommandRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runCommandLine(commands_, args, out, err);
    return {status, out.str(), err.str()};
  }

  CardCommand card_;
  ResultsCommand results_;
  const Command* commands_[2] = {&card_, &results_};
};

TEST_F(CommandLineTest, VersionAndHelpGoToStandardOutput) {
  test::CommandRun r = run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "stridewell 5.0\n");
  EXPECT_EQ(r.err, "");

  for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
    r = run(args);
    EXPECT_EQ(r.status, 0) << args[0];
    EXPECT_EQ(r.err, "") << args[0];
    // Every command of the table is listed.
    EXPECT_NE(r.out.find("  card "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  results "), std::string::npos) << r.out;
  }
}

TEST_F(CommandLineTest, HelpOfOneCommand) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"help", "card"}, {"card", "--help"}, {"card", "-h"}}) {
    const test::CommandRun r = run(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Usage: stridewell card [options] FILE...\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("--past"), std::string::npos);
    EXPECT_NE(r.out.find("--race N"), std::string::npos);
  }
  const test::CommandRun r = run({"help", "results"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: stridewell results [options] FILE...\n", 0), 0u) << r.out;
}

TEST_F(CommandLineTest, HelpOnHelpAndOnTheCriteriaWords) {
  struct Case {
    std::vector<std::string> args;
    std::string starts;  // what standard output starts with
    std::string has;     // and holds further on
  };
  const Case cases[] = {
      {{"help", "help"},
       "Usage: stridewell help [COMMAND | criteria | help]\n",
       "'stridewell help criteria'"},
      {{"help", "--help"}, "Usage: stridewell help [COMMAND | criteria | help]\n", "'stridewell help help'"},
      {{"help", "-h"}, "Usage: stridewell help [COMMAND | criteria | help]\n", "'stridewell help help'"},
      {{"help", "criteria"},
       "Race criteria:",
       "\n  maiden-special-weight   \"Maiden Special Weight only\", \"MdnSpWgt\"\n"},
      // The command list points to both.
      {{"help"}, "Usage: stridewell COMMAND", "'stridewell help criteria'"},
      {{"help"},
       "Usage: stridewell COMMAND",
       "\n  --class      all, maiden-claiming, maiden-special-weight, claiming, allowance, stakes, custom "
       "(pl, evaluate)\n"},
  };
  for (const Case& c : cases) {
    const std::string shown = ::testing::PrintToString(c.args);
    const test::CommandRun r = run(c.args);
    EXPECT_EQ(r.status, 0) << shown;
    EXPECT_EQ(r.err, "") << shown;
    EXPECT_EQ(r.out.rfind(c.starts, 0), 0u) << shown << "\n" << r.out;
    EXPECT_NE(r.out.find(c.has), std::string::npos) << shown << "\n" << r.out;
  }
}

TEST_F(CommandLineTest, UsageErrorsExitWithTwoAndUsageOnStandardError) {
  struct Case {
    std::vector<std::string> args;
    std::string message;  // the first line of standard error
    std::string usage;    // what the usage that follows starts with
  };
  const Case cases[] = {
      {{}, "Usage: stridewell COMMAND [options] [ARGUMENTS]", ""},
      {{"frob"}, "stridewell: error: unknown command 'frob'", "Usage: stridewell COMMAND"},
      {{"--frob"}, "stridewell: error: unknown option '--frob'", "Usage: stridewell COMMAND"},
      {{"help", "frob"}, "stridewell: error: unknown command 'frob'", "Usage: stridewell COMMAND"},
      {{"help", "help", "help"},
       "stridewell: error: help takes at most one command name",
       "Usage: stridewell COMMAND"},
      {{"help", "fr\x1b[2Job"}, "stridewell: error: unknown command 'fr?[2Job'", "Usage: stridewell COMMAND"},
      {{"card", "--bogus", "a.tcf"},
       "stridewell card: error: unknown option '--bogus'",
       "Usage: stridewell card"},
      {{"card", "-x"}, "stridewell card: error: unknown option '-x'", "Usage: stridewell card"},
      {{"card"}, "stridewell card: error: no card file given", "Usage: stridewell card"},
      {{"card", "--race"},
       "stridewell card: error: option '--race' needs a value (N)",
       "Usage: stridewell card"},
      {{"card", "--race", "x", "a.tcf"},
       "stridewell card: error: --race needs a race number from 1 to 255, not 'x'",
       ""},
      {{"results"}, "stridewell results: error: no results file given", "Usage: stridewell results"},
      {{"results", "--past", "a.xrd"},
       "stridewell results: error: unknown option '--past'",
       "Usage: stridewell results"},
  };
  for (const Case& c : cases) {
    const test::CommandRun r = run(c.args);
    const std::string shown = ::testing::PrintToString(c.args);
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message) << shown;
    if (!c.usage.empty()) {
      EXPECT_NE(r.err.find("\n" + c.usage), std::string::npos) << shown << "\n" << r.err;
    }
  }
}

}  // namespace
}  // namespace stridewell::cli
