// Reading a pass in 64 KB blocks with the next one read ahead: every byte
// arrives once and in order for files around the block size, the tail comes
// last, the block calls count 0..n, a stop ends the pass at once, and a
// missing file fails it. Runs a read-ahead thread: part of the
// ThreadSanitizer run.
#include "model/pattern_block_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

class CollectingSink final : public PatternBlockSink {
 public:
  bool blockReached(int64_t block, int64_t blockCount) override {
    blocks.push_back(block);
    counts.push_back(blockCount);
    return stopAtBlock < 0 || block != stopAtBlock;
  }
  bool feed(std::span<const std::byte> bytes) override {
    feeds.push_back(bytes.size());
    received.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return stopAtFeed < 0 || static_cast<int>(feeds.size()) != stopAtFeed;
  }

  std::vector<int64_t> blocks, counts;
  std::vector<size_t> feeds;
  std::string received;
  int64_t stopAtBlock = -1;
  int stopAtFeed = -1;  // 1-based
};

std::string fileOf(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 65536) & 0xFF);
  return bytes;
}

TEST(PatternBlockReader, EveryByteOnceInOrder) {
  const size_t block = kPatternBlockBytes;
  struct Case {
    size_t size;
    std::vector<size_t> feeds;
  };
  const Case cases[] = {
      {0, {}},
      {100, {100}},
      {block - 1, {block - 1}},
      {block, {block}},
      {block + 1, {block, 1}},
      {2 * block, {block, block}},
      {3 * block + 12345, {block, block, block, 12345}},
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const auto path = folder.path() / "SIMPAT.DAT";
    const std::string contents = fileOf(c.size);
    test::writeFile(path, contents);
    PatternBlockReader reader(path);
    // Two passes with one reader: the buffers are reused.
    for (int pass = 0; pass < 2; ++pass) {
      CollectingSink sink;
      std::string problem;
      ASSERT_EQ(reader.readPass(sink, problem), PassEnd::kNormal) << problem;
      EXPECT_EQ(sink.feeds, c.feeds);
      EXPECT_TRUE(sink.received == contents);
      const auto blockCount = static_cast<int64_t>(c.size / block);
      std::vector<int64_t> expectedBlocks;
      if (blockCount > 0) {
        for (int64_t i = 0; i <= blockCount; ++i) expectedBlocks.push_back(i);
      }
      EXPECT_EQ(sink.blocks, expectedBlocks);
      for (int64_t count : sink.counts) EXPECT_EQ(count, blockCount);
    }
  }
}

TEST(PatternBlockReader, StopEndsThePassAtOnce) {
  test::TempFolder folder;
  const auto path = folder.path() / "SIMPAT.DAT";
  test::writeFile(path, fileOf(3 * kPatternBlockBytes + 10));
  PatternBlockReader reader(path);
  std::string problem;

  CollectingSink atBlock;
  atBlock.stopAtBlock = 2;  // block 1 was being read; block 0 was fed
  EXPECT_EQ(reader.readPass(atBlock, problem), PassEnd::kStopped);
  EXPECT_EQ(atBlock.feeds, std::vector<size_t>{kPatternBlockBytes});

  CollectingSink atFeed;
  atFeed.stopAtFeed = 2;
  EXPECT_EQ(reader.readPass(atFeed, problem), PassEnd::kStopped);
  EXPECT_EQ(atFeed.feeds.size(), 2u);
  EXPECT_EQ(atFeed.blocks.back(), 2);  // nothing asked after the stop

  CollectingSink atTail;
  atTail.stopAtFeed = 4;
  EXPECT_EQ(reader.readPass(atTail, problem), PassEnd::kStopped);
  EXPECT_EQ(atTail.feeds.back(), 10u);
}

TEST(PatternBlockReader, MissingFileFailsThePass) {
  test::TempFolder folder;
  const auto path = folder.path() / "SIMPAT.DAT";
  PatternBlockReader reader(path);
  CollectingSink sink;
  std::string problem;
  EXPECT_EQ(reader.readPass(sink, problem), PassEnd::kFailed);
  EXPECT_NE(problem.find("Cannot open " + path.string()), std::string::npos) << problem;
  EXPECT_TRUE(sink.blocks.empty());
  EXPECT_TRUE(sink.feeds.empty());
}

}  // namespace
}  // namespace stridewell
