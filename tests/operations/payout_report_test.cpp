// The payout reports: medians and means without zeros, the exact text and
// comma lines of both reports (worked out by hand from the line formats),
// track grouping and order ignoring letter case, the 256-track limit, and
// how a run ends on an empty, damaged or missing dataset, on Cancel and on
// report files that cannot be written.
#include "operations/payout_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "report_races.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

using test::readFile;
using test::RecordingInteraction;
using test::RecordingProgress;
using test::ReportRace;

constexpr const char* kTextHeadings =
    "          Median  Median   Median    Median   Mean    Mean     Mean     Mean  \n";
constexpr const char* kCommaHeadings =
    "   ,     ,Median, Median , Median ,  Median , Mean ,  Mean  ,  Mean  ,  Mean  \n";
constexpr const char* kExoticsText =
    "Trk Races Exacta Quinella Trifecta Suprfecta Exacta Quinella Trifecta Suprfecta\n";
constexpr const char* kExoticsComma =
    "Trk,Races,Exacta,Quinella,Trifecta,Suprfecta,Exacta,Quinella,Trifecta,Suprfecta\n";
constexpr const char* kDoubleText =
    "Trk Races DailyD   Pick3    Pick4     Pick6  DailyD   Pick3    Pick4    Pick6 \n";
constexpr const char* kDoubleComma =
    "Trk,Races,DailyD,  Pick3 ,  Pick4 ,   Pick6 ,DailyD,  Pick3 ,  Pick4 ,  Pick6 \n";

struct StatisticsCase {
  const char* what;
  std::vector<float> values;
  float median;
  float mean;
};

TEST(PayoutReport, MediansAndMeansLeaveOutZeros) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const StatisticsCase cases[] = {
      {"zero left out of both", {10.0f, 0.0f, 30.0f, 20.0f}, 20.0f, 20.0f},
      {"even count: half of the middle two", {10.0f, 20.0f, 30.0f, 40.0f}, 25.0f, 25.0f},
      {"even count given unsorted", {40.0f, 10.0f, 30.0f, 20.0f}, 25.0f, 25.0f},
      {"odd count: the middle value, not the mean", {1.0f, 6.0f, 2.0f}, 2.0f, 3.0f},
      {"zeros turn an odd count even", {7.0f, 0.0f, 1.0f, 0.0f, 0.0f}, 4.0f, 4.0f},
      {"one value", {5.5f}, 5.5f, 5.5f},
      {"only zeros", {0.0f, 0.0f}, 0.0f, 0.0f},
      {"nothing", {}, 0.0f, 0.0f},
      {"skewed even count", {2.0f, 4.0f, 6.0f, 100.0f}, 5.0f, 28.0f},
      {"a value that is no number is left out like a zero", {nan, 3.0f, 9.0f}, 6.0f, 6.0f},
  };
  for (const StatisticsCase& c : cases) {
    const PayoutStatistics stats = payoutStatistics(c.values);
    EXPECT_FLOAT_EQ(stats.median, c.median) << c.what;
    EXPECT_FLOAT_EQ(stats.mean, c.mean) << c.what;
  }
}

class PayoutReportRun : public ::testing::Test {
 protected:
  std::string dataset() const { return (folder_.path() / "RUN.DSI").string(); }
  std::string textPath() const { return (folder_.path() / "etext.txt").string(); }
  std::string commaPath() const { return (folder_.path() / "ecomma.txt").string(); }

  ReportOutcome run(PayoutReportKind kind, const std::vector<ReportRace>& races) {
    test::writeFile(dataset(), test::datasetBytes(races));
    return runPayoutReport(kind, "Run", dataset(), textPath(), commaPath(), ui_, progress_);
  }

  test::TempFolder folder_;
  RecordingInteraction ui_;
  RecordingProgress progress_;
};

TEST_F(PayoutReportRun, ExoticsLinesGroupedAndOrderedIgnoringCase) {
  // Daily-double values are set as well: the exotics report must not read them.
  const std::vector<ReportRace> races = {
      {"SAR", "20010801", 1, {10.00f, 0, 100.50f, 0, 99, 99, 99, 99}},
      {"aqu", "20010101", 1, {12.40f, 6.20f, 0, 1234.56f, 99, 99, 99, 99}},
      {"Bel", "20010601", 1, {0, 0, 0, 0, 99, 99, 99, 99}},
      {"SAR", "20010801", 2, {0, 8.00f, 50.30f, 0}},
      {"AQU", "20010101", 2, {20.00f, 0, 0, 0}},
      {"SAR", "20010801", 3, {30.00f, 4.00f, 0, 0}},
      {"SAR", "20010801", 4, {80.00f, 0, 0, 0}},
  };
  ASSERT_EQ(run(PayoutReportKind::kExotics, races), ReportOutcome::kDone);
  // aqu: exacta 12.40 and 20.00 (median and mean 16.20), quinella 6.20, no
  // trifecta, superfecta 1234.56. Bel: one race, all zero, still counted.
  // SAR: exacta 10, 30, 80 (median 30, mean 40), quinella 8 and 4 (6),
  // trifecta 100.50 and 50.30 (75.40). Bel < SAR < aqu in byte order, so
  // the order shows the case is ignored; AQU joins aqu under the first code.
  const std::string aquText =
      "aqu     2 $ 16.20 $  6.20 $   0.00 $ 1234.56 $ 16.20 $  6.20 $   0.00 $ 1234.56\n";
  const std::string belText =
      "Bel     1 $  0.00 $  0.00 $   0.00 $    0.00 $  0.00 $  0.00 $   0.00 $    0.00\n";
  const std::string sarText =
      "SAR     4 $ 30.00 $  6.00 $  75.40 $    0.00 $ 40.00 $  6.00 $  75.40 $    0.00\n";
  EXPECT_EQ(readFile(textPath()), std::string("DataSet: Run\n\n") + kTextHeadings + kExoticsText + aquText +
                                      belText + sarText + "\n7 races total.\n");
  const std::string aquComma = "aqu,    2, 16.20,  6.20,   0.00, 1234.56, 16.20,  6.20,   0.00, 1234.56\n";
  const std::string belComma = "Bel,    1,  0.00,  0.00,   0.00,    0.00,  0.00,  0.00,   0.00,    0.00\n";
  const std::string sarComma = "SAR,    4, 30.00,  6.00,  75.40,    0.00, 40.00,  6.00,  75.40,    0.00\n";
  EXPECT_EQ(readFile(commaPath()),
            std::string(kCommaHeadings) + kExoticsComma + aquComma + belComma + sarComma);
  EXPECT_TRUE(ui_.empty());
}

TEST_F(PayoutReportRun, DailyDoubleLinesCarryOneDecimal) {
  // Exotic values are set as well: the daily-double report must not read them.
  const std::vector<ReportRace> races = {
      {"CDX", "20020504", 1, {99, 99, 99, 99, 45.60f, 120.00f, 0, 0}},
      {"CDX", "20020504", 2, {99, 99, 99, 99, 0, 80.00f, 2000.40f, 0}},
  };
  ASSERT_EQ(run(PayoutReportKind::kDailyDouble, races), ReportOutcome::kDone);
  EXPECT_EQ(readFile(textPath()),
            std::string("DataSet: Run\n\n") + kTextHeadings + kDoubleText +
                "CDX     2 $  45.6 $ 100.0 $ 2000.4 $     0.0 $  45.6 $ 100.0 $ 2000.4 $     0.0\n"
                "\n2 races total.\n");
  EXPECT_EQ(readFile(commaPath()),
            std::string(kCommaHeadings) + kDoubleComma +
                "CDX,    2,  45.6, 100.0, 2000.4,     0.0,  45.6, 100.0, 2000.4,     0.0\n");
}

TEST_F(PayoutReportRun, EmptyDatasetGivesHeadingsAndZeroTotal) {
  ASSERT_EQ(run(PayoutReportKind::kExotics, {}), ReportOutcome::kDone);
  EXPECT_EQ(readFile(textPath()),
            std::string("DataSet: Run\n\n") + kTextHeadings + kExoticsText + "\n0 races total.\n");
  EXPECT_EQ(readFile(commaPath()), std::string(kCommaHeadings) + kExoticsComma);
  EXPECT_TRUE(ui_.empty());
}

// Codes "B" followed by two letters: all sort after "AAA".
std::string codeNumber(int i) {
  return std::string("B") + static_cast<char>('A' + i / 26) + static_cast<char>('A' + i % 26);
}

TEST_F(PayoutReportRun, TrackCodesBeyondTheFirst256AreLeftOut) {
  std::vector<std::string> codes;
  for (int i = 0; i < 256; ++i) codes.push_back(codeNumber(i));
  std::vector<ReportRace> races;
  for (const std::string& code : codes) races.push_back({code.c_str(), "20010101", 1, {10.0f}});
  // The 257th code would sort first; a known code in another case still counts.
  races.push_back({"AAA", "20010101", 1, {10.0f}});
  races.push_back({"bAa", "20010101", 2, {30.0f}});
  ASSERT_EQ(run(PayoutReportKind::kExotics, races), ReportOutcome::kDone);

  const std::string text = readFile(textPath());
  EXPECT_EQ(text.find("AAA"), std::string::npos);
  EXPECT_NE(text.find("BAA     2 $ 20.00"), std::string::npos);
  EXPECT_NE(text.find("\n257 races total.\n"), std::string::npos);
  const std::string comma = readFile(commaPath());
  EXPECT_EQ(std::count(comma.begin(), comma.end(), '\n'), 2 + 256);
  // The first track line is BAA, the last BJV (255 = 9 * 26 + 21).
  EXPECT_EQ(comma.substr(comma.find("BAA,")).substr(0, 4), "BAA,");
  EXPECT_NE(comma.rfind("\nBJV,"), std::string::npos);
  EXPECT_EQ(comma.rfind("\nBJV,"), comma.rfind('\n', comma.size() - 2));
  ASSERT_EQ(ui_.warnings().size(), 1u);
  EXPECT_NE(ui_.warnings()[0].find("1 race of further track codes left out"), std::string::npos);
  EXPECT_NE(ui_.warnings()[0].find(dataset()), std::string::npos);
}

TEST_F(PayoutReportRun, DamagedDatasetReportsTheRacesBeforeTheDamage) {
  std::string bytes = test::datasetBytes({
      {"SAR", "20010801", 1, {10.0f}},
      {"SAR", "20010801", 2, {30.0f}},
  });
  const std::string third = test::datasetBytes({{"SAR", "20010801", 3, {500.0f}}});
  bytes += third.substr(0, third.size() - 2);  // the file ends inside the third race
  test::writeFile(dataset(), bytes);
  ASSERT_EQ(
      runPayoutReport(PayoutReportKind::kExotics, "Run", dataset(), textPath(), commaPath(), ui_, progress_),
      ReportOutcome::kDone);
  EXPECT_EQ(readFile(commaPath()),
            std::string(kCommaHeadings) + kExoticsComma +
                "SAR,    2, 20.00,  0.00,   0.00,    0.00, 20.00,  0.00,   0.00,    0.00\n");
  EXPECT_NE(readFile(textPath()).find("\n2 races total.\n"), std::string::npos);
  ASSERT_EQ(ui_.warnings().size(), 1u);
  EXPECT_NE(ui_.warnings()[0].find(dataset() + ": race 3 is damaged"), std::string::npos);
  EXPECT_TRUE(ui_.errors().empty());
}

TEST_F(PayoutReportRun, PercentFollowsThePositionInTheFile) {
  // Four races of equal size: a quarter of the file each.
  const std::vector<ReportRace> races(4, ReportRace{"SAR", "20010801", 1, {10.0f}});
  ASSERT_EQ(run(PayoutReportKind::kExotics, races), ReportOutcome::kDone);
  EXPECT_EQ(progress_.percents(), (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(PayoutReportRun, CancelRemovesBothFilesAndSaysNothing) {
  test::writeFile(textPath(), "old report");
  RecordingProgress cancelling(2);
  test::writeFile(dataset(), test::datasetBytes(std::vector<ReportRace>(4, ReportRace{})));
  EXPECT_EQ(
      runPayoutReport(PayoutReportKind::kExotics, "Run", dataset(), textPath(), commaPath(), ui_, cancelling),
      ReportOutcome::kCancelled);
  EXPECT_EQ(cancelling.percents().size(), 2u);  // stopped at the first look after the Cancel
  EXPECT_FALSE(std::filesystem::exists(textPath()));
  EXPECT_FALSE(std::filesystem::exists(commaPath()));
  EXPECT_TRUE(ui_.empty());
}

TEST_F(PayoutReportRun, CancelLeavesAnEarlierCommaFileAsItWas) {
  // The comma file may be one the user named; a cancelled run never wrote it.
  test::writeFile(commaPath(), "the user's own table\n");
  RecordingProgress cancelling(2);
  test::writeFile(dataset(), test::datasetBytes(std::vector<ReportRace>(4, ReportRace{})));
  EXPECT_EQ(
      runPayoutReport(PayoutReportKind::kExotics, "Run", dataset(), textPath(), commaPath(), ui_, cancelling),
      ReportOutcome::kCancelled);
  EXPECT_EQ(readFile(commaPath()), "the user's own table\n");
  EXPECT_EQ(test::folderEntries(folder_.path()), (std::vector<std::string>{"RUN.DSI", "ecomma.txt"}));
  EXPECT_TRUE(ui_.empty());
}

TEST_F(PayoutReportRun, FailuresShowTheErrorAndLeaveNoFiles) {
  struct Case {
    const char* what;
    std::string datasetPath;
    std::string textPath;
    std::string named;  // the path the error's second line names
  };
  const std::string missingFolder = (folder_.path() / "no-such-folder" / "etext.txt").string();
  test::writeFile(dataset(), test::datasetBytes({ReportRace{}}));
  const Case cases[] = {
      {"dataset missing", (folder_.path() / "GONE.DSI").string(), textPath(),
       (folder_.path() / "GONE.DSI").string()},
      {"text file cannot be created", dataset(), missingFolder, missingFolder},
  };
  for (const Case& c : cases) {
    RecordingInteraction ui;
    EXPECT_EQ(runPayoutReport(PayoutReportKind::kExotics, "Run", c.datasetPath, c.textPath, commaPath(), ui,
                              progress_),
              ReportOutcome::kFailed)
        << c.what;
    ASSERT_EQ(ui.errors().size(), 1u) << c.what;
    EXPECT_EQ(ui.errors()[0], std::string(kReportErrorText) + "\n" + "Cannot " +
                                  (c.named == c.datasetPath ? "open " : "create ") + c.named +
                                  ": No such file or directory")
        << c.what;
    EXPECT_FALSE(std::filesystem::exists(c.textPath)) << c.what;
    EXPECT_FALSE(std::filesystem::exists(commaPath())) << c.what;
  }
}

TEST_F(PayoutReportRun, FileFaultsLeaveTheEarlierReportsAndNoTemporary) {
  const std::vector<ReportRace> races = {{"SAR", "20010801", 1, {10.0f}}, {"SAR", "20010801", 2, {30.0f}}};
  test::writeFile(dataset(), test::datasetBytes(races));
  ASSERT_EQ(
      runPayoutReport(PayoutReportKind::kExotics, "Run", dataset(), textPath(), commaPath(), ui_, progress_),
      ReportOutcome::kDone);
  const std::string newText = readFile(textPath());
  const std::string newComma = readFile(commaPath());
  const std::string gone = (folder_.path() / "GONE.DSI").string();
  std::vector<test::ReportRunCase> cases = test::reportRunCases(dataset(), gone, textPath());
  cases.push_back({"full disk at the comma file, after the text file is complete",
                   [](auto& disk) { disk.failWritesFrom(2); }, dataset(), "Cannot write " + commaPath(),
                   "No space left on device"});
  for (const test::ReportRunCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::writeFile(textPath(), "the earlier text report\n");
    test::writeFile(commaPath(), "the earlier comma report\n");
    test::FaultyFileSystem disk;
    c.arrange(disk);
    RecordingInteraction ui;
    RecordingProgress progress;
    const ReportOutcome outcome = runPayoutReport(PayoutReportKind::kExotics, "Run", c.datasetPath,
                                                  textPath(), commaPath(), ui, progress, nullptr, disk);
    if (c.named.empty()) {
      EXPECT_EQ(outcome, ReportOutcome::kDone);
      EXPECT_TRUE(ui.empty());
      EXPECT_EQ(readFile(textPath()), newText);
      EXPECT_EQ(readFile(commaPath()), newComma);
    } else {
      EXPECT_EQ(outcome, ReportOutcome::kFailed);
      EXPECT_EQ(ui.errors(),
                std::vector<std::string>{std::string(kReportErrorText) + "\n" + c.named + ": " + c.reason});
      EXPECT_EQ(readFile(textPath()), "the earlier text report\n");
      EXPECT_EQ(readFile(commaPath()), "the earlier comma report\n");
    }
    EXPECT_EQ(test::folderEntries(folder_.path()),
              (std::vector<std::string>{"RUN.DSI", "ecomma.txt", "etext.txt"}));
  }
}

}  // namespace
}  // namespace stridewell
