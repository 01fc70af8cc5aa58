// Dataset races for the pattern tests: a card of horses whose form factors
// differ from horse to horse (so standardisation has something to do),
// finishers tied to chosen card slots, and a writer that stores such races
// with the real dataset writer.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "datasets/dataset_file.h"
#include "race/race.h"

namespace stridewell::test {

struct PatternRaceSpec {
  int cardHorses = 10;
  std::vector<int> cardIndexes;  // one per finisher, in result order
  std::vector<int> finishes;     // one per finisher; 1, 2, 3 ... when empty
  uint8_t condition = 2;         // dry
  int salt = 0;                  // moves every horse's figures, so races differ
};

inline std::unique_ptr<Race> patternRace(const PatternRaceSpec& spec) {
  auto race = std::make_unique<Race>();
  std::memset(static_cast<void*>(race.get()), 0, sizeof(Race));
  race->card.horseCount = static_cast<uint8_t>(spec.cardHorses);
  RaceProfile& profile = race->profile;
  profile.horseCount = static_cast<uint8_t>(spec.cardHorses);
  profile.distanceYards = 1320;
  profile.sprintRoute = RaceProfile::kSprint;
  for (int h = 0; h < spec.cardHorses && h < kMaxHorses; ++h) {
    HorseProfile& horse = profile.horses[h];
    horse.morningLine = 1.5f + 0.7f * static_cast<float>(h) + static_cast<float>(spec.salt);
    horse.postPosition = static_cast<uint8_t>(h + 1);
    horse.age = static_cast<uint8_t>(3 + (h + spec.salt) % 4);
    horse.weight = static_cast<uint8_t>(115 + (h * 7 + spec.salt) % 11);
    horse.dryRateAverage = static_cast<float>(70 + (3 * h * h + spec.salt) % 17);
    horse.earningsPerStart = 100 * (h + 1) + spec.salt;
  }
  RaceResult& result = race->result;
  std::memcpy(result.track, "AQU", 3);
  result.condition = spec.condition;
  result.finisherCount = static_cast<uint8_t>(spec.cardIndexes.size());
  for (size_t i = 0; i < spec.cardIndexes.size() && i < static_cast<size_t>(kMaxFinishers); ++i) {
    result.finishers[i].cardIndex = static_cast<uint8_t>(spec.cardIndexes[i]);
    result.finishers[i].finishPosition =
        static_cast<uint8_t>(spec.finishes.empty() ? static_cast<int>(i) + 1 : spec.finishes[i]);
  }
  return race;
}

// `finishers` finishers in card order on a card of that many horses (at
// least one horse more when `extraHorses`).
inline std::unique_ptr<Race> raceWithFinishers(int finishers, uint8_t condition, int salt = 0,
                                               int extraHorses = 0) {
  PatternRaceSpec spec;
  spec.cardHorses = finishers + extraHorses;
  for (int i = 0; i < finishers; ++i) spec.cardIndexes.push_back(i);
  spec.condition = condition;
  spec.salt = salt;
  return patternRace(spec);
}

inline void writeDatasetFile(const std::filesystem::path& path,
                             const std::vector<std::unique_ptr<Race>>& races) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& race : races) ASSERT_TRUE(writeDatasetRace(out, *race));
  out.close();
  ASSERT_TRUE(out) << path;
}

}  // namespace stridewell::test
