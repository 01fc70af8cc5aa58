// Datasets for the report tests: races whose result carries only what the
// reports read (track, date, race number, payoffs), written with the real
// dataset writer into a file of a test folder; the report files read back
// whole, and the names left in the folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "datasets/dataset_file.h"
#include "race/card_values.h"
#include "race/race.h"

namespace stridewell::test {

struct ReportRace {
  const char* track = "AQU";
  const char* date = "20010101";  // YYYYMMDD
  int raceNumber = 1;
  // exacta, quinella, trifecta, superfecta, daily double, pick 3, 4, 6
  std::vector<float> payoffs;
};

inline std::unique_ptr<Race> raceOf(const ReportRace& spec) {
  auto race = std::make_unique<Race>();
  std::memset(static_cast<void*>(race.get()), 0, sizeof(Race));
  // Some card bytes too, so the record is not only its result.
  race->card.horseCount = 1;
  RaceResult& result = race->result;
  std::strncpy(result.track, spec.track, 3);
  result.date = packDate(spec.date);
  result.raceNumber = static_cast<uint8_t>(spec.raceNumber);
  // The record is packed: its floats may sit at odd addresses, so they are
  // copied in by offset rather than written through a float pointer.
  constexpr size_t kOffsets[] = {
      offsetof(RaceResult, exactaPayoff),      offsetof(RaceResult, quinellaPayoff),
      offsetof(RaceResult, trifectaPayoff),    offsetof(RaceResult, superfectaPayoff),
      offsetof(RaceResult, dailyDoublePayoff), offsetof(RaceResult, pickThreePayoff),
      offsetof(RaceResult, pickFourPayoff),    offsetof(RaceResult, pickSixPayoff)};
  for (size_t i = 0; i < spec.payoffs.size() && i < 8; ++i) {
    std::memcpy(reinterpret_cast<char*>(&result) + kOffsets[i], &spec.payoffs[i], sizeof(float));
  }
  return race;
}

// The bytes of a dataset holding `races` in order.
inline std::string datasetBytes(const std::vector<ReportRace>& races) {
  std::ostringstream out(std::ios::binary);
  for (const ReportRace& spec : races) EXPECT_TRUE(writeDatasetRace(out, *raceOf(spec)));
  return out.str();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The names in `folder`, sorted: a report run that fails must leave no
// temporary file beside its report.
inline std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace stridewell::test
