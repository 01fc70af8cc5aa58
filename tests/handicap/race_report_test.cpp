// The race block of the handicap report on races read from card lines: the
// header lines, the skip lines, the finish-order table (checked against the
// report's printf row format filled by hand), and the SIM choice of an SI
// Map for a dry and a wet track.
#include "handicap/race_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "handicap/sim_rule_builder.h"
#include "model/sim_model.h"
#include "patterns/race_scoring.h"
#include "race/card_line_builder.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

using test::CardLineBuilder;
using test::horseLine;
using test::joinLines;
using test::readCard;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> found;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) found.push_back(line);
  return found;
}

template <typename... Args>
std::string printed(const char* format, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

const char* const kNames[] = {"ALPHA", "BRAVO STAR",    "CHARLIE", "DELTA DAWN",
                              "ECHO",  "FOXTROT FLYER", "GOLF"};

// Race 5 at Santa Anita on 15 March 2024: 6 furlongs on dirt, claiming
// $25,000, 3-year-olds and up, fillies and mares, two comment lines. Horse
// h (from 1) is a filly foaled in 2020 carrying 115 + h lb under J. RIDER h.
CardLineBuilder raceLine(int post) {
  CardLineBuilder line = horseLine("SA", "20240315", "5", kNames[post - 1]);
  line.set(4, std::to_string(post)).set(6, "1320").set(7, "D").set(8, "C").set(10, "25000");
  line.set(145, "SA").set(195, "5").set(144, "BUM");
  line.set(1142, "\"CLAIMING $25,000\"").set(1143, "FOR FILLIES AND MARES THREE YEARS OLD AND UPWARD");
  line.set(15, "F").set(140, "20200401").set(17, std::to_string(115 + post));
  line.set(83, "J. RIDER " + std::to_string(post));
  return line;
}

struct FieldOptions {
  int horses = 6;
  bool programNumbers = true;
  bool morningLines = true;
  std::string hostTrack = "SA";
  std::string yards = "1320";
  std::string surface = "D";
};

std::unique_ptr<Race> readRace(const FieldOptions& options) {
  std::vector<std::string> built;
  for (int post = 1; post <= options.horses; ++post) {
    CardLineBuilder line = raceLine(post);
    line.set(145, options.hostTrack).set(6, options.yards).set(7, options.surface);
    if (options.programNumbers) line.set(1140, post == 2 ? "1A" : std::to_string(post));
    if (options.morningLines) line.set(1141, std::to_string(post + 1));
    if (post == 1) line.set(87, "3");  // Lasix and Bute
    built.push_back(line.build());
  }
  auto outcome = readCard(joinLines(built));
  EXPECT_EQ(outcome.races.size(), 1u);
  return std::make_unique<Race>(outcome.races.at(0));
}

class RaceReportTest : public ::testing::Test {
 protected:
  RaceReportTest() : model_(true) {
    const int32_t hidden[] = {20};
    EXPECT_GT(model_.defineNet(425, 5, hidden, "", true), 0);
    sims_.model = &model_;
  }

  std::string report(const Race& race) {
    std::ostringstream out;
    writeRaceReport(race, sims_, out);
    return out.str();
  }

  // The finish-order rows the model gives, built from the row format with
  // the values filled in by hand.
  std::vector<std::string> expectedRows(const Race& race, const char* rowFormat) {
    RacePrediction prediction;
    EXPECT_EQ(scoreRace(prediction, model_, race.profile, 2), 5);
    const char* ordinals[] = {"Win:", "Place:", "Show:", "Fourth:", "Fifth:"};
    std::vector<std::string> rows;
    for (int place = 0; place < prediction.entryCount; ++place) {
      const PredictedHorse& pick = prediction.entries[place];
      const int post = pick.horse + 1;  // the field is in post order
      const std::string program = post == 2 ? " 1A/2" : "   " + std::to_string(post);
      rows.push_back(printed(rowFormat, ordinals[place], program.c_str(), kNames[post - 1],
                             printed("%5.2f", pick.winPercent).c_str(),
                             printed("%5.2f", pick.fairOdds).c_str(), printed("%5.2f", post + 1.0).c_str(),
                             post == 1 ? "LB" : "  ", "4f", 115 + post,
                             ("J. RIDER " + std::to_string(post)).c_str()));
    }
    return rows;
  }

  SimModel model_;
  ReportSims sims_;
};

TEST_F(RaceReportTest, TooFewHorsesGivesTheHeaderAndTheSkipLineOnly) {
  FieldOptions options;
  options.horses = 4;
  EXPECT_EQ(report(*readRace(options)),
            "15-MAR-24 Race 5 at Santa Anita\n"
            "Claiming [$25,000] race at 6 furlongs on DIRT (SPRINT)\n"
            "********** RACE SKIPPED (too few horses) **********\n\n");
}

TEST_F(RaceReportTest, SimulcastHeader) {
  FieldOptions options;
  options.hostTrack = "GP";
  const auto simulcast = readRace(options);
  EXPECT_EQ(raceHeaderLine(*simulcast),
            "15-MAR-24 Race 5 at Santa Anita [Simulcast of Race 5 at Gulfstream Park]");
  // The host in any letter case, or as its three-letter code, is the card's own track.
  for (const char* host : {"sa", "SAX", "sax"}) {
    options.hostTrack = host;
    EXPECT_EQ(raceHeaderLine(*readRace(options)), "15-MAR-24 Race 5 at Santa Anita") << host;
  }
}

TEST_F(RaceReportTest, RaceLineForRoutesAndOtherSurfaces) {
  FieldOptions options;
  options.horses = 3;
  options.yards = "1870";
  options.surface = "T";
  EXPECT_EQ(lines(report(*readRace(options))).at(1),
            "Claiming [$25,000] race at 1+1/16 miles on TURF (ROUTE)");
  options.yards = "1760";
  options.surface = "A";
  EXPECT_EQ(lines(report(*readRace(options))).at(1),
            "Claiming [$25,000] race at 1 mile on SYNTHETIC (ROUTE)");
}

TEST_F(RaceReportTest, SingleSimBlock) {
  const auto race = readRace(FieldOptions());
  const std::string text = report(*race);
  const std::vector<std::string> got = lines(text);
  ASSERT_GE(got.size(), 8u);
  EXPECT_EQ(got[0], "15-MAR-24 Race 5 at Santa Anita");
  EXPECT_EQ(got[1], "Claiming [$25,000] race at 6 furlongs on DIRT (SPRINT)");
  EXPECT_EQ(got[2], "3 yr olds and up (Fillies & Mares only)");
  // The two comments fit in 75 characters: one line.
  EXPECT_EQ(got[3], "CLAIMING $25,000, FOR FILLIES AND MARES THREE YEARS OLD AND UPWARD");
  EXPECT_EQ(got[4], "");
  // The alerts block, a blank line, then the lone blank that opens the orders.
  size_t blank = 5;
  while (blank < got.size() && !got[blank].empty()) ++blank;
  ASSERT_LT(blank + 8, got.size());
  EXPECT_GT(blank, 5u);  // some alert text was written
  EXPECT_EQ(got[blank + 1], " ");
  // Name width 13 (FOXTROT FLYER); program numbers and morning lines shown.
  const char* rowFormat = "%-7s %-6s %-13s %5s %5s %5s %2s %3s %3d %s";
  EXPECT_EQ(got[blank + 2], printed("%-7s %-6s %-13s %5s %5s %5s %2s %3s %3s %s", "", "Pgm/PP", "Horse",
                                    "Score", "Wodds", "Modds", "Rx", "Age", "Wgt", "Jockey"));
  const std::vector<std::string> rows = expectedRows(*race, rowFormat);
  ASSERT_EQ(rows.size(), 5u);
  for (int place = 0; place < 5; ++place) EXPECT_EQ(got[blank + 3 + place], rows[place]);
  // Four line ends close the block, after the fifth row's own.
  EXPECT_EQ(text.substr(text.size() - 5), "\n\n\n\n\n");
  EXPECT_EQ(got.size(), blank + 8 + 4);
}

TEST_F(RaceReportTest, WithoutProgramNumbersOrMorningLines) {
  FieldOptions options;
  options.programNumbers = false;
  options.morningLines = false;
  const auto race = readRace(options);
  const std::vector<std::string> got = lines(report(*race));
  size_t header = 0;
  while (header < got.size() && got[header].find("Horse") == std::string::npos) ++header;
  ASSERT_LT(header + 5, got.size());
  EXPECT_EQ(got[header], "        PP Horse         Score Wodds Rx Age Wgt Jockey");
  // The post position right-aligned in two characters, no morning line.
  RacePrediction prediction;
  ASSERT_EQ(scoreRace(prediction, model_, race->profile, 2), 5);
  const int post = prediction.entries[0].horse + 1;
  EXPECT_EQ(got[header + 1],
            printed("%-7s %2d %-13s %5.2f %5.2f %2s %3s %3d %s", "Win:", post, kNames[post - 1],
                    prediction.entries[0].winPercent, prediction.entries[0].fairOdds, post == 1 ? "LB" : "  ",
                    "4f", 115 + post, ("J. RIDER " + std::to_string(post)).c_str()));
}

// SI Map mode: rules resolved by hand, weights files in a temporary folder.
class MapReportTest : public RaceReportTest {
 protected:
  MapReportTest() {
    const int32_t hidden[] = {20};
    SimModel other(true);
    EXPECT_GT(other.defineNet(425, 5, hidden, "", true), 0);
    EXPECT_TRUE(other.saveWeights(folder_.path() / "A.SIM"));
    other.randomizeWeights();
    EXPECT_TRUE(other.saveWeights(folder_.path() / "B.SIM"));
    sims_.mapMode = true;
    sims_.simMap = &map_;
  }

  void setRule(int index, const std::string& sim, uint8_t conditionFlags) {
    map_[index] = test::everyRaceRule(conditionFlags, sim, (folder_.path() / (sim + ".SIM")).string());
  }

  test::TempFolder folder_;
  ResolvedSimMap map_{};
};

TEST_F(MapReportTest, OneRuleForBothConditionsGivesOneDryTable) {
  setRule(0, "A", RaceCriteria::kAllConditions);
  const std::string text = report(*readRace(FieldOptions()));
  EXPECT_NE(text.find("\n \nFinish order [SIM: A]:\n        Pgm/PP Horse"), std::string::npos) << text;
  EXPECT_EQ(text.find("DRY track"), std::string::npos);
  EXPECT_EQ(text.find("WET track"), std::string::npos);
}

TEST_F(MapReportTest, DryAndWetRulesEachGiveTheirTable) {
  setRule(0, "A", RaceCriteria::kDryOnly);
  setRule(1, "B", RaceCriteria::kWetOnly);
  const auto race = readRace(FieldOptions());
  const std::string text = report(*race);
  const std::string dryHeading = "\nFinish order (DRY track assumed) [SIM: A]:\n";
  const std::string wetHeading = "\nFinish order (WET track assumed) [SIM: B]:\n";
  const size_t dry = text.find(dryHeading);
  const size_t wet = text.find(wetHeading);
  ASSERT_NE(dry, std::string::npos) << text;
  ASSERT_NE(wet, std::string::npos) << text;
  EXPECT_LT(dry, wet);
  // Each table is scored by its own SIM.
  std::ostringstream dryTable;
  ASSERT_TRUE(model_.loadWeights(folder_.path() / "A.SIM"));
  writeFinishOrder(dryTable, *race, model_, 2);
  std::ostringstream wetTable;
  ASSERT_TRUE(model_.loadWeights(folder_.path() / "B.SIM"));
  writeFinishOrder(wetTable, *race, model_, 1);
  EXPECT_NE(dryTable.str(), wetTable.str());
  EXPECT_EQ(text.substr(dry + dryHeading.size(), dryTable.str().size()), dryTable.str());
  EXPECT_EQ(text.substr(wet + wetHeading.size(), wetTable.str().size()), wetTable.str());
}

TEST_F(MapReportTest, DisabledRulesAreSkippedAndAMissingSimIsReported) {
  setRule(0, "A", RaceCriteria::kAllConditions);
  map_[0].enabled = false;
  setRule(1, "A MISSING SIM WITH A NAME LONGER THAN THIRTY", RaceCriteria::kWetOnly);
  setRule(2, "A", RaceCriteria::kAllConditions);
  const std::string text = report(*readRace(FieldOptions()));
  // Dry: rule 3; wet: rule 2, whose file is missing; its name cut to 30.
  const size_t dry = text.find("\nFinish order (DRY track assumed) [SIM: A]:\n");
  const size_t error = text.find("\nERROR LOADING SIM: A MISSING SIM WITH A NAME LONG\n\n\n\n\n");
  EXPECT_NE(dry, std::string::npos) << text;
  EXPECT_NE(error, std::string::npos) << text;
  EXPECT_LT(dry, error);
  EXPECT_EQ(text.find("WET track"), std::string::npos);
}

TEST_F(MapReportTest, NoMatchingRuleSkipsTheRace) {
  setRule(0, "A", RaceCriteria::kAllConditions);
  map_[0].criteria.surfaceFlags = RaceCriteria::kTurfOnly;
  EXPECT_EQ(report(*readRace(FieldOptions())),
            "15-MAR-24 Race 5 at Santa Anita\n"
            "Claiming [$25,000] race at 6 furlongs on DIRT (SPRINT)\n"
            "********** RACE SKIPPED (no criteria match) **********\n\n");
}

}  // namespace
}  // namespace stridewell
