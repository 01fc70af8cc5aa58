// The exotics and daily-double payout reports: for every track code of a
// dataset's results, the number of races and the median and mean of four
// payoffs (exacta, quinella, trifecta, superfecta; or daily double, pick 3,
// pick 4, pick 6), each leaving out the races where that payoff is zero.
// Written twice, as an aligned text table and as a comma table for the
// clipboard. Runs on the caller's thread; shows nothing but messages.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "operations/report_pass.h"

namespace stridewell {

class ProgressSink;
class UserInteraction;

enum class PayoutReportKind { kExotics, kDailyDouble };

// The report files' names in the Workspace's TEMP folder; both reports use
// the same two.
inline constexpr std::string_view kPayoutTextFile = "etext.txt";
inline constexpr std::string_view kPayoutCommaFile = "ecomma.txt";

// Median and mean of one column: zeros (and values that are not numbers,
// which only a damaged file holds) are left out; 0 for both when nothing is
// left. An even count takes half the sum of the two middle values.
struct PayoutStatistics {
  float median = 0;
  float mean = 0;
};
PayoutStatistics payoutStatistics(std::vector<float> values);

// Writes the report of `dataset` (read from its current position to its
// end): the text table to `text`, the comma table to `comma`. `datasetName`
// heads the text table; `datasetFile` names the file in messages. Warns
// (and still reports the races before it) when reading stops at a damaged
// race, and when races of more than 256 track codes had to be left out.
// kCancelled when the progress sink is cancelled (the streams then hold a
// partial report); kFailed when a stream fails to take the report.
ReportOutcome writePayoutReport(PayoutReportKind kind, std::string_view datasetName, std::istream& dataset,
                                const std::string& datasetFile, std::ostream& text, std::ostream& comma,
                                UserInteraction& ui, ProgressSink& progress, bool* damaged = nullptr);

// The run of the report commands: writes the text file and the comma file
// through `fileSystem`, each as a new file renamed over the old one once
// both are complete, so a run that fails leaves the files as they were.
// kFailed shows the error "Error generating report." with a second line
// naming the file at fault and the system's reason. kCancelled removes the
// text file and leaves the comma file as it was: the user may have named
// that one. On kDone the files stay for the caller to show and remove.
ReportOutcome runPayoutReport(PayoutReportKind kind, std::string_view datasetName,
                              const std::string& datasetPath, const std::string& textPath,
                              const std::string& commaPath, UserInteraction& ui, ProgressSink& progress,
                              bool* damaged = nullptr, FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
