#include "operations/payout_report.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <sstream>

#include "base/interaction.h"
#include "base/replacement_file.h"

namespace stridewell {
namespace {

constexpr int kColumns = 4;

// Each race adds one value to each of the four columns.
struct PayoutColumns {
  std::array<std::vector<float>, kColumns> values;
};

std::array<float, kColumns> columnsOf(PayoutReportKind kind, const RaceResult& result) {
  if (kind == PayoutReportKind::kExotics) {
    return {result.exactaPayoff, result.quinellaPayoff, result.trifectaPayoff, result.superfectaPayoff};
  }
  return {result.dailyDoublePayoff, result.pickThreePayoff, result.pickFourPayoff, result.pickSixPayoff};
}

struct Layout {
  const char* textHeading;
  const char* commaHeading;
  const char* textLine;
  const char* commaLine;
};

constexpr const char* kTextFirstHeading =
    "          Median  Median   Median    Median   Mean    Mean     Mean     Mean  ";
constexpr const char* kCommaFirstHeading =
    "   ,     ,Median, Median , Median ,  Median , Mean ,  Mean  ,  Mean  ,  Mean  ";

Layout layoutOf(PayoutReportKind kind) {
  if (kind == PayoutReportKind::kExotics) {
    return {"Trk Races Exacta Quinella Trifecta Suprfecta Exacta Quinella Trifecta Suprfecta",
            "Trk,Races,Exacta,Quinella,Trifecta,Suprfecta,Exacta,Quinella,Trifecta,Suprfecta",
            "%3s %5d $%6.2f $%6.2f $%7.2f $%8.2f $%6.2f $%6.2f $%7.2f $%8.2f\n",
            "%3s,%5d,%6.2f,%6.2f,%7.2f,%8.2f,%6.2f,%6.2f,%7.2f,%8.2f\n"};
  }
  return {"Trk Races DailyD   Pick3    Pick4     Pick6  DailyD   Pick3    Pick4    Pick6 ",
          "Trk,Races,DailyD,  Pick3 ,  Pick4 ,   Pick6 ,DailyD,  Pick3 ,  Pick4 ,  Pick6 ",
          "%3s %5d $%6.1f $%6.1f $%7.1f $%8.1f $%6.1f $%6.1f $%7.1f $%8.1f\n",
          "%3s,%5d,%6.1f,%6.1f,%7.1f,%8.1f,%6.1f,%6.1f,%7.1f,%8.1f\n"};
}

// One track line in `format`: code, count, the four medians, the four means.
std::string trackLine(const char* format, const std::string& code, int races,
                      const std::array<PayoutStatistics, kColumns>& stats) {
  return reportLine(format, code.c_str(), races, double{stats[0].median}, double{stats[1].median},
                    double{stats[2].median}, double{stats[3].median}, double{stats[0].mean},
                    double{stats[1].mean}, double{stats[2].mean}, double{stats[3].mean});
}

}  // namespace

PayoutStatistics payoutStatistics(std::vector<float> values) {
  std::erase_if(values, [](float value) { return value == 0.0f || std::isnan(value); });
  PayoutStatistics stats;
  if (values.empty()) return stats;
  long double sum = 0;
  for (float value : values) sum += value;
  stats.mean = static_cast<float>(sum / static_cast<long double>(values.size()));
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) {
    stats.median = values[middle];
  } else {
    stats.median = static_cast<float>((double{values[middle - 1]} + double{values[middle]}) / 2.0);
  }
  return stats;
}

ReportOutcome writePayoutReport(PayoutReportKind kind, std::string_view datasetName, std::istream& dataset,
                                const std::string& datasetFile, std::ostream& text, std::ostream& comma,
                                UserInteraction& ui, ProgressSink& progress, bool* damaged) {
  TrackTable<PayoutColumns> table;
  const ReportPass pass = readDatasetForReport(dataset, datasetFile, progress, [&](const RaceResult& result) {
    auto* entry = table.entryFor(reportTrackCode(result));
    if (entry == nullptr) return;
    const std::array<float, kColumns> values = columnsOf(kind, result);
    for (int column = 0; column < kColumns; ++column) entry->data.values[column].push_back(values[column]);
    ++entry->races;
  });
  if (pass.cancelled) return ReportOutcome::kCancelled;
  warnAfterPass(pass, table.leftOut(), datasetFile, ui);
  if (damaged != nullptr) *damaged = !pass.problem.empty();

  const Layout layout = layoutOf(kind);
  text << "DataSet: " << datasetName << "\n\n";
  text << kTextFirstHeading << '\n' << layout.textHeading << '\n';
  comma << kCommaFirstHeading << '\n' << layout.commaHeading << '\n';
  for (auto& entry : table.sorted()) {
    std::array<PayoutStatistics, kColumns> stats;
    for (int column = 0; column < kColumns; ++column) {
      stats[column] = payoutStatistics(std::move(entry.data.values[column]));
    }
    text << trackLine(layout.textLine, entry.code, entry.races, stats);
    comma << trackLine(layout.commaLine, entry.code, entry.races, stats);
  }
  text << reportLine("\n%d races total.\n", table.totalRaces());
  text.flush();
  comma.flush();
  return (text && comma) ? ReportOutcome::kDone : ReportOutcome::kFailed;
}

ReportOutcome runPayoutReport(PayoutReportKind kind, std::string_view datasetName,
                              const std::string& datasetPath, const std::string& textPath,
                              const std::string& commaPath, UserInteraction& ui, ProgressSink& progress,
                              bool* damaged, FileSystem& fileSystem) {
  auto fail = [&](const std::string& detail) {
    ui.error(std::string(kReportErrorText) + "\n" + detail);
    return ReportOutcome::kFailed;
  };
  ReplacementFile textFile(textPath, fileSystem);
  if (!textFile.ok()) return fail("Cannot create " + textPath + ": " + textFile.error().message());
  ReplacementFile commaFile(commaPath, fileSystem);
  if (!commaFile.ok()) return fail("Cannot create " + commaPath + ": " + commaFile.error().message());
  errno = 0;
  std::ifstream dataset(datasetPath, std::ios::in | std::ios::binary);
  if (!dataset) return fail("Cannot open " + datasetPath + ": " + systemReason());
  std::ostringstream text;
  std::ostringstream comma;
  const ReportOutcome outcome =
      writePayoutReport(kind, datasetName, dataset, datasetPath, text, comma, ui, progress, damaged);
  if (outcome == ReportOutcome::kCancelled) {
    removeReportFile(textPath);
    return outcome;
  }
  if (outcome == ReportOutcome::kFailed) {
    return fail("Cannot write " + textPath + " or " + commaPath + ": " + systemReason());
  }
  textFile.write(text.view());
  commaFile.write(comma.view());
  // Both complete before either is renamed: a full disk then leaves the old
  // pair as it was, not a new text file beside an old comma file.
  if (!textFile.finishWriting()) return fail(reportWriteProblem(textPath, textFile));
  if (!commaFile.finishWriting()) return fail(reportWriteProblem(commaPath, commaFile));
  if (!textFile.replaceTarget()) return fail(reportWriteProblem(textPath, textFile));
  if (!commaFile.replaceTarget()) return fail(reportWriteProblem(commaPath, commaFile));
  return ReportOutcome::kDone;
}

}  // namespace stridewell
