// Failures and their excuses, on horses built race by race. Today's race is
// a six-furlong claiming race for $25,000 on 15 March 2024.
#include "race/failures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "form_builders.h"

namespace stridewell {
namespace {

using test::date;
using test::HorseBuilder;
using test::PastRaceBuilder;
using test::todayCard;

constexpr uint8_t kC = ClassCode::kClaiming;
constexpr uint8_t kA = ClassCode::kAllowance;
const int32_t kToday = date(2024, 3, 15);

// The subject of the excuse tests is past race 1, a bad race between two
// races ten days either side, the older one a good dirt race.
HorseBuilder excuseHorse(const std::function<void(HorseBuilder&)>& change) {
  HorseBuilder horse;
  horse.past({PastRaceBuilder().on(date(2024, 3, 5)).bad(),
              PastRaceBuilder().on(date(2024, 2, 24)).bad().post(3),
              PastRaceBuilder().on(date(2024, 2, 14)).finished(1, 0.0f)});
  change(horse);
  return horse;
}

TEST(Excused, EachRuleOnItsOwn) {
  struct Case {
    std::string what;
    std::function<void(HorseBuilder&)> change;
    int j;
    bool expected;
  };
  const auto none = [](HorseBuilder&) {};
  const auto race = [](HorseBuilder& h, int k) -> PastRace& { return h.raw().pastRaces[k]; };
  const Case cases[] = {
      {"no excuse", none, 1, false},
      {"layoff before it", [&](HorseBuilder& h) { race(h, 2).date = date(2024, 1, 24); }, 1, true},
      {"30 days before it is no layoff", [&](HorseBuilder& h) { race(h, 2).date = date(2024, 1, 25); }, 1,
       false},
      {"layoff after it", [&](HorseBuilder& h) { race(h, 0).date = date(2024, 3, 26); }, 1, true},
      {"the latest race, long before today", [&](HorseBuilder& h) { race(h, 0).date = date(2024, 2, 13); }, 0,
       true},
      {"the latest race, recent", none, 0, false},
      {"trouble", [&](HorseBuilder& h) { race(h, 1).flags |= PastRace::kTrouble; }, 1, true},
      {"route from post 8", [&](HorseBuilder& h) { race(h, 1).distance = 1.0f, race(h, 1).postPosition = 8; },
       1, true},
      {"route from post 7", [&](HorseBuilder& h) { race(h, 1).distance = 1.0f, race(h, 1).postPosition = 7; },
       1, false},
      {"sprint from post 12", [&](HorseBuilder& h) { race(h, 1).postPosition = 12; }, 1, false},
      {"filly against males", [&](HorseBuilder& h) { h.sex('f'); }, 1, true},
      {"mare against males", [&](HorseBuilder& h) { h.sex('m'); }, 1, true},
      {"filly among fillies",
       [&](HorseBuilder& h) { h.sex('f'), race(h, 1).flags |= PastRace::kFemalesOnly; }, 1, false},
      {"colt against males", [&](HorseBuilder& h) { h.sex('c'); }, 1, false},
      {"three-year-old in an open claimer",
       [&](HorseBuilder& h) { h.age(3), race(h, 1).flags |= PastRace::kOpenToOlder; }, 1, true},
      {"three-year-old in an open maiden race",
       [&](HorseBuilder& h) {
         h.age(3), race(h, 1).raceClass = {ClassCode::kMaiden, -2},
                           race(h, 1).flags |= PastRace::kOpenToOlder;
       },
       1, true},
      {"three-year-old in an open allowance",
       [&](HorseBuilder& h) {
         h.age(3), race(h, 1).raceClass = {kA, 30000}, race(h, 1).flags |= PastRace::kOpenToOlder;
       },
       1, false},
      {"three-year-old among its own age", [&](HorseBuilder& h) { h.age(3); }, 1, false},
      {"four-year-old against older",
       [&](HorseBuilder& h) { h.age(4), race(h, 1).flags |= PastRace::kOpenToOlder; }, 1, false},
      {"turf without a good turf race", [&](HorseBuilder& h) { race(h, 1).flags |= PastRace::kTurf; }, 1,
       true},
      {"turf after a good turf race",
       [&](HorseBuilder& h) {
         race(h, 1).flags |= PastRace::kTurf, race(h, 2).flags |= PastRace::kTurf,
             race(h, 0).finish = {2, 0.5f};
       },
       1, false},
      {"dirt when every good race was on turf", [&](HorseBuilder& h) { race(h, 2).flags |= PastRace::kTurf; },
       1, true},
      {"no good race at all: dirt is untried too",
       [&](HorseBuilder& h) {
         race(h, 2).finish = {6, 9.0f};
       },
       1, true},
  };
  for (const Case& c : cases) {
    const HorseBuilder horse = excuseHorse(c.change);
    EXPECT_EQ(excused(horse, c.j, kToday), c.expected) << c.what;
  }
}

TEST(Excused, MissingDatesAreNoLayoff) {
  HorseBuilder horse = excuseHorse([](HorseBuilder& h) {
    h.raw().pastRaces[0].date = 0;
    h.raw().pastRaces[2].date = date(2024, 2, 31);  // no such day
  });
  EXPECT_FALSE(excused(horse, 1, kToday));
  EXPECT_FALSE(excused(horse, 0, 0));
}

struct FailureCase {
  std::string what;
  float todayDistance;
  HorseBuilder horse;
  int expected;
};

TEST(Failures, CountsUnexcusedBadRacesBeforeTheLatestGoodOne) {
  const PastRaceBuilder good = PastRaceBuilder().on(date(2024, 2, 14)).finished(1, 0.0f).cls(kC, 25000);
  const auto bad = [](int month, int day) { return PastRaceBuilder().on(date(2024, month, day)).bad(); };
  const FailureCase cases[] = {
      {"no past races", 6.0f, HorseBuilder(), 0},
      {"no good race", 6.0f, HorseBuilder().past({bad(3, 5).cls(kC, 25000), bad(2, 24).cls(kC, 25000)}), 0},
      {"the latest race was good", 6.0f, HorseBuilder().past({good, bad(2, 1).cls(kC, 25000)}), 0},
      {"two bad races at the same class", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 25000), bad(2, 24).cls(kC, 25000), good}), 2},
      {"races after the good one do not count", 6.0f,
       HorseBuilder().past(
           {bad(3, 5).cls(kC, 25000), good, PastRaceBuilder(good).on(date(2024, 2, 4)).bad()}),
       1},
      {"big class drop: $25,000 to $10,000 (levels 3 and 7)", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 10000), good}), 1},
      {"big class drop is not excused by trouble", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 10000).flag(PastRace::kTrouble), good}), 1},
      {"same class, excused by trouble", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 23000).flag(PastRace::kTrouble), good}), 0},
      {"a bad turf race without turf form is excused", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 25000).flag(PastRace::kTurf), good}), 0},
      {"tried above both its good race and today: no blame", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 50000), good}), 0},
      {"above the good race but not above today", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 23000), PastRaceBuilder(good).cls(kC, 12000)}), 1},
      {"sprint today, good route, bad sprint: counts", 6.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 25000), PastRaceBuilder(good).route()}), 1},
      {"route today, good route, bad sprint: does not count", 1.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 25000), PastRaceBuilder(good).route()}), 0},
      {"route today, good route, bad route: counts", 1.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 25000).route(), PastRaceBuilder(good).route()}), 1},
      {"route today, good route, bad sprint at a big drop: counts", 1.0f,
       HorseBuilder().past({bad(3, 5).cls(kC, 5000), PastRaceBuilder(good).route()}), 1},
  };
  for (const FailureCase& c : cases) {
    const auto card = todayCard(kToday, c.todayDistance, {kC, 25000});
    EXPECT_EQ(failureCount(c.horse, *card), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace stridewell
