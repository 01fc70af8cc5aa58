// The contents report: race days on the calendar (weekdays, year ends,
// out-of-range fields), the exact report text worked out by hand from its
// line formats (track order ignoring case, days in date order across a year
// end, race numbers ascending and repeated, one-race tracks, two-digit
// years), and how a run ends on an empty, damaged or missing dataset, on
// Cancel and on a report file that cannot be written.
#include "operations/contents_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "race/card_values.h"
#include "report_races.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

using test::readFile;
using test::RecordingInteraction;
using test::RecordingProgress;
using test::ReportRace;

int32_t packed(int year, int month, int day) {
  return (year << 16) | (day << 8) | month;
}

struct DayCase {
  int32_t date;
  const char* weekday;
  int year, month, day;
};

TEST(ContentsReport, RaceDaysFollowTheCalendar) {
  // Weekdays from a calendar: 1 January 1970 was a Thursday, 1 January 2002
  // a Tuesday, 1 January 1999 a Friday, 8 December 2026 a Tuesday.
  const DayCase cases[] = {
      {packed(1970, 1, 1), "Thu", 1970, 1, 1},
      {packed(2001, 12, 30), "Sun", 2001, 12, 30},
      {packed(2001, 12, 31), "Mon", 2001, 12, 31},
      {packed(2002, 1, 1), "Tue", 2002, 1, 1},
      {packed(1999, 6, 15), "Tue", 1999, 6, 15},
      {packed(2000, 2, 29), "Tue", 2000, 2, 29},
      {packed(2026, 12, 8), "Tue", 2026, 12, 8},
      // Out-of-range fields carry over as calendar normalisation does.
      {packed(2001, 13, 1), "Tue", 2002, 1, 1},
      {packed(2001, 3, 0), "Wed", 2001, 2, 28},
      {packed(2001, 2, 29), "Thu", 2001, 3, 1},
      {packed(2001, 0, 5), "Tue", 2000, 12, 5},
  };
  for (const DayCase& c : cases) {
    const RaceDay day = raceDayOf(c.date);
    EXPECT_EQ(weekdayName(day.weekday), c.weekday) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(day.year, c.year);
    EXPECT_EQ(day.month, c.month);
    EXPECT_EQ(day.day, c.day);
  }
  EXPECT_EQ(raceDayOf(packed(1970, 1, 1)).dayNumber, 0);
  EXPECT_EQ(raceDayOf(packed(2002, 1, 1)).dayNumber - raceDayOf(packed(2001, 12, 31)).dayNumber, 1);
  EXPECT_EQ(raceDayOf(packed(2001, 3, 1)).dayNumber - raceDayOf(packed(2001, 2, 28)).dayNumber, 1);
  EXPECT_EQ(raceDayOf(packed(2000, 3, 1)).dayNumber - raceDayOf(packed(2000, 2, 28)).dayNumber, 2);
  // No date at all, and the largest year a record can hold, still land on a day.
  const RaceDay none = raceDayOf(0);
  EXPECT_EQ(none.month, 11);
  EXPECT_EQ(none.day, 30);
  EXPECT_EQ(raceDayOf(packed(65535, 255, 255)).month, 11);  // year 65556, month 3, day 255
}

class ContentsReportRun : public ::testing::Test {
 protected:
  std::string dataset() const { return (folder_.path() / "RUN.DSI").string(); }
  std::string output() const { return (folder_.path() / "ctext.txt").string(); }

  ReportOutcome run(const std::vector<ReportRace>& races) {
    test::writeFile(dataset(), test::datasetBytes(races));
    return runContentsReport("Run", dataset(), output(), ui_, progress_);
  }

  test::TempFolder folder_;
  RecordingInteraction ui_;
  RecordingProgress progress_;
};

TEST_F(ContentsReportRun, TracksInCodeOrderDaysInDateOrderRacesAscending) {
  const std::vector<ReportRace> races = {
      {"SAR", "20020102", 5, {}}, {"SAR", "20011230", 2, {}}, {"aqu", "20011231", 1, {}},
      {"SAR", "20020102", 2, {}}, {"SAR", "20011230", 1, {}}, {"SAR", "20020102", 3, {}},
      {"SAR", "20020102", 3, {}},  // the same race twice
      {"AQU", "20011231", 3, {}},  // joins aqu
      {"Bel", "19990615", 4, {}},
  };
  ASSERT_EQ(run(races), ReportOutcome::kDone);
  EXPECT_EQ(readFile(output()),
            "DataSet: Run\n"
            "\n"
            "aqu 12/31/01-12/31/01 (2 races)\n"
            "    Mon 12/31/01 Races: 1,3\n"
            "Bel 06/15/99-06/15/99 (1 race)\n"
            "    Tue 06/15/99 Races: 4\n"
            "SAR 12/30/01-01/02/02 (6 races)\n"
            "    Sun 12/30/01 Races: 1,2\n"
            "    Wed 01/02/02 Races: 2,3,3,5\n"
            "\n"
            "9 races total.\n");
  EXPECT_TRUE(ui_.empty());
}

TEST_F(ContentsReportRun, NineRacesThenEightOnTheNextDay) {
  std::vector<ReportRace> races;
  for (int number = 8; number >= 1; --number) races.push_back({"GPX", "20050306", number, {}});
  for (int number = 1; number <= 9; ++number) races.push_back({"GPX", "20050305", number, {}});
  ASSERT_EQ(run(races), ReportOutcome::kDone);
  // 5 March 2005 was a Saturday.
  EXPECT_EQ(readFile(output()),
            "DataSet: Run\n\n"
            "GPX 03/05/05-03/06/05 (17 races)\n"
            "    Sat 03/05/05 Races: 1,2,3,4,5,6,7,8,9\n"
            "    Sun 03/06/05 Races: 1,2,3,4,5,6,7,8\n"
            "\n17 races total.\n");
}

TEST_F(ContentsReportRun, EveryWeekdayName) {
  // 6 to 12 December 2026 run Sunday to Saturday; stored last day first.
  std::vector<ReportRace> races;
  const char* dates[] = {"20261212", "20261211", "20261210", "20261209", "20261208", "20261207", "20261206"};
  for (const char* date : dates) races.push_back({"DMR", date, 1, {}});
  ASSERT_EQ(run(races), ReportOutcome::kDone);
  EXPECT_EQ(readFile(output()),
            "DataSet: Run\n\n"
            "DMR 12/06/26-12/12/26 (7 races)\n"
            "    Sun 12/06/26 Races: 1\n"
            "    Mon 12/07/26 Races: 1\n"
            "    Tue 12/08/26 Races: 1\n"
            "    Wed 12/09/26 Races: 1\n"
            "    Thu 12/10/26 Races: 1\n"
            "    Fri 12/11/26 Races: 1\n"
            "    Sat 12/12/26 Races: 1\n"
            "\n7 races total.\n");
}

TEST_F(ContentsReportRun, EmptyDataset) {
  ASSERT_EQ(run({}), ReportOutcome::kDone);
  EXPECT_EQ(readFile(output()), "DataSet: Run\n\n\n0 races total.\n");
  EXPECT_TRUE(ui_.empty());
}

TEST_F(ContentsReportRun, DamagedDatasetReportsTheRacesBeforeTheDamage) {
  std::string bytes = test::datasetBytes({{"KEE", "20011005", 1, {}}, {"KEE", "20011005", 2, {}}});
  bytes += std::string("\x10\x00\x00", 3);  // half a race header
  test::writeFile(dataset(), bytes);
  ASSERT_EQ(runContentsReport("Run", dataset(), output(), ui_, progress_), ReportOutcome::kDone);
  // 5 October 2001 was a Friday.
  EXPECT_EQ(readFile(output()),
            "DataSet: Run\n\n"
            "KEE 10/05/01-10/05/01 (2 races)\n"
            "    Fri 10/05/01 Races: 1,2\n"
            "\n2 races total.\n");
  ASSERT_EQ(ui_.warnings().size(), 1u);
  EXPECT_NE(ui_.warnings()[0].find(dataset() + ": race 3 is damaged"), std::string::npos);
  EXPECT_NE(ui_.warnings()[0].find("the report covers the races before it"), std::string::npos);
}

TEST_F(ContentsReportRun, TrackCodesBeyondTheFirst256AreLeftOut) {
  std::vector<std::string> codes;
  for (int i = 0; i < 257; ++i) {
    codes.push_back(std::string("C") + static_cast<char>('A' + i / 26) + static_cast<char>('A' + i % 26));
  }
  std::vector<ReportRace> races;
  for (const std::string& code : codes) races.push_back({code.c_str(), "20010101", 1, {}});
  ASSERT_EQ(run(races), ReportOutcome::kDone);
  const std::string text = readFile(output());
  EXPECT_NE(text.find("\nCJV 01/01/01-01/01/01 (1 race)\n"), std::string::npos);  // the 256th
  EXPECT_EQ(text.find("CJW"), std::string::npos);                                 // the 257th
  EXPECT_NE(text.find("\n256 races total.\n"), std::string::npos);
  EXPECT_EQ(ui_.warnings().size(), 1u);
}

TEST_F(ContentsReportRun, CancelRemovesTheFile) {
  RecordingProgress cancelling(1);
  test::writeFile(dataset(), test::datasetBytes({ReportRace{}, ReportRace{}}));
  EXPECT_EQ(runContentsReport("Run", dataset(), output(), ui_, cancelling), ReportOutcome::kCancelled);
  EXPECT_FALSE(std::filesystem::exists(output()));
  EXPECT_TRUE(ui_.empty());
}

TEST_F(ContentsReportRun, MissingDatasetIsAnError) {
  const std::string gone = (folder_.path() / "GONE.DSI").string();
  EXPECT_EQ(runContentsReport("Gone", gone, output(), ui_, progress_), ReportOutcome::kFailed);
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{std::string(kReportErrorText) + "\nCannot open " + gone +
                                                   ": No such file or directory"});
  EXPECT_FALSE(std::filesystem::exists(output()));
}

TEST_F(ContentsReportRun, FileFaultsLeaveTheEarlierReportAndNoTemporary) {
  test::writeFile(dataset(), test::datasetBytes({{"KEE", "20011005", 1, {}}, {"KEE", "20011005", 2, {}}}));
  ASSERT_EQ(runContentsReport("Run", dataset(), output(), ui_, progress_), ReportOutcome::kDone);
  const std::string newReport = readFile(output());
  const std::string gone = (folder_.path() / "GONE.DSI").string();
  std::vector<test::ReportRunCase> cases = test::reportRunCases(dataset(), gone, output());
  for (const test::ReportRunCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::writeFile(output(), "the earlier report\n");
    test::FaultyFileSystem disk;
    c.arrange(disk);
    RecordingInteraction ui;
    RecordingProgress progress;
    const ReportOutcome outcome =
        runContentsReport("Run", c.datasetPath, output(), ui, progress, nullptr, disk);
    if (c.named.empty()) {
      EXPECT_EQ(outcome, ReportOutcome::kDone);
      EXPECT_TRUE(ui.empty());
      EXPECT_EQ(readFile(output()), newReport);
    } else {
      EXPECT_EQ(outcome, ReportOutcome::kFailed);
      EXPECT_EQ(ui.errors(),
                std::vector<std::string>{std::string(kReportErrorText) + "\n" + c.named + ": " + c.reason});
      EXPECT_EQ(readFile(output()), "the earlier report\n");
    }
    EXPECT_EQ(test::folderEntries(folder_.path()), (std::vector<std::string>{"RUN.DSI", "ctext.txt"}));
  }
}

}  // namespace
}  // namespace stridewell
