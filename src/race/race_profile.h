// Form factors derived from a race card. The record is stored verbatim in
// dataset files beside the card; its members arrive with form evaluation,
// until then it is held as its full-size zeroed byte image.
#pragma once

#include <cstdint>

namespace stridewell {

struct RaceProfile {
  uint8_t bytes[12567];
};

static_assert(sizeof(RaceProfile) == 12567);

}  // namespace stridewell
