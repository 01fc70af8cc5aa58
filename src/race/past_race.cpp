#include "race/past_race.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text_case.h"
#include "race/card_values.h"
#include "race/field_slots.h"
#include "race/text_number.h"

namespace stridewell {
namespace {

constexpr double kTolerance = 0.000001;

constexpr std::string_view kTroubleKeywords[] = {
    "blocked", "bumped", "brushed", "checked", "boxed", "forced", "wide", "poor start", "impeded",
};

// For each first letter of a keyword, the second letters that follow it in
// some keyword, one bit per letter ('a' is bit 0); entry 26 stands for any
// byte that is no letter and has none.
constexpr std::array<uint32_t, 27> kKeywordSecondLetters = [] {
  std::array<uint32_t, 27> letters{};
  for (std::string_view keyword : kTroubleKeywords) {
    letters[static_cast<size_t>(keyword[0] - 'a')] |= uint32_t{1} << (keyword[1] - 'a');
  }
  return letters;
}();

// True when the two characters, lower-cased, begin some keyword. Trip
// comments are mostly letters, so testing one letter let a keyword's
// comparison start at every fifth character or so, each start a branch the
// processor could not foresee; two letters rule out nearly all of them.
bool beginsKeyword(char first, char second) {
  const unsigned a = static_cast<unsigned char>(lowerAscii(first)) - 'a';
  const unsigned b = static_cast<unsigned char>(lowerAscii(second)) - 'a';
  const uint32_t seconds = kKeywordSecondLetters[a < 26 ? a : 26];
  return ((seconds >> (b & 31)) & static_cast<uint32_t>(b < 26)) != 0;
}

// |atoi(text)| kept in a byte or 16 bits; the sign of the card value is dropped.
int64_t absInt(std::string_view text) {
  return std::llabs(int64_t{toInt(text)});
}

}  // namespace

CallPosition callPosition(std::string_view positionText, std::string_view lengthsText) {
  CallPosition call{};
  call.position = lowByte(toInt(positionText));
  const double lengths = toDouble(lengthsText);
  if (std::fabs(lengths - 0.25) < kTolerance) {
    call.lengths = 0.25f;
  } else if (std::fabs(lengths - 0.13) < kTolerance) {
    call.lengths = 0.08f;
  } else if (lengths > 0 && lengths < 0.13) {
    call.lengths = 0.02f;
  } else {
    call.lengths = static_cast<float>(lengths);
  }
  return call;
}

bool hasTroubleKeyword(std::string_view tripComment) {
  // Matched in place, as if the comment were lower-cased: the reader calls
  // this for every past race of every line and must not allocate. One pass
  // over the comment; the keywords are compared only where one could begin.
  for (size_t at = 0; at + 1 < tripComment.size(); ++at) {
    if (!beginsKeyword(tripComment[at], tripComment[at + 1])) continue;
    for (std::string_view keyword : kTroubleKeywords) {
      if (keyword.size() > tripComment.size() - at) continue;
      size_t i = 0;
      while (i < keyword.size() && lowerAscii(tripComment[at + i]) == keyword[i]) ++i;
      if (i == keyword.size()) return true;
    }
  }
  return false;
}

void fillPastRace(int k, const FieldSlots& f, PastRace& p) {
  p = PastRace{};
  p.date = packDate(f[206 + k]);
  p.distance = distanceCode(f[256 + k]);
  p.fieldSize = lowByte(toInt(f[276 + k]));
  p.postPosition = lowByte(toInt(f[286 + k]));

  // Sprints report the start call first, routes the quarter-mile call.
  const bool sprint = absInt(f[256 + k]) < 1760;
  if (sprint) {
    p.call1 = callPosition(f[516 + k], f[576 + k]);
    p.call2 = callPosition(f[526 + k], f[586 + k]);
  } else {
    p.call1 = callPosition(f[526 + k], f[586 + k]);
    p.call2 = callPosition(f[536 + k], f[596 + k]);
  }
  p.call3 = callPosition(f[546 + k], f[606 + k]);
  p.finish = callPosition(f[556 + k], f[616 + k]);

  p.speedRating = low16(static_cast<int32_t>(absInt(f[706 + k])));
  p.raceClass = decodeClass(f[836 + k], f[486 + k], f[496 + k]);

  const std::string_view surface = f[266 + k];
  const std::string_view restriction = f[846 + k];
  auto letter = [&](size_t i) { return i < restriction.size() ? upperAscii(restriction[i]) : '\0'; };
  uint8_t flags = 0;
  if (!surface.empty() && (surface[0] == 't' || surface[0] == 'T')) flags |= PastRace::kTurf;
  if (letter(2) == 'M' || letter(2) == 'F') flags |= PastRace::kFemalesOnly;
  if (letter(1) == 'U' || static_cast<unsigned char>(letter(0)) > 'B') flags |= PastRace::kOpenToOlder;
  if (hasTroubleKeyword(f[316 + k])) flags |= PastRace::kTrouble;
  p.flags = flags;

  p.weightCarried = lowByte(toInt(f[446 + k]));
  p.distanceRate = ratio(f[256 + k], f[796 + k]);
  p.latePace = lowByte(static_cast<int32_t>(absInt(f[726 + k])));
  p.trackVariant = lowByte(static_cast<int32_t>(absInt(f[736 + k])));
  p.earlyPace = lowByte(static_cast<int32_t>(absInt(f[626 + k])));
  p.middlePace = lowByte(static_cast<int32_t>(absInt(f[676 + k])));
  p.classRating = static_cast<float>(toDouble(f[696 + k]));
  p.raceLevel = static_cast<float>(toDouble(f[686 + k]));
}

bool isSprint(float distanceCode) {
  const double d = distanceCode;
  if (std::fabs(d) < kTolerance) return true;
  return d > 1.9 && d < 7.01;
}

bool goodRace(const PastRace& p) {
  const int position = p.finish.position == 0 ? 99 : p.finish.position;
  if (position >= 1 && position <= 3) return true;
  const double lengths = p.finish.lengths == 0.0f ? 99.0 : static_cast<double>(p.finish.lengths);
  const double allowed = isSprint(p.distance) ? 2.0 : 3.0;
  return lengths <= allowed + kTolerance;
}

}  // namespace stridewell
