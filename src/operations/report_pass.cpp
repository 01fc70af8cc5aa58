#include "operations/report_pass.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/text_case.h"
#include "datasets/dataset_file.h"
#include "race/race.h"

namespace stridewell {

std::string reportTrackCode(const RaceResult& result) {
  const size_t length = strnlen(result.track, 3);
  return std::string(result.track, length);
}

bool trackCodeBefore(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(lowerAscii(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

ReportPass readDatasetForReport(std::istream& dataset, const std::string& datasetFile, ProgressSink& progress,
                                const std::function<void(const RaceResult&)>& addRace) {
  ReportPass pass;
  // The size is learnt once, before reading, as the percent's base.
  const std::streampos start = dataset.tellg();
  dataset.seekg(0, std::ios::end);
  const std::streampos end = dataset.tellg();
  dataset.seekg(start);
  const double base = static_cast<double>(start);
  const double size = (start >= 0 && end > start) ? static_cast<double>(end - start) : 0.0;

  DatasetReader reader(dataset, datasetFile);
  // A Race holds a whole card (tens of kilobytes): kept off the stack.
  auto race = std::make_unique<Race>();
  while (reader.next(*race)) {
    int percent = 100;
    if (size > 0) percent = static_cast<int>((static_cast<double>(reader.position()) - base) * 100.0 / size);
    progress.setPercent(std::clamp(percent, 0, 100));
    if (progress.cancelled()) {
      pass.cancelled = true;
      return pass;
    }
    addRace(race->result);
  }
  pass.problem = reader.problem();
  return pass;
}

void warnAfterPass(const ReportPass& pass, int racesLeftOut, const std::string& datasetFile,
                   UserInteraction& ui) {
  if (!pass.problem.empty()) {
    ui.warning(pass.problem + "; the report covers the races before it.");
  }
  if (racesLeftOut > 0) {
    ui.warning(datasetFile + ": the report lists at most " + std::to_string(kMostReportTracks) +
               " track codes; " + std::to_string(racesLeftOut) + (racesLeftOut == 1 ? " race" : " races") +
               " of further track codes left out.");
  }
}

std::string systemReason() {
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category()).message();
}

void removeReportFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

std::string reportWriteProblem(const std::string& target, const ReplacementFile& file) {
  return "Cannot write " + target + ": " + file.error().message();
}

std::string reportLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
  }
  va_end(again);
  return text;
}

}  // namespace stridewell
