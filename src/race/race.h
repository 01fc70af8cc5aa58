// One race as the program works on it: the card as read, the form factors
// derived from it, its result when known, and the printable card texts.
// A driver owns a Race and passes it down; nothing keeps a process-wide one.
#pragma once

#include <cstring>
#include <type_traits>

#include "race/race_card.h"
#include "race/race_profile.h"
#include "race/race_result.h"

namespace stridewell {

struct Race {
  RaceCard card;
  RaceProfile profile;
  RaceResult result;
  RaceCardText text;
};

// Zeroes a record the way a new race starts: every byte, reserved ones too.
template <typename Record>
void clearRecord(Record& record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  std::memset(static_cast<void*>(&record), 0, sizeof record);
}

}  // namespace stridewell
