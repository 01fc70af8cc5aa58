// The pattern stream: records put back together across any split of the
// bytes, batches handed to the trainer whole and split where the pass's
// update falls, the update at the expected count (not before, not twice),
// the stop, and the fast trainer's weights under any cutting of the bytes.
#include "model/pattern_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/shared_work_training.h"
#include "model/sim_shape.h"
#include "model_test_support.h"
#include "pattern_test_support.h"

namespace stridewell {
namespace {

using test::makeRecords;
using test::MessageLog;
using test::parameterBits;
using test::recordBytes;

// Keeps a copy of every record and the size of every batch; each record
// adds 1 to the tss. Stops (returns false) once `stopAfter` records were seen.
class RecordingTrainer final : public RecordTrainer {
 public:
  bool trainRecords(const PatternRecord* records, size_t count, double& tss) override {
    batches.push_back(count);
    for (size_t i = 0; i < count; ++i) {
      seen.push_back(records[i]);
      tss += 1.0;
      if (stopAfter > 0 && seen.size() >= stopAfter) return false;
    }
    return true;
  }

  std::vector<size_t> batches;
  std::vector<PatternRecord> seen;
  size_t stopAfter = 0;
};

bool sameRecord(const PatternRecord& a, const PatternRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::span<const std::byte> bytesOf(const std::string& text, size_t from, size_t count) {
  return {reinterpret_cast<const std::byte*>(text.data()) + from, count};
}

class PatternStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(defineSimShape(model_), kSimUnits);
    log_.attachTo(model_);
  }
  int epochEnds() const {
    int ends = 0;
    for (const std::string& line : log_.lines) ends += line.rfind("[E]pass=", 0) == 0;
    return ends;
  }

  SimModel model_{true};
  MessageLog log_;
};

TEST_F(PatternStreamTest, RecordsSurviveAnySplitOfTheBytes) {
  const std::vector<PatternRecord> records = makeRecords(4);
  const std::string file = recordBytes(records) + "tail";  // 4 bytes of an unfinished fifth record
  struct Case {
    const char* name;
    std::vector<size_t> chunks;  // sizes; the rest of the file comes last
  };
  const Case cases[] = {
      {"all at once", {}},
      {"one byte, then the rest", {1}},
      {"split inside the second record", {4132 + 100}},
      {"a chunk smaller than what the carry still needs", {4000, 50, 50}},
      {"exact record boundaries", {4132, 4132, 4132}},
      {"many small pieces", {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}},
      {"empty chunks in between", {0, 5000, 0, 0, 7000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingTrainer trainer;
    PatternStream stream(model_, trainer, 4);
    stream.beginPass(1, true);
    size_t at = 0;
    for (size_t size : c.chunks) {
      ASSERT_TRUE(stream.feed(bytesOf(file, at, size)));
      at += size;
    }
    ASSERT_TRUE(stream.feed(bytesOf(file, at, file.size() - at)));
    ASSERT_EQ(trainer.seen.size(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(sameRecord(trainer.seen[i], records[i])) << "record " << i;
    EXPECT_EQ(stream.processed(), 4);
    EXPECT_EQ(stream.carryBytes(), 4u);
    EXPECT_TRUE(stream.updated());
  }
}

TEST_F(PatternStreamTest, BatchesSplitWhereTheUpdateFalls) {
  const std::string file = recordBytes(makeRecords(10));
  struct Case {
    const char* name;
    int32_t expected;
    std::vector<size_t> batches;
    bool updated;
  };
  const Case cases[] = {
      {"update at the last record", 10, {10}, true},
      {"update inside: the rest is a second batch", 4, {4, 6}, true},
      {"update at the first record", 1, {1, 9}, true},
      {"fewer records than expected: no update", 12, {10}, false},
      {"nothing expected: no update", 0, {10}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_.lines.clear();
    RecordingTrainer trainer;
    PatternStream stream(model_, trainer, c.expected);
    stream.beginPass(3, true);
    ASSERT_TRUE(stream.feed(bytesOf(file, 0, file.size())));
    EXPECT_EQ(trainer.batches, c.batches);
    EXPECT_EQ(stream.updated(), c.updated);
    EXPECT_EQ(epochEnds(), c.updated ? 1 : 0);
    if (c.updated) {
      // The tss at the update counts the records up to the expected one only.
      EXPECT_EQ(log_.lines.back(), "[E]pass=3 tss=" + std::to_string(c.expected));
    }
    EXPECT_EQ(stream.tss(), 10.0);
  }
}

TEST_F(PatternStreamTest, UpdateChangesTheWeightsOncePerPass) {
  const std::string file = recordBytes(makeRecords(3));
  RecordingTrainer trainer;
  PatternStream stream(model_, trainer, 2);
  // The fake adds no slopes, so the update moves each weight by the decay
  // alone: a visible change, made once.
  stream.beginPass(1, true);
  const auto start = parameterBits(model_);
  ASSERT_TRUE(stream.feed(bytesOf(file, 0, 4132)));
  EXPECT_EQ(parameterBits(model_), start);
  ASSERT_TRUE(stream.feed(bytesOf(file, 4132, 4132)));
  const auto updated = parameterBits(model_);
  EXPECT_NE(updated, start);
  ASSERT_TRUE(stream.feed(bytesOf(file, 8264, 4132)));
  EXPECT_EQ(parameterBits(model_), updated);
  EXPECT_EQ(epochEnds(), 1);

  // A new pass starts counting again.
  stream.beginPass(2, false);
  EXPECT_EQ(stream.processed(), 0);
  EXPECT_EQ(stream.tss(), 0.0);
  EXPECT_FALSE(stream.updated());
}

TEST_F(PatternStreamTest, StopEndsTheFeedWithoutAnUpdate) {
  const std::string file = recordBytes(makeRecords(5));
  RecordingTrainer trainer;
  trainer.stopAfter = 3;
  PatternStream stream(model_, trainer, 5);
  stream.beginPass(1, true);
  const auto start = parameterBits(model_);
  EXPECT_FALSE(stream.feed(bytesOf(file, 0, file.size())));
  EXPECT_EQ(trainer.seen.size(), 3u);
  EXPECT_FALSE(stream.updated());
  EXPECT_EQ(parameterBits(model_), start);
}

TEST_F(PatternStreamTest, BeginPassEmptiesTheCarry) {
  const std::string file = recordBytes(makeRecords(2));
  RecordingTrainer trainer;
  PatternStream stream(model_, trainer, 2);
  stream.beginPass(1, true);
  ASSERT_TRUE(stream.feed(bytesOf(file, 0, 4132 + 10)));
  EXPECT_EQ(stream.carryBytes(), 10u);
  stream.beginPass(2, false);
  EXPECT_EQ(stream.carryBytes(), 0u);
  // Whole records again from the start of the file.
  ASSERT_TRUE(stream.feed(bytesOf(file, 0, file.size())));
  ASSERT_EQ(trainer.seen.size(), 3u);
  EXPECT_TRUE(sameRecord(trainer.seen[1], trainer.seen[0]));
}

TEST(PatternStreamTraining, SameWeightsForAnyBlockSizeAndThreadCount) {
  // The fast trainer under the stream: records arrive in calls cut by the
  // blocks and by the update (here inside the second group of records),
  // and the records after the update carry into the next pass. Two passes
  // give the same bits however the bytes were cut and however many threads
  // trained them.
  const std::string file = recordBytes(makeRecords(20, 4));
  const int32_t expected = 11;
  auto twoPasses = [&](size_t chunk, int threads, double& tss) {
    SimModel model(true);
    EXPECT_EQ(defineSimShape(model), kSimUnits);
    std::atomic<int> stop{0};
    const auto trainer = makeFastTrainer(model, stop, threads);
    EXPECT_TRUE(trainer);
    if (!trainer) return std::vector<uint64_t>{};
    PatternStream stream(model, *trainer, expected);
    for (int pass = 1; pass <= 2; ++pass) {
      stream.beginPass(pass, pass == 1);
      for (size_t at = 0; at < file.size(); at += chunk)
        EXPECT_TRUE(stream.feed(bytesOf(file, at, std::min(chunk, file.size() - at))));
      EXPECT_TRUE(stream.updated());
    }
    tss = stream.tss();
    return parameterBits(model);
  };
  double referenceTss = 0.0;
  const std::vector<uint64_t> reference = twoPasses(file.size(), 1, referenceTss);
  ASSERT_FALSE(reference.empty());
  struct Case {
    size_t chunk;
    int threads;
  };
  const Case cases[] = {{file.size(), 2},    {file.size(), 3}, {5000, 1}, {5000, 2},
                        {3 * 4132 + 100, 3}, {65536, 2},       {777, 2}};
  for (const Case& c : cases) {
    double tss = 0.0;
    const std::vector<uint64_t> bits = twoPasses(c.chunk, c.threads, tss);
    EXPECT_EQ(bits, reference) << "chunks of " << c.chunk << ", " << c.threads << " threads";
    EXPECT_EQ(std::bit_cast<uint64_t>(tss), std::bit_cast<uint64_t>(referenceTss))
        << "chunks of " << c.chunk << ", " << c.threads << " threads";
  }
}

}  // namespace
}  // namespace stridewell
