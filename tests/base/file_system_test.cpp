// The operating system's file system as the writers use it: a new file
// never follows a link planted at its name, a move without replacing never
// replaces, appends go to the end, and each failure carries the system's
// reason.
#include "base/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class RealFileSystemTest : public ::testing::Test {
 protected:
  FileSystem& disk_ = realFileSystem();
  test::TempFolder folder_;
};

TEST_F(RealFileSystemTest, NewFilesAreWrittenAndAppendedTo) {
  const fs::path path = folder_.path() / "data";
  std::error_code error;
  std::unique_ptr<WritableFile> file = disk_.createFile(path.string(), error);
  ASSERT_TRUE(file) << error.message();
  EXPECT_FALSE(file->writeAll("first "));
  EXPECT_FALSE(file->sync());
  EXPECT_FALSE(file->close());
  file = disk_.openForAppend(path.string(), error);
  ASSERT_TRUE(file) << error.message();
  EXPECT_FALSE(file->writeAll("second"));
  EXPECT_FALSE(file->close());
  EXPECT_EQ(fileBytes(path), "first second");
  // Made again, the file starts empty.
  file = disk_.createFile(path.string(), error);
  ASSERT_TRUE(file) << error.message();
  file.reset();
  EXPECT_EQ(fileBytes(path), "");
}

TEST_F(RealFileSystemTest, UniqueFilesArePrivateAndNamedFromTheTemplate) {
  std::string first = (folder_.path() / ".x.XXXXXX").string();
  std::string second = first;
  std::error_code error;
  const std::unique_ptr<WritableFile> a = disk_.createUnique(first, error);
  const std::unique_ptr<WritableFile> b = disk_.createUnique(second, error);
  ASSERT_TRUE(a && b) << error.message();
  EXPECT_NE(first, second);
  EXPECT_EQ(first.find("XXXXXX"), std::string::npos) << first;
  struct stat info {};
  ASSERT_EQ(::stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(RealFileSystemTest, FailuresCarryTheSystemsReasonAndChangeNothing) {
  const fs::path kept = folder_.path() / "kept";
  const fs::path other = folder_.path() / "other";
  const fs::path link = folder_.path() / "link";
  writeBytes(kept, "kept");
  writeBytes(other, "other");
  fs::create_symlink(kept, link);
  const std::string missing = (folder_.path() / "absent" / "file").string();
  struct Case {
    const char* name;
    std::error_code error;
    std::errc expected;
  };
  std::error_code error;
  const auto opened = [&](std::unique_ptr<WritableFile> file) {
    EXPECT_FALSE(file);
    return error;
  };
  const Case cases[] = {
      {"a link where a new file goes", opened(disk_.createFile(link.string(), error)),
       std::errc::too_many_symbolic_link_levels},
      {"a new file in a missing folder", opened(disk_.createFile(missing, error)),
       std::errc::no_such_file_or_directory},
      {"an append in a missing folder", opened(disk_.openForAppend(missing, error)),
       std::errc::no_such_file_or_directory},
      {"a move onto a taken name", disk_.renameWithoutReplacing(kept.string(), other.string()),
       std::errc::file_exists},
      {"a move of a missing file", disk_.renameWithoutReplacing(missing, (folder_.path() / "new").string()),
       std::errc::no_such_file_or_directory},
      {"a rename of a missing file", disk_.rename(missing, kept.string()),
       std::errc::no_such_file_or_directory},
      {"removing a missing file", disk_.remove(missing), std::errc::no_such_file_or_directory},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.error, std::make_error_code(c.expected)) << c.name << ": " << c.error.message();
  }
  EXPECT_EQ(fileBytes(kept), "kept");
  EXPECT_EQ(fileBytes(other), "other");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_FALSE(fs::exists(folder_.path() / "new"));
}

TEST_F(RealFileSystemTest, AMoveWithoutReplacingMovesToAFreeName) {
  const fs::path from = folder_.path() / "from";
  const fs::path to = folder_.path() / "to";
  writeBytes(from, "moved");
  EXPECT_FALSE(disk_.renameWithoutReplacing(from.string(), to.string()));
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(fileBytes(to), "moved");
}

}  // namespace
}  // namespace stridewell
