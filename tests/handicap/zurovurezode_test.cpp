// The ZuroVurezode on fields built by filling RaceProfile records directly:
// which of a horse's figures are looked at and in which direction, where
// "more than two standard deviations" begins, how the findings are shared
// into confidences, and the exact report text.
#include "handicap/zurovurezode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace stridewell {
namespace {

std::unique_ptr<RaceProfile> field(int horses) {
  auto profile = std::make_unique<RaceProfile>();
  std::memset(profile.get(), 0, sizeof *profile);
  profile->horseCount = static_cast<uint8_t>(horses);
  for (int i = 0; i < kMaxHorses; ++i) {
    const std::string name = "Horse " + std::to_string(i + 1);
    std::memcpy(profile->horses[i].name, name.data(), name.size());
  }
  return profile;
}

// One looked-at figure: how to give a horse an ordinary value of it and a
// standout value (high for '+' figures, low but not 0 for '-' figures), and
// the report line that names it.
struct Factor {
  const char* label;
  void (*ordinary)(HorseProfile&);
  void (*standout)(HorseProfile&);
  const char* line;
};

// The lines are "%-35.35s" of the label between the fixed texts.
const Factor kFactors[] = {
    {"-Horse days since last race", [](HorseProfile& h) { h.daysSinceLastRace = 60; },
     [](HorseProfile& h) { h.daysSinceLastRace = 5; },
     "           -Horse days since last race         - far better than rest of field\n"},
    {"+Horse average earnings per start", [](HorseProfile& h) { h.earningsPerStart = 1000; },
     [](HorseProfile& h) { h.earningsPerStart = 100000; },
     "           +Horse average earnings per start   - far better than rest of field\n"},
    {"+Horse starts", [](HorseProfile& h) { h.pastRaceCount = 2; },
     [](HorseProfile& h) { h.pastRaceCount = 10; },
     "           +Horse starts                       - far better than rest of field\n"},
    {"+Horse wins", [](HorseProfile& h) { h.sameTypeFinishes[0] = 0; },
     [](HorseProfile& h) { h.sameTypeFinishes[0] = 5; },
     "           +Horse wins                         - far better than rest of field\n"},
    {"+Recent good races", [](HorseProfile& h) { h.sameTypeGoodRaces = 1; },
     [](HorseProfile& h) { h.sameTypeGoodRaces = 6; },
     "           +Recent good races                  - far better than rest of field\n"},
    {"-Recent failures", [](HorseProfile& h) { h.failures = 4; }, [](HorseProfile& h) { h.failures = 1; },
     "           -Recent failures                    - far better than rest of field\n"},
    {"+Recent speed points", [](HorseProfile& h) { h.earlySpeed = 1; },
     [](HorseProfile& h) { h.earlySpeed = 8; },
     "           +Recent speed points                - far better than rest of field\n"},
    {"+Average speed rating", [](HorseProfile& h) { h.avgSpeedRating10 = 700; },
     [](HorseProfile& h) { h.avgSpeedRating10 = 950; },
     "           +Average speed rating               - far better than rest of field\n"},
    {"+Last money class",
     [](HorseProfile& h) {
       h.lastMoneyClass = {ClassCode::kClaiming, 5000};
     },
     [](HorseProfile& h) {
       h.lastMoneyClass = {ClassCode::kStakes, 100000};
     },
     "           +Last money class                   - far better than rest of field\n"},
    {"-Last money finishpos", [](HorseProfile& h) { h.lastMoneyFinish = 3; },
     [](HorseProfile& h) { h.lastMoneyFinish = 1; },
     "           -Last money finishpos               - far better than rest of field\n"},
    {"+Jockey good races", [](HorseProfile& h) { h.jockeyGoodRaces = 1; },
     [](HorseProfile& h) { h.jockeyGoodRaces = 9; },
     "           +Jockey good races                  - far better than rest of field\n"},
    {"+Recent speed rating", [](HorseProfile& h) { h.avgLatePace = 70; },
     [](HorseProfile& h) { h.avgLatePace = 99; },
     "           +Recent speed rating                - far better than rest of field\n"},
    {"+Horse BRIS PrimePower", [](HorseProfile& h) { h.cardRatings[0] = 100; },
     [](HorseProfile& h) { h.cardRatings[0] = 140; },
     "           +Horse BRIS PrimePower              - far better than rest of field\n"},
    // The competitive level is looked at by its size, so a stored -90 stands out.
    {"+Horse BRIS Avg Competitive Level", [](HorseProfile& h) { h.cardRatings[2] = 50; },
     [](HorseProfile& h) { h.cardRatings[2] = -90; },
     "           +Horse BRIS Avg Competitive Level   - far better than rest of field\n"},
    {"+Horse BRIS CurrentClass", [](HorseProfile& h) { h.cardRatings[3] = 100; },
     [](HorseProfile& h) { h.cardRatings[3] = 130; },
     "           +Horse BRIS CurrentClass            - far better than rest of field\n"},
    {"+Trainer Win Percent", [](HorseProfile& h) { h.trainerJockeyPercents[0] = 10; },
     [](HorseProfile& h) { h.trainerJockeyPercents[0] = 30; },
     "           +Trainer Win Percent                - far better than rest of field\n"},
    {"+Trainer In-Money Percent", [](HorseProfile& h) { h.trainerJockeyPercents[1] = 30; },
     [](HorseProfile& h) { h.trainerJockeyPercents[1] = 60; },
     "           +Trainer In-Money Percent           - far better than rest of field\n"},
    {"+Jockey Win Percent", [](HorseProfile& h) { h.trainerJockeyPercents[2] = 10; },
     [](HorseProfile& h) { h.trainerJockeyPercents[2] = 25; },
     "           +Jockey Win Percent                 - far better than rest of field\n"},
    {"+Jockey In-Money Percent", [](HorseProfile& h) { h.trainerJockeyPercents[3] = 30; },
     [](HorseProfile& h) { h.trainerJockeyPercents[3] = 55; },
     "           +Jockey In-Money Percent            - far better than rest of field\n"},
    {"+Recent class rating", [](HorseProfile& h) { h.avgClassRating = 60; },
     [](HorseProfile& h) { h.avgClassRating = 90; },
     "           +Recent class rating                - far better than rest of field\n"},
    {"+Recent race level", [](HorseProfile& h) { h.avgRaceLevel = 80; },
     [](HorseProfile& h) { h.avgRaceLevel = 110; },
     "           +Recent race level                  - far better than rest of field\n"},
};
constexpr int kFactorCount = static_cast<int>(std::size(kFactors));
static_assert(std::size(kFactors) == 21);

// Every horse ordinary in every figure; then the listed horses stand out in
// the listed figures.
struct Standout {
  int slot;
  std::vector<int> factors;  // indexes into kFactors
};

std::unique_ptr<RaceProfile> fieldWith(int horses, const std::vector<Standout>& standouts) {
  auto profile = field(horses);
  for (int i = 0; i < horses; ++i) {
    for (const Factor& factor : kFactors) factor.ordinary(profile->horses[i]);
  }
  for (const Standout& standout : standouts) {
    for (int f : standout.factors) kFactors[f].standout(profile->horses[standout.slot]);
  }
  return profile;
}

std::string header(const std::string& name, const std::string& confidence) {
  return "ALERT: ZuroVurezode finds horse '" + name + "' exceptional\n       with a " + confidence +
         "% confidence rating for the following reasons:\n";
}

std::vector<int> allFactors() {
  std::vector<int> all;
  for (int f = 0; f < kFactorCount; ++f) all.push_back(f);
  return all;
}

constexpr const char* kNoAlerts = "ZuroVurezode found no alerts for this race.\n";

TEST(ZuroVurezode, EachFigureAloneNamesItsStandoutWithItsLine) {
  for (int f = 0; f < kFactorCount; ++f) {
    SCOPED_TRACE(kFactors[f].label);
    const auto profile = fieldWith(8, {{3, {f}}});
    const ZuroVurezodeReport report = analyzeRace(*profile);
    // All findings go to one horse: 100% is shown as 99%.
    EXPECT_EQ(report.text, header("Horse 4", "99") + kFactors[f].line);
    EXPECT_EQ(report.alerts, std::vector<int>({3}));
    EXPECT_FALSE(report.internalError);
  }
}

TEST(ZuroVurezode, LabelsByInputNumber) {
  const struct {
    int input;
    const char* label;
  } cases[] = {{6, "-Horse days since last race"},
               {7, "+Horse average earnings per start"},
               {43, "+Horse starts"},
               {45, "+Horse wins"},
               {51, "+Recent good races"},
               {53, "-Recent failures"},
               {54, "+Recent speed points"},
               {55, "+Average speed rating"},
               {56, "+Last money class"},
               {57, "-Last money finishpos"},
               {64, "+Jockey good races"},
               {65, "+Recent speed rating"},
               {71, "+Horse BRIS PrimePower"},
               {73, "+Horse BRIS Avg Competitive Level"},
               {74, "+Horse BRIS CurrentClass"},
               {79, "+Trainer Win Percent"},
               {80, "+Trainer In-Money Percent"},
               {81, "+Jockey Win Percent"},
               {82, "+Jockey In-Money Percent"},
               {83, "+Recent class rating"},
               {84, "+Recent race level"}};
  int labelled = 0;
  for (int input = -1; input <= kHorseInputCount; ++input) {
    if (!zuroVurezodeLabel(input).empty()) ++labelled;
  }
  EXPECT_EQ(labelled, 21);
  for (const auto& c : cases) EXPECT_EQ(zuroVurezodeLabel(c.input), c.label) << "input " << c.input;
}

TEST(ZuroVurezode, FiguresThatAreNotLookedAtNeverAlert) {
  const struct {
    const char* what;
    void (*standout)(HorseProfile&);
  } cases[] = {
      {"morning line", [](HorseProfile& h) { h.morningLine = 50; }},
      {"post position", [](HorseProfile& h) { h.postPosition = 12; }},
      {"good races of any type", [](HorseProfile& h) { h.goodRaces = 9; }},
      {"same-type races", [](HorseProfile& h) { h.sameTypeRaces = 9; }},
      {"seconds", [](HorseProfile& h) { h.sameTypeFinishes[1] = 9; }},
      {"best rate", [](HorseProfile& h) { h.bestRate = 120; }},
      {"bestSpeedPastYear", [](HorseProfile& h) { h.cardRatings[1] = 200; }},
      {"cardDaysSinceLastRace", [](HorseProfile& h) { h.cardFigures[0] = 300; }},
      {"avgTrackVariant", [](HorseProfile& h) { h.avgTrackVariant = 99; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto profile = fieldWith(8, {});
    c.standout(profile->horses[2]);
    const ZuroVurezodeReport report = analyzeRace(*profile);
    EXPECT_EQ(report.text, kNoAlerts);
    EXPECT_TRUE(report.alerts.empty());
  }
}

TEST(ZuroVurezode, StandingOutInTheBadDirectionIsNoFinding) {
  // Swap the roles: seven horses at the standout value, one at the ordinary.
  for (int f = 0; f < kFactorCount; ++f) {
    SCOPED_TRACE(kFactors[f].label);
    auto profile = field(8);
    for (int i = 0; i < 8; ++i) {
      for (const Factor& factor : kFactors) factor.ordinary(profile->horses[i]);
      kFactors[f].standout(profile->horses[i]);
    }
    kFactors[f].ordinary(profile->horses[5]);
    EXPECT_EQ(analyzeRace(*profile).text, kNoAlerts);
  }
}

TEST(ZuroVurezode, ALowIsGoodFigureOfZeroIsNoFinding) {
  // 0 days since the last race means no past race; 0 as last money finish
  // means no money finish.
  auto noPastRace = fieldWith(8, {});
  noPastRace->horses[4].daysSinceLastRace = 0;
  EXPECT_EQ(analyzeRace(*noPastRace).text, kNoAlerts);

  auto noMoney = fieldWith(8, {});
  noMoney->horses[4].lastMoneyFinish = 0;
  EXPECT_EQ(analyzeRace(*noMoney).text, kNoAlerts);

  auto fresh = fieldWith(8, {});
  fresh->horses[4].daysSinceLastRace = 1;  // the same horse with a figure stands out
  EXPECT_EQ(analyzeRace(*fresh).alerts, std::vector<int>({4}));
}

TEST(ZuroVurezode, TwoSampleStandardDeviationsIsTheLine) {
  // One horse apart from n - 1 equal ones stands (n - 1) / sqrt(n) sample
  // deviations away: 1.79 for 5 horses, 2.04 for 6. A second horse part of
  // the way out pulls the first back to 1.95 deviations (it would be 2.13
  // population deviations, so the n - 1 divisor matters).
  const int primePower = 12;  // kFactors index
  const int daysSince = 0;
  ASSERT_STREQ(kFactors[primePower].label, "+Horse BRIS PrimePower");
  ASSERT_STREQ(kFactors[daysSince].label, "-Horse days since last race");
  const struct {
    const char* what;
    int horses;
    float second;  // prime power of slot 1, 100 being ordinary
    bool alert;
  } high[] = {
      {"5 horses", 5, 100, false},
      {"6 horses", 6, 100, true},
      {"6 horses, a second part of the way", 6, 130, false},
  };
  for (const auto& c : high) {
    SCOPED_TRACE(c.what);
    auto profile = fieldWith(c.horses, {});
    profile->horses[0].cardRatings[0] = 200;
    profile->horses[1].cardRatings[0] = c.second;
    const ZuroVurezodeReport report = analyzeRace(*profile);
    EXPECT_EQ(report.alerts, c.alert ? std::vector<int>({0}) : std::vector<int>());
  }
  // The same line below the field for a low-is-good figure: 60 days is
  // ordinary, 10 stands out, 45 is part of the way.
  const struct {
    const char* what;
    int horses;
    int second;
    bool alert;
  } low[] = {
      {"5 horses", 5, 60, false},
      {"6 horses", 6, 60, true},
      {"6 horses, a second part of the way", 6, 45, false},
  };
  for (const auto& c : low) {
    SCOPED_TRACE(c.what);
    auto profile = fieldWith(c.horses, {});
    profile->horses[0].daysSinceLastRace = 10;
    profile->horses[1].daysSinceLastRace = static_cast<uint8_t>(c.second);
    const ZuroVurezodeReport report = analyzeRace(*profile);
    EXPECT_EQ(report.alerts, c.alert ? std::vector<int>({0}) : std::vector<int>());
  }
}

TEST(ZuroVurezode, AFigureOnWhichTheFieldNearlyAgreesIsSkipped) {
  // The figures are looked at as network inputs, scaled by 0.01. One horse
  // of six ahead by d has a variance of d * d / 6: a raw lead of 0.2 (0.002
  // scaled) stays below 0.000001, a lead of 0.3 does not, and then it is
  // 2.04 deviations ahead.
  const struct {
    float lead;
    bool alert;
  } cases[] = {{0.0f, false}, {0.2f, false}, {0.3f, true}, {5.0f, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lead);
    auto profile = fieldWith(6, {});
    profile->horses[2].cardRatings[0] = 100.0f + c.lead;
    EXPECT_EQ(analyzeRace(*profile).alerts, c.alert ? std::vector<int>({2}) : std::vector<int>());
  }
}

TEST(ZuroVurezode, ConfidenceIsTheShareOfAllFindings) {
  // Slot 1 has 3 of 4 findings, slot 5 the fourth; nobody else has any, so
  // the third round names nobody.
  const auto profile = fieldWith(8, {{1, {0, 4, 12}}, {5, {20}}});
  const ZuroVurezodeReport report = analyzeRace(*profile);
  EXPECT_EQ(report.text, header("Horse 2", "75") + kFactors[0].line + kFactors[4].line + kFactors[12].line +
                             header("Horse 6", "25") + kFactors[20].line);
  EXPECT_EQ(report.alerts, std::vector<int>({1, 5}));
}

TEST(ZuroVurezode, ASmallShareIsShownWithTwoDigits) {
  // 11 and 1 findings of 12: 91% and trunc(8.33) = 8%, written 08%.
  std::vector<int> eleven;
  for (int f = 0; f < 11; ++f) eleven.push_back(f);
  const auto profile = fieldWith(8, {{0, eleven}, {7, {15}}});
  const ZuroVurezodeReport report = analyzeRace(*profile);
  EXPECT_EQ(report.alerts, std::vector<int>({0, 7}));
  EXPECT_NE(report.text.find(header("Horse 1", "91")), std::string::npos) << report.text;
  EXPECT_NE(report.text.find(header("Horse 8", "08") + kFactors[15].line), std::string::npos) << report.text;
}

TEST(ZuroVurezode, EqualConfidencesGoToTheLowerSlotFirst) {
  const auto profile = fieldWith(8, {{6, {1, 2}}, {2, {3, 9}}});
  const ZuroVurezodeReport report = analyzeRace(*profile);
  EXPECT_EQ(report.text, header("Horse 3", "50") + kFactors[3].line + kFactors[9].line +
                             header("Horse 7", "50") + kFactors[1].line + kFactors[2].line);
  EXPECT_EQ(report.alerts, std::vector<int>({2, 6}));
}

TEST(ZuroVurezode, AtMostThreeHorsesAreNamed) {
  // 4, 3, 2 and 1 findings of 10: 40%, 30%, 20%; the fourth horse is left out.
  const auto profile = fieldWith(10, {{9, {0}}, {4, {1, 2, 3, 5}}, {0, {6, 7, 8}}, {6, {10, 11}}});
  const ZuroVurezodeReport report = analyzeRace(*profile);
  EXPECT_EQ(report.alerts, std::vector<int>({4, 0, 6}));
  EXPECT_EQ(report.text, header("Horse 5", "40") + kFactors[1].line + kFactors[2].line + kFactors[3].line +
                             kFactors[5].line + header("Horse 1", "30") + kFactors[6].line +
                             kFactors[7].line + kFactors[8].line + header("Horse 7", "20") +
                             kFactors[10].line + kFactors[11].line);
}

TEST(ZuroVurezode, TwentyFindingsAreListedButAllCount) {
  // Twelve horses, two of them far ahead: slot 0 in all 21 figures, slot 9
  // in the first four as well. 21 of 25 findings is 84%; had only the 20
  // listed ones counted it would be 83%.
  const auto profile = fieldWith(12, {{0, allFactors()}, {9, {0, 1, 2, 3}}});
  const ZuroVurezodeReport report = analyzeRace(*profile);
  std::string expected = header("Horse 1", "84");
  for (int f = 0; f < 20; ++f) expected += kFactors[f].line;  // not "+Recent race level"
  expected += header("Horse 10", "16");
  for (int f = 0; f < 4; ++f) expected += kFactors[f].line;
  EXPECT_EQ(report.text, expected);
  EXPECT_EQ(report.alerts, std::vector<int>({0, 9}));
}

TEST(ZuroVurezode, FieldSizesOutsideFiveToSixtyFourWriteNothing) {
  const struct {
    int horses;
    bool analysed;
  } cases[] = {{0, false}, {4, false}, {5, true}, {64, true}, {65, false}, {255, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.horses);
    auto profile = fieldWith(std::min(c.horses, kMaxHorses), {});
    profile->horseCount = static_cast<uint8_t>(c.horses);
    const ZuroVurezodeReport report = analyzeRace(*profile);
    EXPECT_EQ(report.text, c.analysed ? kNoAlerts : "");
    EXPECT_TRUE(report.alerts.empty());
  }
  // The last of 64 slots is looked at like any other.
  const auto full = fieldWith(64, {{63, {12}}});
  EXPECT_EQ(analyzeRace(*full).text, header("Horse 64", "99") + kFactors[12].line);
}

TEST(ZuroVurezode, ANameFillingItsWholeSlotIsPrintedWhole) {
  auto profile = fieldWith(8, {{1, {12}}});
  std::memset(profile->horses[1].name, 'Q', sizeof profile->horses[1].name);  // no NUL in the slot
  const std::string name(30, 'Q');
  EXPECT_EQ(analyzeRace(*profile).text, header(name, "99") + kFactors[12].line);
}

TEST(ZuroVurezode, AnEncodingOfTheWrongWidthIsAnInternalError) {
  const auto profile = fieldWith(8, {{1, {12}}});
  const ZuroVurezodeReport report =
      analyzeRace(*profile, [](const HorseProfile&, HorseInputs& inputs) -> int {
        inputs.fill(0);
        return kHorseInputCount - 1;
      });
  EXPECT_TRUE(report.internalError);
  EXPECT_EQ(report.text, "INTERNAL ERROR\n");
  EXPECT_TRUE(report.alerts.empty());
  EXPECT_FALSE(analyzeRace(*profile).internalError);
}

}  // namespace
}  // namespace stridewell
