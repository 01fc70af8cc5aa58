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

static_assert(std::endian::native == std::endian::little, "stored records are little-endian byte images");

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
  int32_t date;    // packed date, see packDate
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
  uint8_t weightCarried;  // card field 446+k, pounds
  float distanceRate;
  uint8_t latePace;      // card field 726+k, late pace figure, sign dropped
  uint8_t trackVariant;  // card field 736+k, the day's track variant, sign dropped
  uint8_t earlyPace;     // card field 626+k, pace figure at the first call, sign dropped
  uint8_t middlePace;    // card field 676+k, pace figure at the second call, sign dropped
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
  int16_t startsThisYear;    // card field 66 (block A)
  int32_t earningsThisYear;  // card field 70
  int16_t startsLastYear;    // card field 71 (block B)
  int32_t earningsLastYear;  // card field 75
  PastRace pastRaces[kMaxPastRaces];
  uint8_t pastRaceCount;
  uint8_t weight;
  uint8_t medication;
  RecordBlock dirtRecord;        // card fields 186-189
  RecordBlock allWeatherRecord;  // card fields 196-199
  RecordBlock lifetimeRecord;    // card fields 46-49
  RecordBlock distanceRecord;    // card fields 51-54, at today's distance
  RecordBlock trackRecord;       // card fields 56-59, at today's track
  RecordBlock turfRecord;        // card fields 61-64
  RecordBlock twoYearRecord;     // card fields 66-69 plus 71-74: this year and last
  RecordBlock wetRecord;         // card fields 76-79, on wet tracks
  RateEntry rateEntries[kRateEntries];
  uint8_t postPosition;
  uint8_t jockeyGoodRaces;
  char jockey[30];
  float morningLine;
  uint8_t pastRacesAtHostTrack;
  uint8_t ratesAtHostTrack;
  float primePower;
  float bestSpeedPastYear;  // card field 135, best speed figure of the last 365 days
  float avgCompetitiveLevel;
  float currentClass;
  float recentEarlyPace;          // card field 1032, early pace averaged over recent races
  float recentLatePace;           // card field 1033, late pace averaged over recent races
  int16_t cardDaysSinceLastRace;  // card field 137, as the card counts them
  int16_t bestSpeedLifetime;      // card field 139, best speed figure ever
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
static_assert(offsetof(PastRace, weightCarried) == 42);
static_assert(offsetof(PastRace, distanceRate) == 43);
static_assert(offsetof(PastRace, latePace) == 47);
static_assert(offsetof(PastRace, trackVariant) == 48);
static_assert(offsetof(PastRace, earlyPace) == 49);
static_assert(offsetof(PastRace, middlePace) == 50);
static_assert(offsetof(PastRace, classRating) == 51);
static_assert(offsetof(PastRace, raceLevel) == 55);

static_assert(sizeof(HorseEntry) == 827);
static_assert(offsetof(HorseEntry, sexCode) == 8);
static_assert(offsetof(HorseEntry, age) == 9);
static_assert(offsetof(HorseEntry, name) == 10);
static_assert(offsetof(HorseEntry, startsThisYear) == 40);
static_assert(offsetof(HorseEntry, earningsThisYear) == 42);
static_assert(offsetof(HorseEntry, startsLastYear) == 46);
static_assert(offsetof(HorseEntry, earningsLastYear) == 48);
static_assert(offsetof(HorseEntry, pastRaces) == 52);
static_assert(offsetof(HorseEntry, pastRaceCount) == 642);
static_assert(offsetof(HorseEntry, weight) == 643);
static_assert(offsetof(HorseEntry, medication) == 644);
static_assert(offsetof(HorseEntry, dirtRecord) == 645);
static_assert(offsetof(HorseEntry, allWeatherRecord) == 650);
static_assert(offsetof(HorseEntry, lifetimeRecord) == 655);
static_assert(offsetof(HorseEntry, distanceRecord) == 660);
static_assert(offsetof(HorseEntry, trackRecord) == 665);
static_assert(offsetof(HorseEntry, turfRecord) == 670);
static_assert(offsetof(HorseEntry, twoYearRecord) == 675);
static_assert(offsetof(HorseEntry, wetRecord) == 680);
static_assert(offsetof(HorseEntry, rateEntries) == 685);
static_assert(offsetof(HorseEntry, postPosition) == 745);
static_assert(offsetof(HorseEntry, jockeyGoodRaces) == 746);
static_assert(offsetof(HorseEntry, jockey) == 747);
static_assert(offsetof(HorseEntry, morningLine) == 777);
static_assert(offsetof(HorseEntry, pastRacesAtHostTrack) == 781);
static_assert(offsetof(HorseEntry, ratesAtHostTrack) == 782);
static_assert(offsetof(HorseEntry, primePower) == 783);
static_assert(offsetof(HorseEntry, bestSpeedPastYear) == 787);
static_assert(offsetof(HorseEntry, avgCompetitiveLevel) == 791);
static_assert(offsetof(HorseEntry, currentClass) == 795);
static_assert(offsetof(HorseEntry, recentEarlyPace) == 799);
static_assert(offsetof(HorseEntry, recentLatePace) == 803);
static_assert(offsetof(HorseEntry, cardDaysSinceLastRace) == 807);
static_assert(offsetof(HorseEntry, bestSpeedLifetime) == 809);
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
