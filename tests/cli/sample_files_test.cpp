// The commands on a day of generated sample files: every race and every
// running horse of the card reaches the output, the results agree with the
// card on the races, and a spoiled check code is caught with its line.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/card_command.h"
#include "cli/results_command.h"
#include "cli_test_support.h"
#include "sample_generator.h"

namespace stridewell::cli {
namespace {

using test::runCommand;
using test::TempFile;

// The first fields of a line, quotes removed (the key fields and the
// scratch mark hold no commas).
std::vector<std::string> leadingFields(const std::string& line, int count) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; static_cast<int>(fields.size()) < count && std::getline(in, field, ',');) {
    std::erase(field, '"');
    fields.push_back(field);
  }
  return fields;
}

struct CardCounts {
  size_t races = 0;
  size_t runners = 0;  // lines not marked "S" in field 5
};

CardCounts countCard(const std::string& text) {
  std::set<std::string> races;
  CardCounts counts;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> f = leadingFields(line, 5);
    if (f.size() < 5) continue;
    races.insert(f[0] + "/" + f[1] + "/" + f[2]);
    if (f[4] != "S" && f[4] != "s") ++counts.runners;
  }
  counts.races = races.size();
  return counts;
}

size_t countLines(const std::string& text, const std::string& needle) {
  return test::linesWith(text, needle).size();
}

TEST(SampleFilesTest, EveryRaceAndRunnerOfAGeneratedDayIsShown) {
  gen::SampleOptions options;
  options.seed = 7;
  const std::vector<gen::SampleDay> days = gen::generateSampleDays(options);
  ASSERT_EQ(days.size(), 1u);
  const TempFile card(days[0].baseName + ".TCF", days[0].cardText);
  const TempFile results(days[0].baseName + ".XRD", days[0].resultsText);

  const CardCounts expected = countCard(days[0].cardText);
  ASSERT_GT(expected.races, 0u);

  const test::CommandRun shown = runCommand(CardCommand(), {card.path()});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.err, "");
  EXPECT_EQ(countLines(shown.out, "  Race "), expected.races);
  // Every race prints one horse header; every runner one row that starts
  // with its post position under "PP".
  size_t rows = 0;
  std::istringstream out(shown.out);
  bool inTable = false;
  for (std::string line; std::getline(out, line);) {
    if (line.rfind("   PP Prog", 0) == 0) {
      inTable = true;
      continue;
    }
    if (line.empty()) inTable = false;
    if (inTable) ++rows;
  }
  EXPECT_EQ(rows, expected.runners);
  EXPECT_NE(shown.out.find(": " + std::to_string(expected.races) + " races read\n"), std::string::npos);

  const test::CommandRun paid = runCommand(ResultsCommand(), {results.path()});
  EXPECT_EQ(paid.status, 0);
  EXPECT_EQ(paid.err, "");
  EXPECT_EQ(countLines(paid.out, "  Race "), expected.races);
  // Every race has a winner with a win payoff.
  EXPECT_EQ(countLines(paid.out, "    1 "), expected.races);
}

TEST(SampleFilesTest, SpoiledCheckCodeIsReportedWithItsLine) {
  gen::SampleOptions options;
  options.seed = 7;
  options.badCheckLine = 12;
  const std::vector<gen::SampleDay> days = gen::generateSampleDays(options);
  ASSERT_EQ(days.size(), 1u);
  const TempFile card(days[0].baseName + ".TCF", days[0].cardText);
  const test::CommandRun r = runCommand(CardCommand(), {card.path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "stridewell card: error: " + card.path() +
                       ": line 12 fails its check code; the file is not valid\n");
}

}  // namespace
}  // namespace stridewell::cli
