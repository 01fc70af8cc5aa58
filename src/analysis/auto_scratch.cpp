#include "analysis/auto_scratch.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace stridewell {

int autoScratch(RaceCard& card, RaceProfile& profile, RaceResult& result) {
  const int finishers = std::min<int>(result.finisherCount, kMaxFinishers);
  const int horses = std::min<int>(card.horseCount, kMaxHorses);

  bool ran[kMaxHorses] = {};
  for (int j = 0; j < finishers; ++j) {
    const int slot = result.finishers[j].cardIndex;
    if (slot < horses) ran[slot] = true;
  }

  // Horses only ever move down (kept <= slot), so moving them in place
  // gives what working on copies would; the new finisher indexes are held
  // apart until the walk ends so that a moved index is never matched again.
  uint8_t newIndex[kMaxFinishers];
  std::fill(std::begin(newIndex), std::end(newIndex), kNoCardSlot);
  int kept = 0;
  for (int slot = 0; slot < horses; ++slot) {
    if (!ran[slot]) continue;
    if (kept != slot) {
      std::memcpy(static_cast<void*>(&card.horses[kept]), &card.horses[slot], sizeof(HorseEntry));
      std::memcpy(static_cast<void*>(&profile.horses[kept]), &profile.horses[slot], sizeof(HorseProfile));
    }
    for (int j = 0; j < finishers; ++j) {
      if (newIndex[j] == kNoCardSlot && result.finishers[j].cardIndex == slot) {
        newIndex[j] = static_cast<uint8_t>(kept);
        break;
      }
    }
    ++kept;
  }
  for (int j = 0; j < finishers; ++j) result.finishers[j].cardIndex = newIndex[j];

  // Stale copies of moved or dropped horses would otherwise linger past the
  // new count.
  const int used = std::max(horses, std::min<int>(profile.horseCount, kMaxHorses));
  for (int slot = kept; slot < used; ++slot) {
    std::memset(static_cast<void*>(&card.horses[slot]), 0, sizeof(HorseEntry));
    std::memset(static_cast<void*>(&profile.horses[slot]), 0, sizeof(HorseProfile));
  }
  card.horseCount = static_cast<uint8_t>(kept);
  profile.horseCount = static_cast<uint8_t>(kept);
  return kept;
}

}  // namespace stridewell
