#include "datasets/finisher_tie.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "base/text_case.h"

namespace stridewell {
namespace {

std::string_view boundedText(const char (&text)[30]) {
  return {text, ::strnlen(text, sizeof text)};
}

}  // namespace

int findHorseByName(const RaceCard& card, const char (&name)[30]) {
  const std::string_view wanted = boundedText(name);
  // A count beyond the slots comes only from a damaged record.
  const int horses = std::min<int>(card.horseCount, kMaxHorses);
  for (int slot = 0; slot < horses; ++slot) {
    if (equalsIgnoreCase(boundedText(card.horses[slot].name), wanted)) return slot;
  }
  return -1;
}

bool tieFinishersToHorses(const RaceCard& card, RaceResult& result) {
  const int finishers = std::min<int>(result.finisherCount, kMaxFinishers);
  // Found first, stored after: a race that cannot be tied keeps its result
  // exactly as read.
  std::array<uint8_t, kMaxFinishers> slots{};
  for (int j = 0; j < finishers; ++j) {
    const int slot = findHorseByName(card, result.finishers[j].name);
    if (slot < 0) return false;
    slots[j] = static_cast<uint8_t>(slot);
  }
  for (int j = 0; j < finishers; ++j) result.finishers[j].cardIndex = slots[j];
  return true;
}

}  // namespace stridewell
