// The SIM name rules shared by Prep SIM and Rename SIM: trimming, the blank
// message of each dialog, the nine characters, and names reserved by the
// SIMs beside the program (letter case ignored).
#include "model/sim_name_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

TEST(SimNameRules, MessagesInOrder) {
  test::TempFolder program;
  std::ofstream(program.path() / "Default.SIM") << "weights";
  std::ofstream(program.path() / "Extra.sim") << "weights";
  fs::create_directory(program.path() / "Folder.SIM");  // not a SIM

  const std::string blankPrep = "SIM name cannot be blank.";
  const std::string blankRename = "New name cannot be blank.";
  const std::string forbidden = "SIM name cannot contain any of the following characters: ?*<\">/\\:|";
  const std::string reserved = "The SIM name you have chosen is reserved.  Please pick another.";
  struct Case {
    std::string name;
    SimNameUse use;
    std::string expected;
  };
  const Case cases[] = {
      {"", SimNameUse::kPrep, blankPrep},
      {" \t\r\n", SimNameUse::kPrep, blankPrep},
      {"   ", SimNameUse::kRename, blankRename},
      {"a?b", SimNameUse::kPrep, forbidden},
      {"a*b", SimNameUse::kPrep, forbidden},
      {"a<b", SimNameUse::kPrep, forbidden},
      {"a\"b", SimNameUse::kPrep, forbidden},
      {"a>b", SimNameUse::kPrep, forbidden},
      {"../b", SimNameUse::kRename, forbidden},
      {"a\\b", SimNameUse::kRename, forbidden},
      {"C:b", SimNameUse::kRename, forbidden},
      {"a|b", SimNameUse::kRename, forbidden},
      {"Default|", SimNameUse::kPrep, forbidden},  // characters are checked first
      {"Default", SimNameUse::kPrep, reserved},
      {"  Default  ", SimNameUse::kRename, reserved},
      {"DEFAULT", SimNameUse::kPrep, reserved},  // the lists would take it for Default
      {"extra", SimNameUse::kPrep, reserved},    // extension in another case
      {"Folder", SimNameUse::kPrep, ""},
      {"Default2", SimNameUse::kPrep, ""},
      {"  Spring sprints  ", SimNameUse::kPrep, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(simNameProblem(c.name, c.use, program.path().string()), c.expected) << "'" << c.name << "'";
  }
  // No program folder: nothing is reserved.
  EXPECT_EQ(simNameProblem("Default", SimNameUse::kPrep, ""), "");
}

TEST(SimNameRules, Trimming) {
  EXPECT_EQ(trimSimName(" \t Alpha Beta \r\n"), "Alpha Beta");
  EXPECT_EQ(trimSimName("\v\f"), "");
  EXPECT_EQ(trimSimName("x"), "x");
}

}  // namespace
}  // namespace stridewell
