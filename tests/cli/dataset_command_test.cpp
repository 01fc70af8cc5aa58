// `stridewell dataset` in-process, with the Workspace and the settings in a
// temporary folder: create, append and list on the shipped sample files,
// the over-write question, and usage errors.
#include "cli/dataset_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "datasets/dataset_name.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

class DatasetCommandTest : public ::testing::Test {
 protected:
  fs::path dataset(const char* name) { return user_.workspace() / "DATASETS" / (std::string(name) + ".DSI"); }

  stridewell::test::IsolatedUser user_;
};

TEST_F(DatasetCommandTest, CreateAppendAndList) {
  const test::CommandRun created =
      runCommand(DatasetCommand(), {"create", "Spring", (kExamples / "plain").string()});
  EXPECT_EQ(created.status, 0) << created.err;
  // Three days; one race of them was run at another track and has no result under this one.
  EXPECT_NE(created.out.find("3 matched pair(s) (TCF+XRD), 0 file(s) not used\n"), std::string::npos)
      << created.out;
  EXPECT_NE(created.out.find("Spring: DataSet complete.  28 races written.\n"), std::string::npos)
      << created.out;
  const auto size = fs::file_size(dataset("Spring"));

  const test::CommandRun appended =
      runCommand(DatasetCommand(), {"append", "Spring", (kExamples / "zipped").string()});
  EXPECT_EQ(appended.status, 0) << appended.err;
  EXPECT_NE(appended.out.find("DataSet complete.  9 races written."), std::string::npos) << appended.out;
  EXPECT_GT(fs::file_size(dataset("Spring")), size);

  const test::CommandRun listed = runCommand(DatasetCommand(), {"list"});
  EXPECT_EQ(listed.out, "Spring\n");
}

// The long list: the name first, then races, first and last race date and
// size; a damaged dataset shows the races before the damage and says so,
// and the plain list stays one name a line.
TEST_F(DatasetCommandTest, LongListCountsRacesAndDates) {
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Spring", (kExamples / "plain").string()}).status, 0);
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Cut", (kExamples / "plain").string()}).status, 0);
  fs::resize_file(dataset("Cut"), fs::file_size(dataset("Cut")) - 1);  // the last race cut short

  EXPECT_EQ(runCommand(DatasetCommand(), {"list"}).out, "Cut\nSpring\n");
  const test::CommandRun listed = runCommand(DatasetCommand(), {"list", "--long"});
  EXPECT_EQ(listed.status, kExitBadInput) << "a damaged dataset is bad input";
  const std::string spring = "Spring       28  2026-03-13  2026-03-15";
  const std::string cut = "Cut          27  2026-03-13  2026-03-15";
  EXPECT_EQ(listed.out.rfind("Name      Races  First       Last              Size\n", 0), 0u) << listed.out;
  EXPECT_NE(listed.out.find(spring), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find(cut), std::string::npos) << listed.out;
  const size_t cutLine = listed.out.find(cut);
  EXPECT_EQ(listed.out.substr(listed.out.find('\n', cutLine) - 9, 9), "  damaged") << listed.out;
  EXPECT_EQ(listed.out.find("damaged", listed.out.find(spring)), std::string::npos) << listed.out;

  fs::remove(dataset("Cut"));
  const test::CommandRun sound = runCommand(DatasetCommand(), {"-l", "list"});
  EXPECT_EQ(sound.status, 0) << sound.err;
}

TEST_F(DatasetCommandTest, OverWriteNeedsAYes) {
  const std::string plain = (kExamples / "plain").string();
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Twice", plain}).status, 0);
  const auto size = fs::file_size(dataset("Twice"));
  const test::CommandRun refused =
      runCommand(DatasetCommand(), {"--no", "create", "Twice", (kExamples / "zipped").string()});
  EXPECT_NE(refused.status, 0);
  EXPECT_EQ(fs::file_size(dataset("Twice")), size);
  const test::CommandRun accepted =
      runCommand(DatasetCommand(), {"--yes", "create", "Twice", (kExamples / "zipped").string()});
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  EXPECT_LT(fs::file_size(dataset("Twice")), size);  // one day now, not three
}

TEST_F(DatasetCommandTest, RefusalsAndUsageErrors) {
  const std::string plain = (kExamples / "plain").string();
  const test::CommandRun appendMissing = runCommand(DatasetCommand(), {"append", "Nothing", plain});
  EXPECT_NE(appendMissing.status, 0);
  EXPECT_NE(appendMissing.err.find("DataSet does not exist (Append on)"), std::string::npos)
      << appendMissing.err;
  const test::CommandRun badName = runCommand(DatasetCommand(), {"create", "a:b", plain});
  EXPECT_NE(badName.err.find("DataSet name cannot contain any of the following characters: ?*<\">/\\:|"),
            std::string::npos);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"explode"}, {"create", "OnlyAName"}, {"list", "extra"}, {"--yes", "--no", "list"}}) {
    EXPECT_EQ(runCommand(DatasetCommand(), args).status, kExitUsage) << (args.empty() ? "" : args[0]);
  }
  EXPECT_FALSE(fs::exists(dataset("Nothing")));
}

TEST_F(DatasetCommandTest, SplitCombineRenameDeleteAndReports) {
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "All", (kExamples / "plain").string()}).status, 0);
  // 28 races at 25%: races 4, 8, ..., 28 (7 of them) go to the test dataset.
  const test::CommandRun split =
      runCommand(DatasetCommand(), {"--test-share", "25", "split", "All", "Train", "Test"});
  EXPECT_EQ(split.status, 0) << split.err;
  EXPECT_TRUE(fs::exists(dataset("Train")));
  EXPECT_TRUE(fs::exists(dataset("Test")));
  EXPECT_NE(runCommand(DatasetCommand(), {"split", "All", "All", "Other"}).status,
            0);  // never over the source

  const test::CommandRun combined = runCommand(DatasetCommand(), {"combine", "Again", "Train", "Test"});
  EXPECT_EQ(combined.status, 0) << combined.err;
  EXPECT_EQ(fs::file_size(dataset("Again")), fs::file_size(dataset("All")));

  EXPECT_EQ(runCommand(DatasetCommand(), {"--yes", "rename", "Again", "Whole"}).status, 0);
  EXPECT_NE(runCommand(DatasetCommand(), {"--yes", "rename", "Whole", "All"}).status, 0);  // All exists
  EXPECT_TRUE(fs::exists(dataset("Whole")));

  const test::CommandRun contents = runCommand(DatasetCommand(), {"report", "contents", "Test"});
  EXPECT_EQ(contents.status, 0) << contents.err;
  EXPECT_EQ(contents.out.rfind("DataSet: Test\n", 0), 0u) << contents.out;
  EXPECT_NE(contents.out.find("7 races total."), std::string::npos) << contents.out;
  const fs::path comma = user_.root() / "exotics.csv";
  const test::CommandRun exotics =
      runCommand(DatasetCommand(), {"--comma", comma.string(), "report", "exotics", "All"});
  EXPECT_EQ(exotics.status, 0) << exotics.err;
  EXPECT_NE(exotics.out.find("SAX    28"), std::string::npos) << exotics.out;
  EXPECT_TRUE(fs::exists(comma));

  EXPECT_EQ(runCommand(DatasetCommand(), {"--yes", "delete", "Whole", "Train"}).status, 0);
  EXPECT_EQ(runCommand(DatasetCommand(), {"list"}).out, "All\nTest\n");
}

// Names no dataset file can have are refused with the reason, for every
// action that makes a dataset, before any folder is scanned (the folder
// given here does not exist, so a scan would say so) and with nothing made.
TEST_F(DatasetCommandTest, NamesNoFileCanHaveAreRefusedBeforeAnyScan) {
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Have", (kExamples / "plain").string()}).status, 0);
  const std::string noFolder = (user_.root() / "no-such-folder").string();
  const std::string longest(kMaxDatasetNameBytes, 'n');
  struct Case {
    std::string name;
    std::string reason;  // the end of the refusal, after "<subject> "
  };
  const Case cases[] = {
      {".", "cannot be \".\" or \"..\"."},
      {" .. ", "cannot be \".\" or \"..\"."},
      {"x.DSI", "cannot end in \".DSI\"; the program adds that itself."},
      {"x.dsi", "cannot end in \".DSI\"; the program adds that itself."},
      {"Have.Dsi", "cannot end in \".DSI\"; the program adds that itself."},
      {"a\tb", "cannot contain control characters (tabs, line ends and the like)."},
      {"a\x1b[2Jb", "cannot contain control characters (tabs, line ends and the like)."},
      {"a\x7f", "cannot contain control characters (tabs, line ends and the like)."},
      {longest + "n", "is too long: at most 238 bytes."},
  };
  for (const Case& c : cases) {
    struct Action {
      std::vector<std::string> args;
      std::string subject;
    };
    const Action actions[] = {
        {{"create", c.name, noFolder}, "DataSet name"},
        {{"--yes", "rename", "Have", c.name}, "DataSet name"},
        {{"split", "Have", c.name, "Other"}, "Train dataset name"},
        {{"split", "Have", "Other", c.name}, "Test dataset name"},
        {{"combine", c.name, "Have"}, "New dataset name"},
    };
    for (const Action& action : actions) {
      SCOPED_TRACE(action.args[action.args[0] == "--yes" ? 1 : 0] + " with name '" + c.name + "'");
      const test::CommandRun run = runCommand(DatasetCommand(), action.args);
      EXPECT_EQ(run.status, kExitUsage);
      EXPECT_NE(run.err.find("error: " + action.subject + " " + c.reason), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find("no-such-folder"), std::string::npos) << run.err;
      EXPECT_EQ(run.out, "");
      std::vector<std::string> files;
      for (const auto& entry : fs::directory_iterator(user_.workspace() / "DATASETS")) {
        files.push_back(entry.path().filename().string());
      }
      EXPECT_EQ(files, std::vector<std::string>{"Have.DSI"});
    }
  }
  // The longest name still makes a dataset, the files written beside it included.
  const test::CommandRun made =
      runCommand(DatasetCommand(), {"create", longest, (kExamples / "plain").string()});
  EXPECT_EQ(made.status, kExitOk) << made.err;
  EXPECT_EQ(fs::file_size(dataset(longest.c_str())), fs::file_size(dataset("Have")));
  const test::CommandRun appended =
      runCommand(DatasetCommand(), {"append", longest, (kExamples / "zipped").string()});
  EXPECT_EQ(appended.status, kExitOk) << appended.err;
}

// Appending a folder whose races the dataset already holds: counted in a
// warning and written again, or left out with --skip-duplicates. A folder
// of new races appends the same bytes as ever, with no warning.
TEST_F(DatasetCommandTest, AppendCountsRacesAlreadyStored) {
  const std::string plain = (kExamples / "plain").string();
  const std::string zipped = (kExamples / "zipped").string();
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Plain", plain}).status, 0);
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Zipped", zipped}).status, 0);
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Both", plain}).status, 0);
  const auto bytesOf = [this](const char* name) {
    std::ifstream in(dataset(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };

  const test::CommandRun fresh = runCommand(DatasetCommand(), {"append", "Both", zipped});
  EXPECT_EQ(fresh.status, kExitOk) << fresh.err;
  EXPECT_EQ(fresh.err.find("already in the dataset"), std::string::npos) << fresh.err;
  EXPECT_EQ(bytesOf("Both"), bytesOf("Plain") + bytesOf("Zipped"));

  const std::string before = bytesOf("Both");
  const test::CommandRun skipped =
      runCommand(DatasetCommand(), {"--skip-duplicates", "append", "Both", plain});
  EXPECT_EQ(skipped.status, kExitOk) << skipped.err;
  EXPECT_NE(
      skipped.err.find("warning: 28 appended races were already in the dataset (same track, date and race "
                       "number); left out.\n"),
      std::string::npos)
      << skipped.err;
  EXPECT_NE(skipped.out.find("Both: DataSet complete.  0 races written."), std::string::npos) << skipped.out;
  EXPECT_EQ(bytesOf("Both"), before);

  const test::CommandRun doubled = runCommand(DatasetCommand(), {"append", "Both", plain});
  EXPECT_EQ(doubled.status, kExitOk) << doubled.err;
  EXPECT_NE(
      doubled.err.find("warning: 28 appended races were already in the dataset (same track, date and race "
                       "number); they are now stored twice.\n"),
      std::string::npos)
      << doubled.err;
  EXPECT_NE(doubled.err.find("--skip-duplicates"), std::string::npos) << doubled.err;
  EXPECT_NE(doubled.out.find("Both: DataSet complete.  28 races written."), std::string::npos) << doubled.out;
  EXPECT_EQ(bytesOf("Both"), before + bytesOf("Plain"));

  EXPECT_EQ(runCommand(DatasetCommand(), {"--skip-duplicates", "create", "Other", plain}).status, kExitUsage);
  EXPECT_FALSE(fs::exists(dataset("Other")));
}

// Every name that is not a dataset is reported; the others are deleted.
TEST_F(DatasetCommandTest, DeleteReportsEveryMissingName) {
  const std::string plain = (kExamples / "plain").string();
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "a", plain}).status, 0);
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "b", plain}).status, 0);
  const test::CommandRun run = runCommand(DatasetCommand(), {"--yes", "delete", "a", "nope", "gone"});
  EXPECT_EQ(run.status, kExitCannotOpen);
  EXPECT_NE(run.err.find("error: There is no dataset 'nope'.\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("error: There is no dataset 'gone'.\n"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "1 dataset(s) deleted\n");
  EXPECT_EQ(runCommand(DatasetCommand(), {"list"}).out, "b\n");

  // A name given twice is deleted once, and that is success.
  const test::CommandRun twice = runCommand(DatasetCommand(), {"--yes", "delete", "b", "b"});
  EXPECT_EQ(twice.status, kExitOk) << twice.err;
  EXPECT_EQ(twice.out, "1 dataset(s) deleted\n");
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "b", plain}).status, 0);

  const test::CommandRun none = runCommand(DatasetCommand(), {"--yes", "delete", "nope"});
  EXPECT_EQ(none.status, kExitCannotOpen);
  EXPECT_EQ(none.err, "stridewell dataset: error: There is no dataset 'nope'.\n");  // nothing asked
  EXPECT_EQ(runCommand(DatasetCommand(), {"list"}).out, "b\n");
}

}  // namespace
}  // namespace stridewell::cli
