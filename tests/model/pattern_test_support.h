// Pattern records and training files for the training tests: small races
// (5 or 6 horses, 120 or 720 choices of five) with reproducible inputs, the
// pattern file and TVARS.DAT written as a preparation would leave them.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/mwc_random.h"
#include "model/pattern_record.h"

namespace stridewell::test {

// A race of `horses` finishers; `seed` varies the inputs and the order of
// finish (positions 1..n, shuffled by a fixed rule).
inline PatternRecord makeRecord(int horses, uint32_t seed) {
  PatternRecord record{};
  record.horseCount = horses;
  MwcRandom random;
  random.z = 0x1234u + seed * 7919u;
  random.w = 0x9876u + seed * 104729u;
  for (int k = 0; k < horses; ++k) {
    for (float& input : record.horses[k].inputs) input = static_cast<float>(random.symmetric(2.0));
    record.horses[k].finishPosition =
        static_cast<int32_t>((k * 3 + seed) % static_cast<uint32_t>(horses)) + 1;
  }
  return record;
}

// `count` records, alternately of 5 and 6 horses.
inline std::vector<PatternRecord> makeRecords(int count, uint32_t seed = 1) {
  std::vector<PatternRecord> records;
  for (int i = 0; i < count; ++i) records.push_back(makeRecord(5 + i % 2, seed + static_cast<uint32_t>(i)));
  return records;
}

inline std::string recordBytes(const std::vector<PatternRecord>& records) {
  std::string bytes(records.size() * sizeof(PatternRecord), '\0');
  if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
  return bytes;
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline TrainInfo makeTrainInfo(const std::string& targetPath, const std::string& simName, int32_t passes,
                               int32_t patternCount) {
  TrainInfo info{};
  std::strncpy(info.targetPath, targetPath.c_str(), sizeof info.targetPath - 1);
  std::strncpy(info.simName, simName.c_str(), sizeof info.simName - 1);
  info.passes = passes;
  info.patternCount = patternCount;
  return info;
}

inline std::string trainInfoBytes(const TrainInfo& info) {
  return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}

}  // namespace stridewell::test
