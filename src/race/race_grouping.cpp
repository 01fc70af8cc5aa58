#include "race/race_grouping.h"

#include <cstring>
#include <string_view>

#include "base/text_case.h"

namespace stridewell {

RaceGrouping::RaceGrouping() {
  // The first line of every file starts a race.
  std::strcpy(lastKey_[0].data(), "***");
  std::strcpy(lastKey_[1].data(), "xx");
  std::strcpy(lastKey_[2].data(), "xx");
}

bool RaceGrouping::sameKeyAsLastLine(const FieldSlots& slots) {
  bool same = true;
  for (int part = 0; part < 3; ++part) {
    const std::string_view field = slots[part + 1];
    if (!equalsIgnoreCase(field, lastKey_[part].data())) same = false;
    // Every key slot is shorter than the remembered key's room.
    std::memcpy(lastKey_[part].data(), field.data(), field.size());
    lastKey_[part][field.size()] = '\0';
  }
  return same;
}

}  // namespace stridewell
