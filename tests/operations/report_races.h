// Datasets for the report tests: races whose result carries only what the
// reports read (track, date, race number, payoffs), written with the real
// dataset writer into a file of a test folder; the report files read back
// whole, the names left in the folder, and the faults a report file meets
// on its way to disk.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "datasets/dataset_file.h"
#include "race/card_values.h"
#include "race/race.h"
#include "support/faulty_file_system.h"

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

// A fault of the file system under a report run, with the system's reason
// its message gives; `atCreate` when it stops the run before the dataset
// is read ("Cannot create"), else the report is not written ("Cannot write").
struct ReportFileFault {
  const char* what;
  std::function<void(FaultyFileSystem&)> arrange;
  bool atCreate;
  const char* reason;
};

inline std::vector<ReportFileFault> reportFileFaults() {
  return {
      {"report cannot be created", [](auto& disk) { disk.failCreate(EACCES); }, true, "Permission denied"},
      {"full disk", [](auto& disk) { disk.failWritesFrom(1); }, false, "No space left on device"},
      {"file too large", [](auto& disk) { disk.failWritesFrom(1, EFBIG); }, false, "File too large"},
      {"short write, then full disk",
       [](auto& disk) {
         disk.shortenWrite(1);
         disk.failWritesFrom(2);
       },
       false, "No space left on device"},
      {"failed flush to disk", [](auto& disk) { disk.failSync(EIO); }, false, "Input/output error"},
      {"failed close", [](auto& disk) { disk.failClose(EIO); }, false, "Input/output error"},
      {"failed rename", [](auto& disk) { disk.failRename(EACCES); }, false, "Permission denied"},
  };
}

// One run of a dataset report under a fault: the dataset it reads and the
// message's second line without its reason (empty when the run completes).
struct ReportRunCase {
  const char* what;
  std::function<void(FaultyFileSystem&)> arrange;
  std::string datasetPath;
  std::string named;
  const char* reason;
};

// Every file fault on the way to `report`, a missing dataset (`gone`) and a
// short write that is resumed.
inline std::vector<ReportRunCase> reportRunCases(const std::string& dataset, const std::string& gone,
                                                 const std::string& report) {
  std::vector<ReportRunCase> cases;
  for (const ReportFileFault& fault : reportFileFaults()) {
    cases.push_back({fault.what, fault.arrange, dataset,
                     (fault.atCreate ? "Cannot create " : "Cannot write ") + report, fault.reason});
  }
  cases.push_back(
      {"dataset missing", [](auto&) {}, gone, "Cannot open " + gone, "No such file or directory"});
  cases.push_back(
      {"a short write alone is resumed", [](auto& disk) { disk.shortenWrite(1); }, dataset, "", ""});
  return cases;
}

}  // namespace stridewell::test
