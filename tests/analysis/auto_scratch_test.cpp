// Auto scratch: which horses stay, in what order, how the finishers' card
// indexes follow them, and that damaged counts and indexes are never
// followed out of the records.
#include "analysis/auto_scratch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "race/race.h"

namespace stridewell {
namespace {

struct ScratchCase {
  const char* what;
  int horses;                          // named "H0", "H1", ... on the card and in the profile
  std::vector<int> finisherSlots;      // each finisher's cardIndex, in finish order
  std::vector<std::string> keptNames;  // the horses left, in slot order
  std::vector<int> newIndexes;         // the finishers' cardIndex afterwards
};

const ScratchCase kCases[] = {
    {"every horse ran", 5, {3, 0, 4, 1, 2}, {"H0", "H1", "H2", "H3", "H4"}, {3, 0, 4, 1, 2}},
    {"slot 2 did not run", 6, {0, 1, 3, 4, 5}, {"H0", "H1", "H3", "H4", "H5"}, {0, 1, 2, 3, 4}},
    {"finish order is not card order", 6, {5, 0, 3}, {"H0", "H3", "H5"}, {2, 0, 1}},
    {"the first and last slots did not run",
     7,
     {2, 3, 1, 4, 5},
     {"H1", "H2", "H3", "H4", "H5"},
     {1, 2, 0, 3, 4}},
    {"indexes beyond the field or the records are ignored",
     6,
     {1, 64, 6, 200, 0},
     {"H0", "H1"},
     {1, kNoCardSlot, kNoCardSlot, kNoCardSlot, 0}},
    {"a second finisher on one slot names no horse", 5, {1, 1, 3}, {"H1", "H3"}, {0, kNoCardSlot, 1}},
    {"no finishers", 4, {}, {}, {}},
};

std::string nameOf(const char (&name)[30]) {
  return std::string(name, strnlen(name, sizeof name));
}

std::unique_ptr<Race> raceWith(int horses, const std::vector<int>& finisherSlots) {
  auto race = std::make_unique<Race>();
  clearRecord(race->card);
  clearRecord(race->profile);
  clearRecord(race->result);
  race->card.horseCount = static_cast<uint8_t>(horses);
  race->profile.horseCount = static_cast<uint8_t>(horses);
  for (int i = 0; i < horses; ++i) {
    const std::string name = "H" + std::to_string(i);
    std::memcpy(race->card.horses[i].name, name.data(), name.size());
    std::memcpy(race->profile.horses[i].name, name.data(), name.size());
    race->card.horses[i].postPosition = static_cast<uint8_t>(i + 1);
    race->profile.horses[i].postPosition = static_cast<uint8_t>(i + 1);
  }
  race->result.finisherCount = static_cast<uint8_t>(finisherSlots.size());
  for (size_t j = 0; j < finisherSlots.size(); ++j) {
    race->result.finishers[j].cardIndex = static_cast<uint8_t>(finisherSlots[j]);
    race->result.finishers[j].finishPosition = static_cast<uint8_t>(j + 1);
  }
  return race;
}

TEST(AutoScratchTest, KeepsTheHorsesThatRan) {
  for (const ScratchCase& c : kCases) {
    SCOPED_TRACE(c.what);
    auto race = raceWith(c.horses, c.finisherSlots);
    const int kept = autoScratch(race->card, race->profile, race->result);

    ASSERT_EQ(kept, static_cast<int>(c.keptNames.size()));
    EXPECT_EQ(race->card.horseCount, kept);
    EXPECT_EQ(race->profile.horseCount, kept);
    for (int slot = 0; slot < kept; ++slot) {
      EXPECT_EQ(nameOf(race->card.horses[slot].name), c.keptNames[slot]) << "card slot " << slot;
      EXPECT_EQ(nameOf(race->profile.horses[slot].name), c.keptNames[slot]) << "profile slot " << slot;
      // The whole slot moves, not just the name.
      const int original = std::stoi(c.keptNames[slot].substr(1));
      EXPECT_EQ(race->card.horses[slot].postPosition, original + 1);
      EXPECT_EQ(race->profile.horses[slot].postPosition, original + 1);
    }
    // No stale copy of a moved or dropped horse stays behind the field.
    for (int slot = kept; slot < c.horses; ++slot) {
      EXPECT_EQ(nameOf(race->card.horses[slot].name), "") << "card slot " << slot;
      EXPECT_EQ(nameOf(race->profile.horses[slot].name), "") << "profile slot " << slot;
    }
    ASSERT_EQ(race->result.finisherCount, c.finisherSlots.size());
    for (size_t j = 0; j < c.newIndexes.size(); ++j) {
      EXPECT_EQ(race->result.finishers[j].cardIndex, c.newIndexes[j]) << "finisher " << j;
      EXPECT_EQ(race->result.finishers[j].finishPosition, j + 1) << "finisher " << j;
    }
  }
}

// A damaged record can claim more horses and finishers than its slots hold;
// the scratch stays inside the records (the sanitizer build checks that).
TEST(AutoScratchTest, DamagedCountsStayInsideTheRecords) {
  auto race = raceWith(kMaxHorses, {});
  race->card.horseCount = 255;
  race->profile.horseCount = 250;
  race->result.finisherCount = 255;
  for (int j = 0; j < kMaxFinishers; ++j) race->result.finishers[j].cardIndex = static_cast<uint8_t>(j * 4);
  const int kept = autoScratch(race->card, race->profile, race->result);
  // Slots 0, 4, ..., 60: the indexes that name one of the 64 slots.
  EXPECT_EQ(kept, 16);
  EXPECT_EQ(nameOf(race->card.horses[1].name), "H4");
  EXPECT_EQ(nameOf(race->profile.horses[15].name), "H60");
  EXPECT_EQ(race->result.finishers[16].cardIndex, kNoCardSlot);
}

}  // namespace
}  // namespace stridewell
