#include "sample_generator.h"

#include <cctype>

#include "calendar.h"
#include "card_writer.h"
#include "race_day_builder.h"
#include "results_writer.h"
#include "sample_statistics.h"

namespace stridewell::gen {

std::string checkSampleOptions(const SampleOptions& options) {
  if (options.track.size() < 2 || options.track.size() > 3)
    return "the track code must have two or three letters";
  for (char c : options.track) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return "the track code must have two or three letters";
  }
  if (!isValidDate(options.year, options.month, options.day) || options.year < 1960 || options.year > 2200) {
    return "the first day is not a valid date between 1960 and 2200";
  }
  if (options.days < 1 || options.days > kMaxSampleDays) {
    return "the number of days must be between 1 and " + std::to_string(kMaxSampleDays);
  }
  if (options.badCheckLine < 0) return "the line to spoil must be a positive line number";
  return {};
}

std::vector<SampleDay> generateSampleDays(const SampleOptions& options) {
  std::vector<SampleDay> days;
  if (!checkSampleOptions(options).empty()) return days;
  for (int index = 0; index < options.days; ++index) {
    const RaceDay day = buildRaceDay(options, index);
    SampleDay sample;
    sample.baseName = day.baseName;
    sample.cardText = writeCard(day, index == 0 ? options.badCheckLine : 0);
    sample.resultsText = writeResults(day);
    days.push_back(std::move(sample));
  }
  return days;
}

void addSampleStatistics(const SampleOptions& options, SampleStatistics& statistics) {
  if (!checkSampleOptions(options).empty()) return;
  for (int index = 0; index < options.days; ++index) addRaceDay(statistics, buildRaceDay(options, index));
}

}  // namespace stridewell::gen
