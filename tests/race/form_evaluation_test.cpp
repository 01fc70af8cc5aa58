// The profile of a whole race: header, copied card values, rate summary,
// counts and averages over the past races, the two-good-race averages,
// earnings per start and days since the last race.
#include "race/form_evaluation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "form_builders.h"
#include "race/card_values.h"
#include "race/past_race.h"

namespace stridewell {
namespace {

using test::date;
using test::HorseBuilder;
using test::PastRaceBuilder;

constexpr uint8_t kC = ClassCode::kClaiming;
constexpr uint8_t kA = ClassCode::kAllowance;
const int32_t kToday = date(2024, 3, 15);

class FormEvaluation : public ::testing::Test {
 protected:
  FormEvaluation() : race_(std::make_unique<Race>()) {
    clearRecord(race_->card);
    std::memset(&race_->profile, 0xAB, sizeof race_->profile);  // evaluation must clear it
    race_->card.date = kToday;
    race_->card.distance = test::kSixFurlongs;
    race_->card.raceClass = {kC, 25000};
  }

  // Adds a horse to the card and returns its slot.
  HorseEntry& add(const HorseEntry& horse) {
    HorseEntry& slot = race_->card.horses[race_->card.horseCount++];
    slot = horse;
    return slot;
  }

  const HorseProfile& evaluate(int index = 0) {
    evaluateRace(*race_);
    return race_->profile.horses[index];
  }

  std::unique_ptr<Race> race_;
};

TEST_F(FormEvaluation, HeaderCopiesTheRaceAndConvertsTheDistance) {
  RaceCard& card = race_->card;
  card.hostRaceNumber = 7;
  std::memcpy(card.hostTrack, "SAX", 4);
  card.surface = RaceCard::kTurf;
  card.raceClass = {kA, 62000};
  add(HorseBuilder());
  add(HorseBuilder());
  evaluateRace(*race_);
  const RaceProfile& p = race_->profile;
  EXPECT_EQ(+p.distanceYards, 1320);
  EXPECT_EQ(+p.sprintRoute, RaceProfile::kSprint);
  EXPECT_EQ(+p.raceClass.type, kA);
  EXPECT_EQ(+p.raceClass.amount, 62000);
  EXPECT_EQ(+p.surface, RaceCard::kTurf);
  EXPECT_EQ(+p.hostRaceNumber, 7);
  EXPECT_STREQ(p.hostTrack, "SAX");
  EXPECT_EQ(+p.date, kToday);
  EXPECT_EQ(+p.horseCount, 2);
  // Unused slots and the reserved bytes are zero, whatever was there before.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&p);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(bytes[i], 0) << i;
  const auto* unused = reinterpret_cast<const unsigned char*>(&p.horses[2]);
  const size_t unusedBytes = sizeof p.horses[0] * (kMaxHorses - 2);
  EXPECT_EQ(std::count(unused, unused + unusedBytes, 0), static_cast<long>(unusedBytes));
}

TEST(DistanceYards, FurlongsMilesAndLongRoutes) {
  struct Case {
    float code;
    int yards;
    bool sprint;
  };
  const Case cases[] = {
      {0.0f, 0, true},       {2.0f, 440, true},      {4.5f, 990, true},
      {6.0f, 1320, true},    {7.0f, 1540, true},     {7.5f, 1650, false},
      {1.0f, 1760, false},   {1.0625f, 1870, false},  // 1 1/16 miles
      {1.5f, 2640, false},   {-2.0f, 3520, false},    // beyond 1.9 miles the code is negative
      {-2.25f, 3960, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(distanceYards(c.code), c.yards) << c.code;
    EXPECT_EQ(isSprint(c.code), c.sprint) << c.code;
  }
  // The codes the card reader makes from yards come back as the same yards.
  for (int yards : {440,  660,  990,  1100, 1210, 1320, 1430, 1540, 1650, 1760, 1800, 1830, 1870,
                    1980, 2090, 2200, 2420, 2640, 2750, 2860, 3080, 3344, 3520, 3630, 3960}) {
    EXPECT_EQ(distanceYards(distanceCode(std::to_string(yards))), yards) << yards;
  }
}

TEST_F(FormEvaluation, CopiesTheCardValuesOfEachHorse) {
  HorseEntry& h = add(HorseBuilder().sex('f').age(4));
  std::strcpy(h.name, "QUICK STEP");
  h.morningLine = 4.5f;
  h.postPosition = 6;
  h.weight = 121;
  h.medication = HorseEntry::kLasix;
  h.dirtRecord = {12, 25, 16, 8};
  h.wetRecord = {3, 33, 0, 0};
  h.jockeyGoodRaces = 9;
  h.pastRacesAtHostTrack = 4;
  h.ratesAtHostTrack = 2;
  h.primePower = 121.5f;
  h.recentLatePace = -3.25f;
  h.cardDaysSinceLastRace = -12;
  h.bestSpeedLifetime = 300;
  h.trainerWinPercent = 0.18f;
  h.jockeyInMoneyPercent = 0.41f;
  const HorseProfile& p = evaluate();
  EXPECT_EQ(+p.morningLine, 4.5f);
  EXPECT_STREQ(p.name, "QUICK STEP");
  EXPECT_EQ(+p.postPosition, 6);
  EXPECT_EQ(+p.sexCode, 'f');
  EXPECT_EQ(+p.age, 4);
  EXPECT_EQ(+p.weight, 121);
  EXPECT_EQ(+p.medication, HorseEntry::kLasix);
  EXPECT_EQ(+p.recordBlocks[0].starts, 12);
  EXPECT_EQ(+p.recordBlocks[0].winPercent, 25);
  EXPECT_EQ(+p.recordBlocks[7].starts, 3);
  EXPECT_EQ(+p.recordBlocks[7].winPercent, 33);
  EXPECT_EQ(+p.jockeyGoodRaces, 9);
  EXPECT_EQ(+p.pastRacesAtHostTrack, 4);
  EXPECT_EQ(+p.ratesAtHostTrack, 2);
  EXPECT_EQ(+p.cardRatings[0], 121.5f);
  EXPECT_EQ(+p.cardRatings[5], -3.25f);
  EXPECT_EQ(+p.cardFigures[0], -12);
  EXPECT_EQ(+p.cardFigures[1], 300);
  EXPECT_EQ(+p.trainerJockeyPercents[0], 0.18f);
  EXPECT_EQ(+p.trainerJockeyPercents[3], 0.41f);
}

TEST_F(FormEvaluation, HorseWithoutPastRacesHasOnlyZeros) {
  add(HorseBuilder());
  const HorseProfile& p = evaluate();
  EXPECT_EQ(+p.failures, 0);
  EXPECT_EQ(+p.earlySpeed, 0);
  EXPECT_EQ(+p.daysSinceLastRace, 0);
  EXPECT_EQ(+p.avgSpeedRating10, 0);
  EXPECT_EQ(+p.avgCall1, 0.0f);
  EXPECT_EQ(+p.avgFinish, 0.0f);
  EXPECT_EQ(+p.avgClassRating, 0.0f);
  EXPECT_EQ(+p.avgLatePace, 0);
  EXPECT_EQ(+p.lastMoneyFinish, 0);
  EXPECT_EQ(+p.lastMoneyClass.type, 0);
  EXPECT_EQ(+p.goodRaces, 0);
}

TEST_F(FormEvaluation, RateSummary) {
  HorseEntry& h = add(HorseBuilder());
  const RateEntry rates[] = {{80.0f, 2}, {90.0f, 2}, {70.0f, 1}, {0.0f, 2}, {95.0f, 0}, {-5.0f, 1}};
  std::memcpy(h.rateEntries, rates, sizeof rates);
  const HorseProfile& p = evaluate();
  EXPECT_EQ(+p.bestRate, 95.0f);        // any condition counts for the best
  EXPECT_EQ(+p.dryRateAverage, 85.0f);  // the zero rate is left out
  EXPECT_EQ(+p.wetRateAverage, 32.5f);  // (70 - 5) / 2
}

TEST_F(FormEvaluation, BestRateIsNeverBelowZero) {
  HorseEntry& h = add(HorseBuilder());
  h.rateEntries[0] = {-4.0f, 2};
  EXPECT_EQ(+evaluate().bestRate, 0.0f);
}

TEST_F(FormEvaluation, DaysSinceLastRace) {
  struct Case {
    int32_t lastRace;
    int expected;
  };
  const Case cases[] = {{date(2024, 2, 4), 40},
                        {date(2023, 10, 17), 100},  // 150 days, capped
                        {date(2024, 3, 15), 0},
                        {0, 0}};
  for (const Case& c : cases) {
    race_->card.horseCount = 0;
    add(HorseBuilder().past({PastRaceBuilder().on(c.lastRace)}));
    EXPECT_EQ(+evaluate().daysSinceLastRace, c.expected) << std::hex << c.lastRace;
  }
}

TEST_F(FormEvaluation, EarningsPerStart) {
  struct Case {
    int startsThisYear;
    int earningsThisYear;
    int startsLastYear;
    int earningsLastYear;
    int expected;
  };
  const Case cases[] = {
      {4, 20000, 6, 10000, 3000},  // five starts or fewer: the other record is added
      {6, 30000, 6, 10000, 5000},
      {5, 10001, 5, 4999, 1500},  // five starts still adds the other record
      {5, 10001, 0, 0, 2000},
      {3, 5000, 0, 0, 1667},  // rounded
      {0, 0, 0, 0, 0},
      {0, 500, 0, 0, 0},
      {0, 0, 2, 3000, 1500},
  };
  for (const Case& c : cases) {
    race_->card.horseCount = 0;
    HorseEntry& h = add(HorseBuilder());
    h.startsThisYear = static_cast<int16_t>(c.startsThisYear);
    h.earningsThisYear = c.earningsThisYear;
    h.startsLastYear = static_cast<int16_t>(c.startsLastYear);
    h.earningsLastYear = c.earningsLastYear;
    EXPECT_EQ(+evaluate().earningsPerStart, c.expected) << c.startsThisYear << " " << c.earningsThisYear;
  }
}

TEST_F(FormEvaluation, CountsAndAveragesSplitByTodaysRaceType) {
  // Today is a sprint. Races, most recent first:
  //   0 sprint, 5th by 8 (bad), calls 2/3/4/5, weightCarried 10, distanceRate 80
  //   1 route,  3rd (good, money) at allowance 40000, calls 1/1/2/3, weightCarried 0
  //   2 sprint, 1st (good, money), calls 5/0/2/1, weightCarried 15, distanceRate 90
  //   3 sprint, 2nd (good, money), calls 0/4/3/2, weightCarried 20, distanceRate 0
  PastRaceBuilder r0 = PastRaceBuilder().finished(5, 8.0f);
  r0.raw().call1 = {2, 1.0f};
  r0.raw().call2 = {3, 2.0f};
  r0.raw().call3 = {4, 3.0f};
  r0.raw().weightCarried = 10;
  r0.raw().distanceRate = 80.0f;
  PastRaceBuilder r1 = PastRaceBuilder().route().finished(3, 1.0f).cls(kA, 40000);
  r1.raw().call1 = {1, 0.0f};
  r1.raw().call2 = {1, 0.0f};
  r1.raw().call3 = {2, 0.5f};
  r1.raw().distanceRate = 50.0f;
  PastRaceBuilder r2 = PastRaceBuilder().finished(1, 0.0f).cls(kC, 16000);
  r2.raw().call1 = {5, 4.0f};
  r2.raw().call3 = {2, 1.0f};
  r2.raw().weightCarried = 15;
  r2.raw().distanceRate = 90.0f;
  PastRaceBuilder r3 = PastRaceBuilder().finished(2, 0.5f);
  r3.raw().call2 = {4, 2.0f};
  r3.raw().call3 = {3, 1.0f};
  r3.raw().weightCarried = 20;
  add(HorseBuilder().past({r0, r1, r2, r3}));
  const HorseProfile& p = evaluate();
  EXPECT_EQ(+p.pastRaceCount, 4);
  EXPECT_EQ(+p.sameTypeRaces, 3);
  EXPECT_EQ(+p.goodRaces, 3);
  EXPECT_EQ(+p.sameTypeGoodRaces, 2);
  EXPECT_EQ(+p.avgCall1, 3.5f);          // (2 + 5) / 2: race 3 has none, race 1 is a route
  EXPECT_EQ(+p.avgCall2, 3.5f);          // (3 + 4) / 2
  EXPECT_EQ(+p.avgCall3, 3.0f);          // (4 + 2 + 3) / 3
  EXPECT_EQ(+p.avgFinish, 8.0f / 3.0f);  // (5 + 1 + 2) / 3
  EXPECT_EQ(+p.finishes[0], 1);
  EXPECT_EQ(+p.finishes[1], 1);
  EXPECT_EQ(+p.finishes[2], 1);
  EXPECT_EQ(+p.sameTypeFinishes[0], 1);
  EXPECT_EQ(+p.sameTypeFinishes[1], 1);
  EXPECT_EQ(+p.sameTypeFinishes[2], 0);
  EXPECT_EQ(+p.lastMoneyClass.type, kA);  // the most recent money finish, a route
  EXPECT_EQ(+p.lastMoneyClass.amount, 40000);
  EXPECT_EQ(+p.lastMoneyFinish, 3);
  EXPECT_EQ(+p.avgWeightCarried, 15);    // (10 + 15 + 20) / 3, zeros left out
  EXPECT_EQ(+p.avgDistanceRate, 85.0f);  // same type, zeros left out
}

TEST_F(FormEvaluation, TwoGoodRaceAverages) {
  const auto good = [](int16_t speed, uint8_t latePace, float classRating) {
    PastRaceBuilder b = PastRaceBuilder().finished(1, 0.0f).speed(speed);
    b.raw().latePace = latePace;
    b.raw().classRating = classRating;
    return b;
  };
  const auto bad = [](int16_t speed, uint8_t latePace, float classRating) {
    PastRaceBuilder b = PastRaceBuilder().finished(6, 9.0f).speed(speed);
    b.raw().latePace = latePace;
    b.raw().classRating = classRating;
    return b;
  };
  struct Case {
    std::string what;
    HorseBuilder horse;
    int speed10;
    int latePace;
    float classRating;
  };
  const Case cases[] = {
      {"the first two good races",
       HorseBuilder().past(
           {good(80, 10, 100.5f), bad(99, 99, 99.0f), good(81, 13, 101.0f), good(60, 40, 50.0f)}),
       805, 11, 100.75f},
      {"one good race", HorseBuilder().past({bad(90, 30, 90.0f), good(77, 9, 88.5f)}), 770, 9, 88.5f},
      {"a good race without the value is passed over",
       HorseBuilder().past({good(0, 0, 0.0f), good(80, 12, 100.0f), good(90, 14, 110.0f)}), 850, 13, 105.0f},
      {"no good race: every race with the value",
       HorseBuilder().past({bad(70, 10, 80.0f), bad(71, 11, 0.0f), bad(71, 13, 81.0f)}), 707, 11,
       80.5f},  // 212 / 3 = 70.67 -> 707; 34 / 3 = 11
      {"nothing anywhere", HorseBuilder().past({bad(0, 0, 0.0f)}), 0, 0, 0.0f},
  };
  for (const Case& c : cases) {
    race_->card.horseCount = 0;
    add(c.horse);
    const HorseProfile& p = evaluate();
    EXPECT_EQ(+p.avgSpeedRating10, c.speed10) << c.what;
    EXPECT_EQ(+p.avgLatePace, c.latePace) << c.what;
    EXPECT_EQ(+p.avgClassRating, c.classRating) << c.what;
  }
}

TEST_F(FormEvaluation, FormFactorsComeFromTheirRules) {
  // A bad race at $10,000 after a good one at $25,000: a failure by class
  // drop. The first calls score the sprint rating 1 + 2 + 2 = 5.
  PastRaceBuilder dropped = PastRaceBuilder().on(date(2024, 3, 1)).bad().cls(kC, 10000).firstCall(1, 0.0f);
  PastRaceBuilder won = PastRaceBuilder().on(date(2024, 2, 1)).cls(kC, 25000).firstCall(1, 0.0f);
  add(HorseBuilder().past({dropped, won}));
  const HorseProfile& p = evaluate();
  EXPECT_EQ(+p.failures, 1);
  EXPECT_EQ(+p.earlySpeed, 5);
  EXPECT_EQ(+p.daysSinceLastRace, 14);
}

TEST_F(FormEvaluation, OutOfRangeCountsAreClamped) {
  HorseEntry& h = add(HorseBuilder().past({PastRaceBuilder().finished(1, 0.0f)}));
  h.pastRaceCount = 200;  // a damaged record: only ten slots exist
  race_->card.horseCount = 64;
  const HorseProfile& p = evaluate();
  EXPECT_EQ(+p.goodRaces, 1);
  EXPECT_EQ(+p.pastRaceCount, 200);  // copied as it stands
}

}  // namespace
}  // namespace stridewell
