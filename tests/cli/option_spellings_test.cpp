// One spelling per meaning across the commands of `stridewell`: an option
// that several commands take has the same letter, value name and wording in
// each, a letter means one option everywhere, and the older spellings that
// scripts may still use are read as the option they stand for.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/command_table.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

const Command& commandNamed(std::string_view name) {
  for (const Command* command : stridewellCommands()) {
    if (command->name() == name) return *command;
  }
  ADD_FAILURE() << "no command " << name;
  return *stridewellCommands().front();
}

ParsedOptions parsed(const Command& command, const std::vector<std::string>& args, bool& ok,
                     std::string& error) {
  ParsedOptions options;
  const std::vector<OptionSpec> specs = command.allOptions();
  ok = parseOptions(specs, args, options, error);
  return options;
}

TEST(OptionSpellingsTest, OldAndNewSpellingsReachTheSameOption) {
  struct Case {
    const char* command;
    std::vector<std::string> args;
    const char* option;  // the long name the value is stored under
    const char* value;
  };
  const Case kCases[] = {
      {"train", {"-j", "3"}, "threads", "3"},
      {"train", {"--threads=3"}, "threads", "3"},
      {"train", {"-t", "3"}, "threads", "3"},  // the older letter
      {"train", {"-t3"}, "threads", "3"},
      {"train", {"--passes", "7"}, "passes", "7"},
      {"train", {"-p", "7"}, "passes", "7"},
      {"pl", {"-j", "2"}, "threads", "2"},
      {"pl", {"--comma", "t.csv"}, "comma", "t.csv"},
      {"pl", {"--csv", "t.csv"}, "comma", "t.csv"},
      {"pl", {"--csv=t.csv"}, "comma", "t.csv"},
      {"pl", {"-s", "Alpha"}, "sim", "Alpha"},
      {"dataset", {"--comma", "t.csv"}, "comma", "t.csv"},
      {"handicap", {"-s", "Alpha"}, "sim", "Alpha"},
      {"simmap", {"-s", "Alpha"}, "sim", "Alpha"},
      {"simmap", {"--rule", "4"}, "rule", "4"},
      {"simmap", {"-r", "4"}, "rule", "4"},
      {"scratch", {"--set", "3:1"}, "set", "3:1"},
      {"scratch", {"-s", "3:1"}, "set", "3:1"},
      {"card", {"-r", "5"}, "race", "5"},
      {"results", {"-r", "5"}, "race", "5"},
      {"card", {"-p"}, "past", ""},
  };
  for (const Case& c : kCases) {
    const std::string shown = std::string(c.command) + " " + ::testing::PrintToString(c.args);
    bool ok = false;
    std::string error;
    const ParsedOptions options = parsed(commandNamed(c.command), c.args, ok, error);
    ASSERT_TRUE(ok) << shown << ": " << error;
    EXPECT_TRUE(options.has(c.option)) << shown;
    EXPECT_EQ(options.value(c.option), c.value) << shown;
  }
}

// Every older spelling of every command, whatever it is: given alone it is
// stored under its option's own name.
TEST(OptionSpellingsTest, EveryAliasOfEveryCommandParsesAsItsOption) {
  int aliases = 0;
  for (const Command* command : stridewellCommands()) {
    for (const OptionSpec& spec : command->allOptions()) {
      std::vector<std::vector<std::string>> spellings;
      if (spec.shortAlias != '\0') spellings.push_back({std::string{'-', spec.shortAlias}});
      if (!spec.longAlias.empty()) spellings.push_back({"--" + std::string(spec.longAlias)});
      for (std::vector<std::string>& args : spellings) {
        ++aliases;
        if (!spec.valueName.empty()) args.push_back("v");
        const std::string shown = std::string(command->name()) + " " + args[0];
        bool ok = false;
        std::string error;
        const ParsedOptions options = parsed(*command, args, ok, error);
        ASSERT_TRUE(ok) << shown << ": " << error;
        EXPECT_TRUE(options.has(spec.longName)) << shown;
        EXPECT_EQ(options.value(spec.longName), spec.valueName.empty() ? "" : "v") << shown;
      }
    }
  }
  EXPECT_GE(aliases, 5);
}

TEST(OptionSpellingsTest, AnOptionLooksTheSameInEveryCommand) {
  std::map<std::string, std::pair<std::string, OptionSpec>> byLong;  // first command to show it
  std::map<char, std::pair<std::string, std::string>> byLetter;      // letter -> command, long name
  for (const Command* command : stridewellCommands()) {
    std::set<std::string> spellings;  // within one command every spelling is unique
    for (const OptionSpec& spec : command->allOptions()) {
      const std::string where = std::string(command->name()) + " --" + std::string(spec.longName);
      for (const std::string& spelling : {"--" + std::string(spec.longName),
                                          spec.longAlias.empty() ? "" : "--" + std::string(spec.longAlias),
                                          spec.shortName ? std::string{'-', spec.shortName} : "",
                                          spec.shortAlias ? std::string{'-', spec.shortAlias} : ""}) {
        if (!spelling.empty()) {
          EXPECT_TRUE(spellings.insert(spelling).second) << where << ": " << spelling;
        }
      }
      const auto [known, added] =
          byLong.try_emplace(std::string(spec.longName), std::string(command->name()), spec);
      if (!added) {
        const OptionSpec& first = known->second.second;
        const std::string both = where + " and " + known->second.first;
        EXPECT_EQ(spec.shortName, first.shortName) << both;
        EXPECT_EQ(spec.valueName, first.valueName) << both;
        EXPECT_EQ(spec.description, first.description) << both;
      }
      if (spec.shortName != '\0') {
        const auto [letter, fresh] =
            byLetter.try_emplace(spec.shortName, std::string(command->name()), std::string(spec.longName));
        EXPECT_EQ(letter->second.second, spec.longName)
            << "-" << spec.shortName << " is --" << spec.longName << " in " << command->name() << " but --"
            << letter->second.second << " in " << letter->second.first;
      }
    }
  }
  // An older letter is never shown, but it must not be a letter that another
  // option of the same command answers to (checked above) nor one whose
  // meaning elsewhere is the same option spelled anew.
  for (const Command* command : stridewellCommands()) {
    for (const OptionSpec& spec : command->allOptions()) {
      if (spec.shortAlias == '\0') continue;
      const auto letter = byLetter.find(spec.shortAlias);
      if (letter != byLetter.end()) {
        EXPECT_NE(letter->second.second, spec.longName) << command->name() << " -" << spec.shortAlias;
      }
    }
  }
}

TEST(OptionSpellingsTest, HelpShowsAnOptionAloneAndTheOlderSpellingsAfterTheList) {
  const std::string train = commandNamed("train").help();
  EXPECT_NE(train.find("  -j, --threads N  "), std::string::npos) << train;
  EXPECT_NE(train.find("\n      --passes N  "), std::string::npos) << train;
  EXPECT_NE(train.find("\nOlder spellings still accepted: -p for --passes, -t for --threads.\n"),
            std::string::npos)
      << train;
  const std::string pl = commandNamed("pl").help();
  EXPECT_NE(pl.find("      --comma FILE  "), std::string::npos) << pl;
  EXPECT_EQ(pl.find("--csv FILE"), std::string::npos) << pl;
  EXPECT_NE(pl.find("\nOlder spellings still accepted: --csv for --comma.\n"), std::string::npos) << pl;
  // A command without older spellings says nothing about them.
  EXPECT_EQ(commandNamed("card").help().find("Older spellings"), std::string::npos);
}

// Every command's errors start alike, whether the command line itself is
// wrong or the command refuses a value.
TEST(OptionSpellingsTest, EveryCommandsErrorsStartAlike) {
  const stridewell::test::IsolatedUser user;  // some commands make their Workspace first
  for (const Command* command : stridewellCommands()) {
    std::ostringstream out, err;
    const std::vector<std::string> args = {"--bogus"};
    EXPECT_EQ(command->execute(args, out, err), kExitUsage) << command->name();
    EXPECT_EQ(err.str().rfind(
                  "stridewell " + std::string(command->name()) + ": error: unknown option '--bogus'\n", 0),
              0u)
        << err.str();
  }
  const struct {
    const char* command;
    std::vector<std::string> args;
  } kRefusals[] = {
      {"handicap", {"--map", "9", "A.TCF"}},
      {"dataset", {"frob"}},
      {"card", {"--race", "0", "A.TCF"}},
      {"results", {"--race", "x", "A.XRD"}},
      {"scratch", {"--set", "x", "A.TCF"}},
      {"simmap", {"7"}},
      {"prep", {"only-one"}},
      {"train", {"--threads", "0"}},
      {"sim", {"frob"}},
      {"pl", {"--threads", "0", "D"}},
  };
  for (const auto& c : kRefusals) {
    std::ostringstream out, err;
    EXPECT_EQ(commandNamed(c.command).execute(c.args, out, err), kExitUsage) << c.command;
    EXPECT_EQ(err.str().rfind("stridewell " + std::string(c.command) + ": error: ", 0), 0u) << err.str();
  }
}

}  // namespace
}  // namespace stridewell::cli
