// The race card records: one race's header and up to 64 horses, each with
// its ten most recent past races. These byte images are stored verbatim in
// dataset files, so every size and offset below is a file format and is
// pinned by a static_assert. Members are little-endian; the program only
// builds on little-endian hosts (checked below).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace stridewell {

static_assert(std::endian::native == std::endian::little,
              "stored records are little-endian byte images");

inline constexpr int kMaxHorses = 64;
inline constexpr int kMaxPastRaces = 10;
inline constexpr int kRateEntries = 12;
inline constexpr int kCommentLines = 9;

#pragma pack(push, 1)

// Race type and the amount that goes with it (claiming price, purse, grade).
struct ClassCode {
  enum Type : uint8_t { kNone = 0, kMaiden = 1, kClaiming = 2, kAllowance = 3, kStakes = 4 };
  uint8_t type;
  int32_t amount;
};

// Starts and rounded win/second/third percentages of one record line.
struct RecordBlock {
  uint16_t starts;
  uint8_t winPercent;
  uint8_t secondPercent;
  uint8_t thirdPercent;
};

// Running position and beaten lengths at one call of a past race.
struct CallPosition {
  uint8_t position;
  float lengths;
};

struct PastRace {
  enum Flag : uint8_t {
    kTurf = 1 << 0,
    kFemalesOnly = 1 << 1,
    kOpenToOlder = 1 << 2,
    kTrouble = 1 << 3,
  };
  uint8_t reserved[4];
  int32_t date;  // packed date, see packDate
  float distance;  // distance code, see distanceCode
  uint8_t fieldSize;
  uint8_t postPosition;
  CallPosition call1;
  CallPosition call2;
  CallPosition call3;  // the stretch call
  CallPosition finish;
  int16_t speedRating;
  ClassCode raceClass;
  uint8_t flags;
  uint8_t value446;
  float distanceRate;
  uint8_t value726;
  uint8_t value736;
  uint8_t value626;
  uint8_t value676;
  float classRating;
  float raceLevel;
};

struct RateEntry {
  float rate;
  uint8_t condition;  // 1 wet, 2 dry
};

struct HorseEntry {
  enum Medication : uint8_t { kLasix = 1 << 0, kBute = 1 << 1 };
  uint8_t reserved[8];
  char sexCode;  // 'f' filly, 'm' mare, 'g' gelding, 'c' colt, 'h' horse
  uint8_t age;
  char name[30];
  int16_t startsA;
  int32_t earningsA;
  int16_t startsB;
  int32_t earningsB;
  PastRace pastRaces[kMaxPastRaces];
  uint8_t pastRaceCount;
  uint8_t weight;
  uint8_t medication;
  RecordBlock record186;
  RecordBlock record196;
  RecordBlock record46;
  RecordBlock record51;
  RecordBlock record56;
  RecordBlock record61;
  RecordBlock recordAB;
  RecordBlock record76;
  RateEntry rateEntries[kRateEntries];
  uint8_t postPosition;
  uint8_t jockeyGoodRaces;
  char jockey[30];
  float morningLine;
  uint8_t pastRacesAtHostTrack;
  uint8_t ratesAtHostTrack;
  float primePower;
  float value135;
  float avgCompetitiveLevel;
  float currentClass;
  float value1032;
  float value1033;
  int16_t value137;
  int16_t value139;
  float trainerWinPercent;
  float trainerInMoneyPercent;
  float jockeyWinPercent;
  float jockeyInMoneyPercent;
};

struct RaceCard {
  enum Surface : uint8_t { kDirt = 0, kTurf = 1, kOtherSurface = 2 };
  uint8_t reserved[4];
  uint8_t hostRaceNumber;
  char hostTrack[4];
  int32_t date;
  uint8_t horseCount;
  float distance;
  ClassCode raceClass;
  uint8_t surface;
  HorseEntry horses[kMaxHorses];
};

#pragma pack(pop)

static_assert(sizeof(ClassCode) == 5);
static_assert(offsetof(ClassCode, amount) == 1);
static_assert(sizeof(RecordBlock) == 5);
static_assert(offsetof(RecordBlock, winPercent) == 2);
static_assert(offsetof(RecordBlock, thirdPercent) == 4);
static_assert(sizeof(CallPosition) == 5);
static_assert(offsetof(CallPosition, lengths) == 1);
static_assert(sizeof(RateEntry) == 5);

static_assert(sizeof(PastRace) == 59);
static_assert(offsetof(PastRace, date) == 4);
static_assert(offsetof(PastRace, distance) == 8);
static_assert(offsetof(PastRace, fieldSize) == 12);
static_assert(offsetof(PastRace, postPosition) == 13);
static_assert(offsetof(PastRace, call1) == 14);
static_assert(offsetof(PastRace, call2) == 19);
static_assert(offsetof(PastRace, call3) == 24);
static_assert(offsetof(PastRace, finish) == 29);
static_assert(offsetof(PastRace, speedRating) == 34);
static_assert(offsetof(PastRace, raceClass) == 36);
static_assert(offsetof(PastRace, flags) == 41);
static_assert(offsetof(PastRace, value446) == 42);
static_assert(offsetof(PastRace, distanceRate) == 43);
static_assert(offsetof(PastRace, value726) == 47);
static_assert(offsetof(PastRace, value736) == 48);
static_assert(offsetof(PastRace, value626) == 49);
static_assert(offsetof(PastRace, value676) == 50);
static_assert(offsetof(PastRace, classRating) == 51);
static_assert(offsetof(PastRace, raceLevel) == 55);

static_assert(sizeof(HorseEntry) == 827);
static_assert(offsetof(HorseEntry, sexCode) == 8);
static_assert(offsetof(HorseEntry, age) == 9);
static_assert(offsetof(HorseEntry, name) == 10);
static_assert(offsetof(HorseEntry, startsA) == 40);
static_assert(offsetof(HorseEntry, earningsA) == 42);
static_assert(offsetof(HorseEntry, startsB) == 46);
static_assert(offsetof(HorseEntry, earningsB) == 48);
static_assert(offsetof(HorseEntry, pastRaces) == 52);
static_assert(offsetof(HorseEntry, pastRaceCount) == 642);
static_assert(offsetof(HorseEntry, weight) == 643);
static_assert(offsetof(HorseEntry, medication) == 644);
static_assert(offsetof(HorseEntry, record186) == 645);
static_assert(offsetof(HorseEntry, record196) == 650);
static_assert(offsetof(HorseEntry, record46) == 655);
static_assert(offsetof(HorseEntry, record51) == 660);
static_assert(offsetof(HorseEntry, record56) == 665);
static_assert(offsetof(HorseEntry, record61) == 670);
static_assert(offsetof(HorseEntry, recordAB) == 675);
static_assert(offsetof(HorseEntry, record76) == 680);
static_assert(offsetof(HorseEntry, rateEntries) == 685);
static_assert(offsetof(HorseEntry, postPosition) == 745);
static_assert(offsetof(HorseEntry, jockeyGoodRaces) == 746);
static_assert(offsetof(HorseEntry, jockey) == 747);
static_assert(offsetof(HorseEntry, morningLine) == 777);
static_assert(offsetof(HorseEntry, pastRacesAtHostTrack) == 781);
static_assert(offsetof(HorseEntry, ratesAtHostTrack) == 782);
static_assert(offsetof(HorseEntry, primePower) == 783);
static_assert(offsetof(HorseEntry, value135) == 787);
static_assert(offsetof(HorseEntry, avgCompetitiveLevel) == 791);
static_assert(offsetof(HorseEntry, currentClass) == 795);
static_assert(offsetof(HorseEntry, value1032) == 799);
static_assert(offsetof(HorseEntry, value1033) == 803);
static_assert(offsetof(HorseEntry, value137) == 807);
static_assert(offsetof(HorseEntry, value139) == 809);
static_assert(offsetof(HorseEntry, trainerWinPercent) == 811);
static_assert(offsetof(HorseEntry, trainerInMoneyPercent) == 815);
static_assert(offsetof(HorseEntry, jockeyWinPercent) == 819);
static_assert(offsetof(HorseEntry, jockeyInMoneyPercent) == 823);

static_assert(sizeof(RaceCard) == 52952);
static_assert(offsetof(RaceCard, hostRaceNumber) == 4);
static_assert(offsetof(RaceCard, hostTrack) == 5);
static_assert(offsetof(RaceCard, date) == 9);
static_assert(offsetof(RaceCard, horseCount) == 13);
static_assert(offsetof(RaceCard, distance) == 14);
static_assert(offsetof(RaceCard, raceClass) == 18);
static_assert(offsetof(RaceCard, surface) == 23);
static_assert(offsetof(RaceCard, horses) == 24);

// Printable texts of the race as read from the card; kept in memory only.
struct HorseListEntry {
  char programNumber[12];
  float morningLine;
  char ageSex[12];  // "%d%c" of age and sexCode, or "%c" when the age is 0
};

struct RaceCardText {
  char commentLines[kCommentLines][70];
  char restriction[10];  // age group letter, 'O' only / 'U' and up, sex letter
  char cardTrack[12];
  int32_t raceNumber;
  HorseListEntry horseList[kMaxHorses];
};

}  // namespace stridewell
