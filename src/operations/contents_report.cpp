#include "operations/contents_report.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "race/card_values.h"

namespace stridewell {
namespace {

struct RaceSlot {
  int64_t dayNumber;
  int raceNumber;
  RaceDay day;

  bool operator<(const RaceSlot& other) const {
    return std::pair(dayNumber, raceNumber) < std::pair(other.dayNumber, other.raceNumber);
  }
};

using RaceSlots = std::vector<RaceSlot>;

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar;
// `month` 1-12, `day` 1-31.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The inverse of daysFromCivil, into `out`'s year, month and day.
void civilFromDays(int64_t days, RaceDay& out) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
  const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  out.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  out.month = static_cast<int>(month);
  out.year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

int twoDigitYear(int year) {
  return ((year % 100) + 100) % 100;
}

std::string trackText(const std::string& code, RaceSlots& races) {
  std::sort(races.begin(), races.end());
  const RaceDay& first = races.front().day;
  const RaceDay& last = races.back().day;
  const std::string count = races.size() == 1 ? "(1 race)" : reportLine("(%zu races)", races.size());
  std::string text =
      reportLine("%3s %02d/%02d/%02d-%02d/%02d/%02d %s", code.c_str(), first.month, first.day,
                 twoDigitYear(first.year), last.month, last.day, twoDigitYear(last.year), count.c_str());
  for (size_t i = 0; i < races.size(); ++i) {
    const RaceSlot& race = races[i];
    if (i == 0 || race.dayNumber != races[i - 1].dayNumber) {
      text +=
          reportLine("\n    %3s %02d/%02d/%02d Races: %d", std::string(weekdayName(race.day.weekday)).c_str(),
                     race.day.month, race.day.day, twoDigitYear(race.day.year), race.raceNumber);
    } else {
      text += reportLine(",%d", race.raceNumber);
    }
  }
  text += '\n';
  return text;
}

}  // namespace

RaceDay raceDayOf(int32_t packedDate) {
  // Months carry into years first, then the day counts on from the first of
  // the month, so every field value lands on one calendar day. 64-bit
  // arithmetic throughout: a damaged record may hold any year up to 65535.
  const int64_t monthIndex = int64_t{packedYear(packedDate)} * 12 + packedMonth(packedDate) - 1;
  const int64_t year = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
  const int64_t month = monthIndex - year * 12 + 1;
  const int64_t dayNumber = daysFromCivil(year, month, 1) + packedDay(packedDate) - 1;

  RaceDay day;
  day.dayNumber = dayNumber;
  day.weekday = static_cast<int>(dayNumber >= -4 ? (dayNumber + 4) % 7 : (dayNumber + 5) % 7 + 6);
  civilFromDays(dayNumber, day);
  return day;
}

std::string_view weekdayName(int weekday) {
  static constexpr std::array<std::string_view, 7> kNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  return kNames[static_cast<size_t>(((weekday % 7) + 7) % 7)];
}

ReportOutcome writeContentsReport(std::string_view datasetName, std::istream& dataset,
                                  const std::string& datasetFile, std::ostream& out, UserInteraction& ui,
                                  ProgressSink& progress, bool* damaged) {
  TrackTable<RaceSlots> table;
  const ReportPass pass = readDatasetForReport(dataset, datasetFile, progress, [&](const RaceResult& result) {
    auto* entry = table.entryFor(reportTrackCode(result));
    if (entry == nullptr) return;
    const RaceDay day = raceDayOf(result.date);
    entry->data.push_back(RaceSlot{day.dayNumber, result.raceNumber, day});
    ++entry->races;
  });
  if (pass.cancelled) return ReportOutcome::kCancelled;
  warnAfterPass(pass, table.leftOut(), datasetFile, ui);
  if (damaged != nullptr) *damaged = !pass.problem.empty();

  out << "DataSet: " << datasetName << "\n\n";
  for (auto& entry : table.sorted()) out << trackText(entry.code, entry.data);
  out << reportLine("\n%d races total.\n", table.totalRaces());
  out.flush();
  return out ? ReportOutcome::kDone : ReportOutcome::kFailed;
}

ReportOutcome runContentsReport(std::string_view datasetName, const std::string& datasetPath,
                                const std::string& outputPath, UserInteraction& ui, ProgressSink& progress,
                                bool* damaged, FileSystem& fileSystem) {
  auto fail = [&](const std::string& detail) {
    ui.error(std::string(kReportErrorText) + "\n" + detail);
    return ReportOutcome::kFailed;
  };
  ReplacementFile file(outputPath, fileSystem);
  if (!file.ok()) return fail("Cannot create " + outputPath + ": " + file.error().message());
  errno = 0;
  std::ifstream dataset(datasetPath, std::ios::in | std::ios::binary);
  if (!dataset) return fail("Cannot open " + datasetPath + ": " + systemReason());
  std::ostringstream out;
  const ReportOutcome outcome =
      writeContentsReport(datasetName, dataset, datasetPath, out, ui, progress, damaged);
  if (outcome == ReportOutcome::kCancelled) {
    removeReportFile(outputPath);
    return outcome;
  }
  if (outcome == ReportOutcome::kFailed) return fail("Cannot write " + outputPath + ": " + systemReason());
  file.write(out.view());
  if (!file.replaceTarget()) return fail(reportWriteProblem(outputPath, file));
  return ReportOutcome::kDone;
}

}  // namespace stridewell
