// The fingerprint that lets processes tell they read the same pattern
// file: equal for equal bytes, different for one flipped bit anywhere or a
// file one byte longer, and a clear problem for a file that is not there.
#include "model/pattern_fingerprint.h"

#include <gtest/gtest.h>

#include <string>

#include "pattern_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

TEST(PatternFingerprint, EveryBitAndTheSizeCount) {
  test::TempFolder folder;
  const auto file = folder.path() / "SIMPAT.DAT";
  // Three and a half of the 1 MB pieces it reads, so that the last is short.
  std::string bytes = test::recordBytes(test::makeRecords(900, 4));
  ASSERT_GT(bytes.size(), 3u << 20);
  test::writeFile(file, bytes);
  PatternFingerprint original;
  std::string problem;
  ASSERT_TRUE(fingerprintPatternFile(file, original, problem)) << problem;
  EXPECT_EQ(original.size, bytes.size());

  PatternFingerprint again;
  ASSERT_TRUE(fingerprintPatternFile(file, again, problem));
  EXPECT_EQ(again, original);

  const size_t offsets[] = {0, 7, (1u << 20) - 1, 1u << 20, bytes.size() / 2, bytes.size() - 1};
  for (const size_t offset : offsets) {
    for (const int bit : {0, 7}) {
      SCOPED_TRACE(testing::Message() << "byte " << offset << " bit " << bit);
      std::string changed = bytes;
      changed[offset] = static_cast<char>(changed[offset] ^ (1 << bit));
      test::writeFile(file, changed);
      PatternFingerprint print;
      ASSERT_TRUE(fingerprintPatternFile(file, print, problem));
      EXPECT_EQ(print.size, original.size);
      EXPECT_NE(print.hash, original.hash);
    }
  }
  // A zero byte more: same bytes as far as they go, another file.
  test::writeFile(file, bytes + std::string(1, '\0'));
  PatternFingerprint longer;
  ASSERT_TRUE(fingerprintPatternFile(file, longer, problem));
  EXPECT_NE(longer.hash, original.hash);

  EXPECT_FALSE(fingerprintPatternFile(folder.path() / "none" / "SIMPAT.DAT", again, problem));
  EXPECT_NE(problem.find((folder.path() / "none" / "SIMPAT.DAT").string()), std::string::npos) << problem;
  EXPECT_NE(problem.find("No such file"), std::string::npos) << problem;
}

}  // namespace
}  // namespace stridewell
