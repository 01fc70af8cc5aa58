// Realistic sample card and results files for days of racing at one track,
// made from a seed so that the same options always give the same bytes.
// Horses carry a hidden ability that drives their past form, the morning
// line, the final odds and the finish, so a model has something to learn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stridewell::gen {

struct SampleStatistics;

struct SampleOptions {
  uint64_t seed = 1;
  std::string track = "SAX";  // two or three letters
  int year = 2026;            // first day of racing
  int month = 3;
  int day = 15;
  int days = 1;            // consecutive racing days
  int badCheckLine = 0;    // 1-based card line of the first day to spoil (0: none)
  bool simulcasts = true;  // now and then a race run at another track (host track and number differ)
};

struct SampleDay {
  std::string baseName;     // track and month-day, e.g. "SAX0315"
  std::string cardText;     // what baseName + ".TCF" holds
  std::string resultsText;  // what baseName + ".XRD" holds
};

// More days would repeat a month-day and so a file name.
inline constexpr int kMaxSampleDays = 365;

// Why the options cannot be used (a sentence for the user), or empty.
std::string checkSampleOptions(const SampleOptions& options);

// One entry per day; empty when checkSampleOptions finds a fault. A
// badCheckLine beyond the first day's last line spoils nothing.
std::vector<SampleDay> generateSampleDays(const SampleOptions& options);

// Adds the days the options describe to `statistics` without writing their
// files; the days are the ones generateSampleDays writes.
void addSampleStatistics(const SampleOptions& options, SampleStatistics& statistics);

}  // namespace stridewell::gen
