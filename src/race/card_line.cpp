#include "race/card_line.h"

#include <cstdio>
#include <cstring>

#include "base/text_case.h"
#include "race/card_values.h"
#include "race/past_race.h"
#include "race/text_number.h"

namespace stridewell {
namespace {

constexpr std::string_view kWageringSuffix = " WAGERING THIS RACE";

template <size_t N>
void copyText(char (&dst)[N], std::string_view text) {
  const size_t length = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(dst, text.data(), length);
  dst[length] = '\0';
}

float toFloat(std::string_view text) {
  return static_cast<float>(toDouble(text));
}

// Sums of two 32-bit counts wrap the way the card's own arithmetic does.
int32_t wrappingSum(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

const FieldLayout& cardFieldLayout() {
  static const FieldLayout layout{
      {1, 1, 7, true},
      {2, 2, 12},
      {3, 3, 6},
      {4, 4, 6},
      {5, 5, 5},
      {6, 6, 9},
      {7, 7, 5},
      {8, 8, 6},
      {10, 10, 11},
      {12, 12, 12},
      {13, 13, 29},
      {15, 15, 5},
      {17, 17, 7},
      {46, 49, 8},
      {51, 54, 8},
      {56, 59, 8},
      {61, 64, 8},
      {66, 69, 8},
      {70, 70, 12},
      {71, 74, 8},
      {75, 75, 12},
      {76, 79, 8},
      {83, 83, 29},
      {87, 87, 5},
      {93, 96, 11},
      {97, 100, 14, true},
      {101, 104, 9},
      {105, 108, 6},
      {135, 135, 9},
      {137, 137, 7},
      {139, 139, 7},
      {140, 140, 12},
      {142, 142, 9},
      {143, 143, 9},
      {144, 144, 7},
      {145, 145, 7, true},
      {171, 172, 19},
      {175, 176, 19},
      {186, 189, 8},
      {195, 195, 7},
      {196, 199, 8},
      {201, 201, 10},
      // Ten past races, field 206 + k and so on for k = 0 .. 9.
      {206, 215, 12},
      {226, 235, 7, true},
      {256, 265, 9},
      {266, 275, 5},
      {276, 285, 6},
      {286, 295, 6},
      {316, 325, 104},
      {446, 455, 7},
      {486, 495, 11},
      {496, 505, 12},
      {516, 565, 6},
      {576, 625, 9},
      {626, 635, 7},
      {676, 685, 7},
      {686, 695, 9},
      {696, 705, 9},
      {706, 715, 7},
      {726, 735, 7},
      {736, 745, 7},
      {796, 805, 10},
      {826, 835, 29},
      {836, 845, 6},
      {846, 855, 7},
      {1032, 1032, 10},
      {1033, 1033, 10},
      {1140, 1140, 7},
      {1141, 1141, 14},
      {1142, 1150, 64},
  };
  return layout;
}

bool isScratched(const FieldSlots& f) {
  return equalsIgnoreCase(f[5], "S");
}

void startRace(const FieldSlots& f, Race& race) {
  clearRecord(race.card);
  clearRecord(race.profile);
  clearRecord(race.text);

  RaceCardText& text = race.text;
  copyText(text.cardTrack, f[1]);
  text.raceNumber = toInt(f[3]);
  copyText(text.restriction, f[144]);
  for (int i = 0; i < kCommentLines; ++i) {
    std::string_view comment = f[1142 + i];
    if (comment.ends_with(kWageringSuffix)) comment.remove_suffix(kWageringSuffix.size());
    copyText(text.commentLines[i], comment);
  }

  RaceCard& card = race.card;
  card.hostRaceNumber = lowByte(toInt(f[195]));
  copyText(card.hostTrack, f[145]);
  card.date = packDate(f[2]);
  card.distance = distanceCode(f[6]);
  card.raceClass = decodeClass(f[8], f[10], f[12]);
  card.surface = surfaceCode(f[7]);
}

bool addHorse(const FieldSlots& f, Race& race) {
  RaceCard& card = race.card;
  if (card.horseCount >= kMaxHorses) return false;
  const int slot = card.horseCount++;
  HorseEntry& horse = card.horses[slot];
  horse = HorseEntry{};

  copyText(horse.name, f[13]);
  // This year's and last year's starts (blocks A and B) are read from six characters only.
  horse.startsThisYear = low16(toInt(f[66].substr(0, 6)));
  horse.earningsThisYear = toInt(f[70]);
  horse.startsLastYear = low16(toInt(f[71].substr(0, 6)));
  horse.earningsLastYear = toInt(f[75]);

  int pastRaceCount = 0;
  for (int k = 0; k < kMaxPastRaces; ++k) {
    if (!f[226 + k].empty()) ++pastRaceCount;
  }
  horse.pastRaceCount = static_cast<uint8_t>(pastRaceCount);
  for (int k = 0; k < pastRaceCount; ++k) fillPastRace(k, f, horse.pastRaces[k]);

  horse.weight = lowByte(toInt(f[17]));
  switch (toInt(f[87])) {
    case 1:
      horse.medication = HorseEntry::kLasix;
      break;
    case 2:
      horse.medication = HorseEntry::kBute;
      break;
    case 3:
      horse.medication = HorseEntry::kLasix | HorseEntry::kBute;
      break;
    default:
      break;
  }

  auto block = [&](int first) { return recordBlock(f[first], f[first + 1], f[first + 2], f[first + 3]); };
  horse.dirtRecord = block(186);
  horse.allWeatherRecord = block(196);
  horse.lifetimeRecord = block(46);
  horse.distanceRecord = block(51);
  horse.trackRecord = block(56);
  horse.turfRecord = block(61);
  horse.twoYearRecord =
      recordBlock(wrappingSum(toInt(f[66]), toInt(f[71])), wrappingSum(toInt(f[67]), toInt(f[72])),
                  wrappingSum(toInt(f[68]), toInt(f[73])), wrappingSum(toInt(f[69]), toInt(f[74])));
  horse.wetRecord = block(76);

  for (int k = 0; k < 4; ++k) {
    horse.rateEntries[k].rate = ratio(f[101 + k], f[93 + k]);
    horse.rateEntries[k].condition = conditionCode(f[105 + k]);
  }

  horse.postPosition = lowByte(toInt(f[4]));
  copyText(horse.jockey, f[83]);
  horse.morningLine = toFloat(f[1141]);

  const std::string_view hostTrack(card.hostTrack);
  int atHost = 0;
  for (int k = 0; k < kMaxPastRaces; ++k) atHost += sameTrack(f[226 + k], hostTrack);
  horse.pastRacesAtHostTrack = static_cast<uint8_t>(atHost);
  int ratesAtHost = 0;
  for (int k = 0; k < 4; ++k) ratesAtHost += sameTrack(f[97 + k], hostTrack);
  horse.ratesAtHostTrack = static_cast<uint8_t>(ratesAtHost);

  horse.primePower = toFloat(f[201]);
  horse.bestSpeedPastYear = toFloat(f[135]);
  horse.avgCompetitiveLevel = toFloat(f[142]);
  horse.currentClass = toFloat(f[143]);
  horse.recentEarlyPace = toFloat(f[1032]);
  horse.recentLatePace = toFloat(f[1033]);
  horse.cardDaysSinceLastRace = low16(toInt(f[137]));
  horse.bestSpeedLifetime = low16(toInt(f[139]));
  horse.trainerWinPercent = toFloat(f[171]);
  horse.trainerInMoneyPercent = toFloat(f[172]);
  horse.jockeyWinPercent = toFloat(f[175]);
  horse.jockeyInMoneyPercent = toFloat(f[176]);

  if (!f[140].empty()) {
    horse.age = lowByte(packedYear(card.date) - packedYear(packDate(f[140])));
  }
  const char sexLetter = f[15].empty() ? '\0' : upperAscii(f[15][0]);
  const bool older = horse.age >= 5;
  if (sexLetter == 'F' || sexLetter == 'M') {
    horse.sexCode = older ? 'm' : 'f';
  } else if (sexLetter == 'G' || sexLetter == 'R') {
    horse.sexCode = 'g';
  } else {
    horse.sexCode = older ? 'h' : 'c';
  }

  int jockeyGoodRaces = 0;
  for (int k = 0; k < pastRaceCount; ++k) {
    if (equalsIgnoreCase(f[83], f[826 + k]) && goodRace(horse.pastRaces[k])) ++jockeyGoodRaces;
  }
  horse.jockeyGoodRaces = static_cast<uint8_t>(jockeyGoodRaces);

  HorseListEntry& listEntry = race.text.horseList[slot];
  copyText(listEntry.programNumber, f[1140]);
  listEntry.morningLine = horse.morningLine;
  if (horse.age != 0) {
    std::snprintf(listEntry.ageSex, sizeof listEntry.ageSex, "%d%c", horse.age, horse.sexCode);
  } else {
    std::snprintf(listEntry.ageSex, sizeof listEntry.ageSex, "%c", horse.sexCode);
  }
  return true;
}

}  // namespace stridewell
