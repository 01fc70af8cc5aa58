// Auto scratch for the profit/loss run: a race as stored holds every horse
// of its card, scratched ones included, but only the horses that ran can be
// bet on, so the run keeps just the horses some finisher of the result is
// tied to. Pure function over the caller's records; any thread.
#pragma once

#include <cstdint>

#include "race/race_card.h"
#include "race/race_profile.h"
#include "race/race_result.h"

namespace stridewell {

// The cardIndex a finisher gets when no kept horse is its own: its index was
// outside the card's field, or another finisher already claimed that slot.
inline constexpr uint8_t kNoCardSlot = 0xFF;

// Keeps, in card order, the horse slots that the cardIndex of some finisher
// names, moving each down to the next free slot in both the card and the
// profile; the first finisher tied to a kept slot gets its new index. Both
// horse counts become the number of horses kept, which is the finisher
// count for every race that was tied when its dataset was built. Slots
// beyond the kept horses are cleared. Counts and indexes beyond the records
// (a damaged dataset) are clamped or ignored, never followed. Returns the
// number of horses kept.
int autoScratch(RaceCard& card, RaceProfile& profile, RaceResult& result);

}  // namespace stridewell
