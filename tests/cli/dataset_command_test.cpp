// `stridewell dataset` in-process, with the Workspace and the settings in a
// temporary folder: create, append and list on the shipped sample files,
// the over-write question, and usage errors.
#include "cli/dataset_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_test_support.h"
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

}  // namespace
}  // namespace stridewell::cli
