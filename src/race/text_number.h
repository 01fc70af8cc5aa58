// Number conversions of card and results fields. They follow the C library's
// atoi/atol/atof (leading white space, optional sign, longest valid prefix,
// 0 when nothing converts) but never depend on the process locale and never
// overflow: integers saturate at the 32-bit range.
#pragma once

#include <cstdint>
#include <string_view>

namespace stridewell {

int32_t toInt(std::string_view text);
double toDouble(std::string_view text);

// The low byte / low 16 bits of a value, as a C cast to a narrower type keeps.
inline uint8_t lowByte(int32_t value) {
  return static_cast<uint8_t>(value);
}
inline int16_t low16(int32_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// A double truncated toward zero into the 32-bit range (NaN gives 0).
int32_t truncToInt(double value);

}  // namespace stridewell
