// Small conversions shared by the card and results readers and the reports:
// track codes and names, packed dates, distance codes, race classes, record
// blocks, rates and track conditions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_case.h"
#include "race/race_card.h"

namespace stridewell {

// Cuts a track code to three characters, turns "FP" into "FMP" and pads a
// two-letter code with "X". `code` is NUL-terminated with room for 4 bytes.
void normalizeTrackCode(char* code);

// Track codes are equal when they match ignoring case, a two-letter code
// counting as if it had an "X" appended.
bool sameTrack(std::string_view a, std::string_view b);

// The track's name from the built-in table, or the code itself when unknown.
std::string trackName(std::string_view code);

// year << 16 | day << 8 | month from eight digits YYYYMMDD; 0 means no date.
int32_t packDate(std::string_view yyyymmdd);
inline int packedYear(int32_t date) {
  return static_cast<uint16_t>(static_cast<uint32_t>(date) >> 16);
}
inline int packedDay(int32_t date) {
  return (date >> 8) & 0xff;
}
inline int packedMonth(int32_t date) {
  return date & 0xff;
}

// Furlongs below a mile, miles from a mile on, negative miles beyond 1.9 miles.
float distanceCode(std::string_view yards);
float distanceCode(int32_t yards);

ClassCode decodeClass(std::string_view type, std::string_view claim, std::string_view purse);

// Starts and rounded percentages of wins, seconds and thirds.
RecordBlock recordBlock(int32_t starts, int32_t wins, int32_t seconds, int32_t thirds);
RecordBlock recordBlock(std::string_view starts, std::string_view wins, std::string_view seconds,
                        std::string_view thirds);

// |dividend| / |divisor|, or 0 when the divisor is below 2.
float ratio(std::string_view dividend, std::string_view divisor);

inline constexpr uint8_t kWet = 1;
inline constexpr uint8_t kDry = 2;
// kWet for sloppy ("SY") and muddy ("MY") in any case, else kDry.
uint8_t conditionCode(std::string_view text);

// 0 dirt (D), 1 turf (T), 2 any other surface letter.
uint8_t surfaceCode(std::string_view text);

}  // namespace stridewell
