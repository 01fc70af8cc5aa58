// Building training patterns and writing a dataset's pattern file: which
// races give a record, which count, where each value lands in the 4,132
// bytes, standardisation over the finishers only, Cancel, and the files
// that cannot be created or written.
#include "patterns/pattern_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/replacement_file.h"
#include "patterns/field_standardization.h"
#include "patterns/horse_encoding.h"
#include "patterns/pattern_races.h"
#include "race/criteria_choices.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::patternRace;
using test::PatternRaceSpec;
using test::raceWithFinishers;
using test::RecordingInteraction;
using test::RecordingProgress;

std::string bytesOf(const PatternRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// Little-endian values read at byte offsets of the stored record, so the
// layout is checked apart from the struct's member names.
int32_t intAt(const std::string& bytes, size_t offset) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}
float floatAt(const std::string& bytes, size_t offset) {
  float value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

TEST(BuildPattern, EightFinishersStandardisedOverThemAndPadded) {
  // Ten horses on the card; eight finished, in an order unlike the card's.
  PatternRaceSpec spec;
  spec.cardHorses = 10;
  spec.cardIndexes = {3, 0, 7, 1, 9, 2, 5, 4};
  spec.finishes = {1, 2, 3, 4, 5, 6, 6, 8};  // a dead heat for sixth
  const auto race = patternRace(spec);
  PatternRecord record;
  std::memset(static_cast<void*>(&record), 0xAB, sizeof record);  // padding must not be left over
  ASSERT_EQ(buildPattern(race->profile, race->result, record), PatternBuild::kBuilt);
  const std::string bytes = bytesOf(record);
  ASSERT_EQ(bytes.size(), 4132u);
  EXPECT_EQ(intAt(bytes, 0), 8);

  std::vector<HorseInputs> finishers(8), wholeCard(10);
  for (int i = 0; i < 8; ++i)
    ASSERT_EQ(encodeHorse(race->profile.horses[spec.cardIndexes[i]], finishers[i]), 85);
  for (int h = 0; h < 10; ++h) encodeHorse(race->profile.horses[h], wholeCard[h]);
  bool differsFromWholeCard = false;
  for (int i = 0; i < 8; ++i) {
    const HorseInputs expected = standardizeField(finishers, i);
    const HorseInputs overCard = standardizeField(wholeCard, spec.cardIndexes[i]);
    for (int k = 0; k < 85; ++k) {
      const float stored = floatAt(bytes, 4 + 344 * static_cast<size_t>(i) + 4 * static_cast<size_t>(k));
      EXPECT_EQ(stored, expected[k]) << "finisher " << i << " input " << k;
      differsFromWholeCard = differsFromWholeCard || stored != overCard[k];
    }
    EXPECT_EQ(intAt(bytes, 344 + 344 * static_cast<size_t>(i)), spec.finishes[i]) << "finisher " << i;
  }
  // Otherwise the check above could not tell the two fields apart.
  EXPECT_TRUE(differsFromWholeCard);
  for (size_t offset = 4 + 344 * 8; offset < bytes.size(); ++offset) {
    ASSERT_EQ(bytes[offset], 0) << "padding byte " << offset;
  }
}

PatternRaceSpec specOf(int cardHorses, std::vector<int> cardIndexes, std::vector<int> finishes = {}) {
  PatternRaceSpec spec;
  spec.cardHorses = cardHorses;
  spec.cardIndexes = std::move(cardIndexes);
  spec.finishes = std::move(finishes);
  return spec;
}

TEST(BuildPattern, WhichRacesGiveAPattern) {
  struct Case {
    const char* name;
    PatternRaceSpec spec;
    int finisherCount = -1;  // overrides the result's count (a damaged record)
    PatternBuild expected;
  };
  const Case cases[] = {
      {"4 finishers", specOf(5, {0, 1, 2, 3}), -1, PatternBuild::kNoPattern},
      {"5 finishers", specOf(5, {0, 1, 2, 3, 4}), -1, PatternBuild::kBuilt},
      {"12 finishers", specOf(12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), -1, PatternBuild::kBuilt},
      {"13 finishers", specOf(13, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), -1, PatternBuild::kNoPattern},
      {"finish 0", specOf(6, {0, 1, 2, 3, 4}, {1, 2, 0, 4, 5}), -1, PatternBuild::kNoPattern},
      {"finish 64", specOf(6, {0, 1, 2, 3, 4}, {1, 2, 64, 4, 5}), -1, PatternBuild::kBuilt},
      {"finish 65", specOf(6, {0, 1, 2, 3, 4}, {1, 2, 65, 4, 5}), -1, PatternBuild::kNoPattern},
      {"finisher on a slot beyond the card's horses", specOf(6, {0, 1, 2, 3, 6}), -1,
       PatternBuild::kNoPattern},
      {"finisher on slot 255", specOf(6, {0, 1, 2, 3, 255}), -1, PatternBuild::kNoPattern},
      {"count 255 in a damaged result", specOf(6, {0, 1, 2, 3, 4}), 255, PatternBuild::kNoPattern},
  };
  for (const Case& c : cases) {
    auto race = patternRace(c.spec);
    if (c.finisherCount >= 0) race->result.finisherCount = static_cast<uint8_t>(c.finisherCount);
    PatternRecord record;
    std::memset(static_cast<void*>(&record), 0xAB, sizeof record);
    EXPECT_EQ(buildPattern(race->profile, race->result, record), c.expected) << c.name;
    if (c.expected == PatternBuild::kBuilt) {
      EXPECT_EQ(record.horseCount, static_cast<int32_t>(c.spec.cardIndexes.size())) << c.name;
    }
  }
}

class WritePatternsTest : public ::testing::Test {
 protected:
  fs::path datasetPath() const { return folder_.path() / "Races.DSI"; }
  fs::path patternPath() const { return folder_.path() / "SIMPAT.DAT"; }

  PatternRun write(const RaceCriteria& criteria, ProgressSink& progress) {
    std::ifstream dataset(datasetPath(), std::ios::binary);
    ReplacementFile out(patternPath().string());
    PatternRun run = writePatterns(criteria, dataset, datasetPath().string(), out, ui_, progress);
    if (run.patterns >= 0) {
      EXPECT_TRUE(out.replaceTarget()) << out.problem();
    }
    return run;
  }

  std::string patternBytes() const {
    std::ifstream in(patternPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Every file of the folder other than the dataset and the pattern file.
  std::vector<std::string> strayFiles() const {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(folder_.path())) {
      if (entry.path() != datasetPath() && entry.path() != patternPath())
        stray.push_back(entry.path().string());
    }
    return stray;
  }

  test::TempFolder folder_;
  RecordingInteraction ui_;
};

// Eight finishers (dry), four (wet), thirteen (dry), six with no track
// condition, five (wet).
std::vector<std::unique_ptr<Race>> mixedRaces() {
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(8, 2, 0, 2));
  races.push_back(raceWithFinishers(4, 1, 1));
  races.push_back(raceWithFinishers(13, 2, 2));
  races.push_back(raceWithFinishers(6, 0, 3));
  races.push_back(raceWithFinishers(5, 1, 4));
  return races;
}

TEST_F(WritePatternsTest, CountsRacesAndWritesTheirPatternsInOrder) {
  const auto races = mixedRaces();
  test::writeDatasetFile(datasetPath(), races);

  struct Case {
    const char* name;
    int condition;  // criteria item: 0 all, 1 wet, 2 dry
    int64_t patterns;
    int races;
    std::vector<int> recordOf;  // the races whose records the file holds, in order
  };
  const Case cases[] = {
      // Races 1 and 3 pass but give no pattern; race 4 (condition 0) is not counted.
      {"all conditions", 0, 2, 4, {0, 4}},
      {"wet only", 1, 1, 2, {4}},
      {"dry only", 2, 1, 2, {0}},
  };
  for (const Case& c : cases) {
    CriteriaChoices choices;
    choices.condition = c.condition;
    NoProgress progress;
    const PatternRun run = write(buildCriteria(choices), progress);
    EXPECT_EQ(run.patterns, c.patterns) << c.name;
    EXPECT_EQ(run.races, c.races) << c.name;
    EXPECT_FALSE(run.cancelled) << c.name;
    std::string expected;
    for (int index : c.recordOf) {
      PatternRecord record;
      ASSERT_EQ(buildPattern(races[index]->profile, races[index]->result, record), PatternBuild::kBuilt);
      expected += bytesOf(record);
    }
    EXPECT_EQ(patternBytes(), expected) << c.name;
  }
  EXPECT_TRUE(ui_.empty());
  EXPECT_TRUE(strayFiles().empty());
}

TEST_F(WritePatternsTest, ReportsProgressPerRaceAndStopsOnCancel) {
  test::writeDatasetFile(datasetPath(), mixedRaces());
  RecordingProgress progress;
  const PatternRun done = write(buildCriteria({}), progress);
  ASSERT_EQ(done.patterns, 2);
  const std::vector<int> percents = progress.percents();
  ASSERT_EQ(percents.size(), 5u);  // once per race, the skipped ones included
  for (size_t i = 1; i < percents.size(); ++i) {
    EXPECT_GT(percents[i], percents[i - 1]);
  }
  EXPECT_EQ(percents.back(), 100);

  RecordingProgress cancelling(2);
  const PatternRun cancelled = write(buildCriteria({}), cancelling);
  EXPECT_EQ(cancelled.patterns, -1);
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_EQ(cancelling.percents().size(), 2u);
  EXPECT_TRUE(ui_.empty());  // the caller tells the user
  EXPECT_TRUE(strayFiles().empty());
}

TEST_F(WritePatternsTest, EmptyDatasetAndDamagedDataset) {
  test::writeDatasetFile(datasetPath(), {});
  NoProgress progress;
  const PatternRun empty = write(buildCriteria({}), progress);
  EXPECT_EQ(empty.patterns, 0);
  EXPECT_EQ(empty.races, 0);
  EXPECT_TRUE(fs::exists(patternPath()));
  EXPECT_EQ(fs::file_size(patternPath()), 0u);

  // The last race cut short: the races before it still give their patterns.
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(6, 2));
  races.push_back(raceWithFinishers(7, 2, 1));
  test::writeDatasetFile(datasetPath(), races);
  fs::resize_file(datasetPath(), fs::file_size(datasetPath()) - 10);
  const PatternRun damaged = write(buildCriteria({}), progress);
  EXPECT_EQ(damaged.patterns, 1);
  EXPECT_EQ(damaged.races, 1);
  EXPECT_NE(damaged.damage.find("Races.DSI"), std::string::npos) << damaged.damage;
}

TEST_F(WritePatternsTest, PatternFileThatCannotBeCreated) {
  test::writeDatasetFile(datasetPath(), mixedRaces());
  std::ifstream dataset(datasetPath(), std::ios::binary);
  ReplacementFile out((folder_.path() / "missing" / "SIMPAT.DAT").string());
  NoProgress progress;
  const PatternRun run = writePatterns(buildCriteria({}), dataset, "Races.DSI", out, ui_, progress);
  EXPECT_EQ(run.patterns, -1);
  EXPECT_EQ(ui_.errors(),
            std::vector<std::string>{"Cannot create SIM pattern file\nCannot create a temporary file in " +
                                     (folder_.path() / "missing").string() + ": No such file or directory"});
}

TEST_F(WritePatternsTest, WriteFailureStopsTheRun) {
  // Twenty patterns are 82,640 bytes, more than the writer keeps buffered.
  std::vector<std::unique_ptr<Race>> races;
  for (int i = 0; i < 20; ++i) races.push_back(raceWithFinishers(6, 2, i));
  test::writeDatasetFile(datasetPath(), races);
  std::ifstream dataset(datasetPath(), std::ios::binary);
  PatternRun run;
  {
    // The disk fills up during the first block: part of it is written, then
    // nothing more.
    test::FaultyFileSystem fullDisk;
    fullDisk.shortenWrite(1);
    fullDisk.failWritesFrom(2, EFBIG);
    ReplacementFile out(patternPath().string(), fullDisk);
    NoProgress progress;
    run = writePatterns(buildCriteria({}), dataset, "Races.DSI", out, ui_, progress);
  }
  EXPECT_EQ(run.patterns, -1);
  EXPECT_FALSE(run.cancelled);
  EXPECT_LT(run.races, 20);
  // The message names the temporary file being written and the reason.
  ASSERT_EQ(ui_.errors().size(), 1u);
  EXPECT_TRUE(
      ui_.errors()[0].starts_with("Error creating SIM pattern file (disk probably full)\nCannot write " +
                                  (patternPath().parent_path() / ".SIMPAT.DAT.").string()))
      << ui_.errors()[0];
  EXPECT_TRUE(ui_.errors()[0].ends_with(": File too large")) << ui_.errors()[0];
  EXPECT_FALSE(fs::exists(patternPath()));
  EXPECT_TRUE(strayFiles().empty());
}

}  // namespace
}  // namespace stridewell
