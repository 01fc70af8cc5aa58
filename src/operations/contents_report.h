// The dataset contents report: for every track code of a dataset, the span
// of its race dates and its race count, and under it one line per race day
// with the weekday, the date and the day's race numbers in ascending order.
// It shows which cards a dataset was built from and what is missing or
// doubled. Runs on the caller's thread; shows nothing but messages.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "operations/report_pass.h"

namespace stridewell {

class ProgressSink;
class UserInteraction;

// The report file's name in the Workspace's TEMP folder.
inline constexpr std::string_view kContentsFile = "ctext.txt";

// A race date as the report orders and prints it. Days are counted on the
// calendar itself rather than through the local clock, so the order and
// the weekday never depend on the machine's time zone. A month or day out
// of range carries over the way calendar normalisation does (month 13 is
// January of the next year, day 0 the last day of the month before), so a
// damaged date still gets one definite day.
struct RaceDay {
  int64_t dayNumber = 0;  // days since 1 January 1970; orders the days
  int weekday = 0;        // 0 Sunday .. 6 Saturday
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
};
RaceDay raceDayOf(int32_t packedDate);

// "Sun" .. "Sat" for 0 .. 6.
std::string_view weekdayName(int weekday);

// Writes the report of `dataset` (read from its current position to its
// end) to `out`; `datasetName` heads it and `datasetFile` names the file in
// messages. Warns (and still reports the races before it) when reading
// stops at a damaged race, and when races of more than 256 track codes had
// to be left out. kCancelled when the progress sink is cancelled (`out`
// then holds a partial report); kFailed when `out` fails.
ReportOutcome writeContentsReport(std::string_view datasetName, std::istream& dataset,
                                  const std::string& datasetFile, std::ostream& out, UserInteraction& ui,
                                  ProgressSink& progress, bool* damaged = nullptr);

// The run of the command: opens the dataset and writes the report through
// `fileSystem` as a new file renamed over the old one once complete, so a
// run that fails leaves the output file as it was. kFailed shows the error
// "Error generating report." with a second line naming the file at fault
// and the system's reason; kCancelled removes the output file. On kDone the
// file stays for the caller.
ReportOutcome runContentsReport(std::string_view datasetName, const std::string& datasetPath,
                                const std::string& outputPath, UserInteraction& ui, ProgressSink& progress,
                                bool* damaged = nullptr, FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
