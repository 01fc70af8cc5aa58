// Replacing a file through a file system that fails at each step: the old
// file stays byte for byte, the temporary goes, and the problem names the
// file and the system's reason. A write cut short is resumed; a file
// finished but not yet renamed leaves the old one in place.
#include "base/replacement_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/faulty_file_system.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;

std::vector<std::string> folderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

// More than the file keeps buffered, so that it is written in several calls.
std::string newContents() {
  std::string bytes;
  for (int i = 0; bytes.size() < 200000; ++i) bytes += "line " + std::to_string(i) + "\n";
  return bytes;
}

class ReplacementFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = folder_.path() / "Report.TXT";
    std::ofstream(target_, std::ios::binary) << "the old report\n";
  }

  // Writes the new contents in pieces, as a report writer does.
  static void writeInPieces(ReplacementFile& file, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size(); at += 10000) file.write(std::string_view(bytes).substr(at, 10000));
  }

  test::TempFolder folder_;
  fs::path target_;
};

TEST_F(ReplacementFileTest, FaultsLeaveTheOldFileAndNoTemporary) {
  const std::string folder = folder_.path().string();
  const std::string temporary = (folder_.path() / ".Report.TXT.").string();
  const std::string target = target_.string();
  struct Case {
    const char* name;
    std::function<void(test::FaultyFileSystem&)> arrange;
    std::string named;  // how the problem starts: what failed and on which file
    const char* reason;
  };
  const Case cases[] = {
      {"cannot create the temporary", [](auto& disk) { disk.failCreate(EACCES); },
       "Cannot create a temporary file in " + folder, "Permission denied"},
      {"full disk at the first write", [](auto& disk) { disk.failWritesFrom(1); },
       "Cannot write " + temporary, "No space left on device"},
      {"full disk at the last write", [](auto& disk) { disk.failWritesFrom(3); }, "Cannot write " + temporary,
       "No space left on device"},
      {"short write, then full disk",
       [](auto& disk) {
         disk.shortenWrite(1);
         disk.failWritesFrom(2);
       },
       "Cannot write " + temporary, "No space left on device"},
      {"file too large", [](auto& disk) { disk.failWritesFrom(2, EFBIG); }, "Cannot write " + temporary,
       "File too large"},
      {"failed flush to disk", [](auto& disk) { disk.failSync(EIO); }, "Cannot write " + temporary,
       "Input/output error"},
      {"failed close", [](auto& disk) { disk.failClose(ENOSPC); }, "Cannot write " + temporary,
       "No space left on device"},
      {"rename across devices", [](auto& disk) { disk.failRename(EXDEV); }, "Cannot replace " + target,
       "Invalid cross-device link"},
      {"rename refused", [](auto& disk) { disk.failRename(EACCES); }, "Cannot replace " + target,
       "Permission denied"},
  };
  const std::string old = fileBytes(target_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::FaultyFileSystem faulty;
    c.arrange(faulty);
    std::string problem;
    {
      ReplacementFile file(target, faulty);
      writeInPieces(file, newContents());
      EXPECT_FALSE(file.replaceTarget());
      EXPECT_FALSE(file.ok());
      problem = file.problem();
      EXPECT_EQ(file.error().message(), c.reason);
    }
    EXPECT_TRUE(problem.starts_with(c.named)) << problem;
    EXPECT_TRUE(problem.ends_with(std::string(": ") + c.reason)) << problem;
    EXPECT_EQ(fileBytes(target_), old);
    EXPECT_EQ(folderEntries(folder_.path()), std::vector<std::string>{"Report.TXT"});
  }
}

TEST_F(ReplacementFileTest, WholeContentsAtOnceReportTheFault) {
  const std::string old = fileBytes(target_);
  test::FaultyFileSystem faulty;
  faulty.failRename(EXDEV);
  const std::string bytes = newContents();
  std::string reason;
  EXPECT_FALSE(replaceFileContents(target_.string(), bytes.data(), bytes.size(), reason, faulty));
  EXPECT_EQ(reason, "Cannot replace " + target_.string() + ": Invalid cross-device link");
  EXPECT_EQ(fileBytes(target_), old);
  EXPECT_EQ(folderEntries(folder_.path()), std::vector<std::string>{"Report.TXT"});
}

TEST_F(ReplacementFileTest, FinishedWritingLeavesTheTargetUntilTheRename) {
  const std::string old = fileBytes(target_);
  const std::string bytes = newContents();
  ReplacementFile file(target_.string());
  writeInPieces(file, bytes);
  ASSERT_TRUE(file.finishWriting()) << file.problem();
  EXPECT_EQ(fileBytes(target_), old);
  EXPECT_EQ(fileBytes(file.path()), bytes);
  EXPECT_TRUE(file.finishWriting());  // finishing twice is harmless
  ASSERT_TRUE(file.replaceTarget()) << file.problem();
  EXPECT_EQ(fileBytes(target_), bytes);
  EXPECT_EQ(folderEntries(folder_.path()), std::vector<std::string>{"Report.TXT"});
}

TEST_F(ReplacementFileTest, WritesCutShortAreResumed) {
  for (const int shortened : {1, 2, 3}) {
    SCOPED_TRACE(shortened);
    test::FaultyFileSystem faulty;
    faulty.shortenWrite(shortened);
    const std::string bytes = newContents();
    ReplacementFile file(target_.string(), faulty);
    writeInPieces(file, bytes);
    ASSERT_TRUE(file.replaceTarget()) << file.problem();
    EXPECT_GT(faulty.writeCalls(), 3);
    EXPECT_EQ(fileBytes(target_), bytes);
    EXPECT_EQ(folderEntries(folder_.path()), std::vector<std::string>{"Report.TXT"});
  }
}

}  // namespace
}  // namespace stridewell
