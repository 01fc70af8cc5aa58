// Over many generated days the data must look like racing: the facts of a
// race day, consistent past performances, and odds and payoffs that behave
// as pari-mutuel pools do. The bounds are wide on purpose; they catch a
// generator that has gone wrong, not one that is slightly off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "gen_test_support.h"
#include "race/card_values.h"
#include "race/past_race.h"
#include "sample_generator.h"

namespace stridewell::gen {
namespace {

using test::readCardText;
using test::readResultsText;
using test::splitFields;
using test::splitLines;

struct Sample {
  std::vector<SampleDay> days;
  std::vector<test::CardRead> cards;
  std::vector<std::vector<std::unique_ptr<RaceResult>>> results;
};

const Sample& sample() {
  static const Sample* const kSample = [] {
    auto* s = new Sample;
    SampleOptions options;
    options.seed = 2024;
    options.year = 2026;
    options.month = 4;
    options.day = 1;
    options.days = 40;
    s->days = generateSampleDays(options);
    for (const SampleDay& day : s->days) {
      s->cards.push_back(readCardText(day.cardText));
      s->results.push_back(readResultsText(day.resultsText));
    }
    return s;
  }();
  return *kSample;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::tuple<int, int, int> ymd(int32_t packed) {
  return {packedYear(packed), packedMonth(packed), packedDay(packed)};
}

const RaceResult* resultFor(const std::vector<std::unique_ptr<RaceResult>>& results, const Race& race) {
  for (const auto& result : results) {
    if (result->raceNumber == race.text.raceNumber) return result.get();
  }
  return nullptr;
}

TEST(SampleRealism, RaceDaysHaveTheUsualShape) {
  const Sample& s = sample();
  std::set<int> yards;
  std::set<char> surfaces;
  std::set<int> classTypes;
  bool maidenSpecial = false, maidenClaiming = false, graded = false, simulcast = false;
  int lines = 0, scratched = 0;
  for (size_t d = 0; d < s.days.size(); ++d) {
    SCOPED_TRACE(s.days[d].baseName);
    const auto& races = s.cards[d].races;
    EXPECT_GE(races.size(), 8u);
    EXPECT_LE(races.size(), 12u);
    std::map<std::string, int> linesPerRace;
    for (const std::string& line : splitLines(s.days[d].cardText)) {
      const auto f = splitFields(line);
      ++linesPerRace[f[3]];
      ++lines;
      scratched += f[5] == "S";
      yards.insert(std::stoi(f[6]));
      surfaces.insert(f[7][0]);
      const std::string& restriction = f[144];
      ASSERT_EQ(restriction.size(), 3u) << line.substr(0, 60);
      EXPECT_NE(std::string("ABCDEFGH").find(restriction[0]), std::string::npos);
      EXPECT_NE(std::string("OU").find(restriction[1]), std::string::npos);
      EXPECT_NE(std::string("CFMN").find(restriction[2]), std::string::npos);
    }
    for (const auto& [number, count] : linesPerRace) {
      EXPECT_GE(count, 4) << "race " << number;
      EXPECT_LE(count, 14) << "race " << number;
    }
    for (const auto& race : races) {
      const ClassCode c = race->card.raceClass;
      classTypes.insert(c.type);
      maidenSpecial |= c.type == ClassCode::kMaiden && c.amount == -2;
      maidenClaiming |= c.type == ClassCode::kMaiden && c.amount > 0;
      graded |= c.type == ClassCode::kStakes && c.amount >= 1 && c.amount <= 3;
      simulcast |= !sameTrack(race->card.hostTrack, race->text.cardTrack);
    }
  }
  const std::set<int> allowed = {1100, 1210, 1320, 1430, 1540, 1760, 1830, 1870, 1980, 2200};
  for (int y : yards) EXPECT_TRUE(allowed.count(y)) << y;
  EXPECT_TRUE(yards.count(1320) && yards.count(1830) && yards.count(1870));
  EXPECT_TRUE(surfaces.count('D') && surfaces.count('T'));
  EXPECT_GE(surfaces.size(), 3u) << "a synthetic surface now and then";
  EXPECT_EQ(classTypes, (std::set<int>{1, 2, 3, 4}));
  EXPECT_TRUE(maidenSpecial && maidenClaiming && graded && simulcast);
  EXPECT_GT(scratched, lines / 30);
  EXPECT_LT(scratched, lines / 5);
}

TEST(SampleRealism, PastPerformancesAreConsistent) {
  const Sample& s = sample();
  int horses = 0, withPast = 0, firstTimers = 0;
  for (size_t d = 0; d < s.days.size(); ++d) {
    for (const auto& race : s.cards[d].races) {
      const RaceCard& card = race->card;
      const bool maidenRace = card.raceClass.type == ClassCode::kMaiden;
      for (int h = 0; h < card.horseCount; ++h) {
        const HorseEntry& horse = card.horses[h];
        SCOPED_TRACE(std::string(s.days[d].baseName) + " race " + std::to_string(race->text.raceNumber) +
                     " " + horse.name);
        ++horses;
        EXPECT_GE(horse.age, 2);
        EXPECT_LE(horse.age, 10);
        EXPECT_NE(std::string("cfghm").find(horse.sexCode), std::string::npos);
        EXPECT_GE(horse.weight, 110);
        EXPECT_LE(horse.weight, 128);
        // Packed members are copied before gtest binds a reference to them.
        const float morningLine = horse.morningLine;
        EXPECT_GT(morningLine, 0.0f);
        ASSERT_LE(horse.pastRaceCount, 10);
        if (horse.pastRaceCount == 0) {
          ++firstTimers;
          continue;
        }
        ++withPast;
        auto previous = ymd(card.date);
        bool won = false;
        for (int k = 0; k < horse.pastRaceCount; ++k) {
          const PastRace& p = horse.pastRaces[k];
          const auto date = ymd(p.date);
          EXPECT_LT(date, previous) << "past race " << k << " is not before the one after it";
          previous = date;
          EXPECT_GE(p.fieldSize, 2);
          EXPECT_LE(p.fieldSize, 14);
          EXPECT_GE(p.postPosition, 1);
          EXPECT_LE(p.postPosition, p.fieldSize);
          for (const CallPosition& call : {p.call1, p.call2, p.call3, p.finish}) {
            EXPECT_GE(call.position, 1);
            EXPECT_LE(call.position, p.fieldSize);
            const float lengths = call.lengths;
            EXPECT_GE(lengths, 0.0f);
            EXPECT_LT(lengths, 60.0f);
            EXPECT_EQ(call.position == 1, lengths == 0.0f) << "only the leader is 0 lengths behind";
          }
          const int speedRating = p.speedRating;
          EXPECT_GE(speedRating, 25);
          EXPECT_LE(speedRating, 125);
          EXPECT_NE(p.raceClass.type, 0);
          // Yards per second of the horse's own time.
          const float distanceRate = p.distanceRate;
          EXPECT_GT(distanceRate, 15.0f);
          EXPECT_LT(distanceRate, 20.5f);
          won |= p.finish.position == 1;
        }
        // Maidens have never won; horses in races for winners have.
        const bool careerWin = horse.lifetimeRecord.winPercent > 0;
        const int lifetimeStarts = horse.lifetimeRecord.starts;
        EXPECT_GE(lifetimeStarts, horse.pastRaceCount);
        if (maidenRace) {
          EXPECT_FALSE(won);
          EXPECT_FALSE(careerWin);
        } else {
          EXPECT_TRUE(careerWin);
        }
      }
    }
  }
  EXPECT_GT(withPast, horses * 3 / 4);
  EXPECT_GT(firstTimers, 0);
}

TEST(SampleRealism, OddsAndPayoffsBehaveLikePools) {
  const Sample& s = sample();
  int races = 0, favouriteWins = 0, morningLineFavouriteWins = 0;
  std::vector<double> favouriteShow, exacta, trifecta, superfecta, exactaShortWinner, exactaLongWinner;
  bool wet = false, dry = false, aliasRead = false;
  int coupledRaces = 0;
  for (size_t d = 0; d < s.days.size(); ++d) {
    for (const auto& race : s.cards[d].races) {
      const RaceResult* result = resultFor(s.results[d], *race);
      ASSERT_NE(result, nullptr);
      SCOPED_TRACE(std::string(s.days[d].baseName) + " race " + std::to_string(race->text.raceNumber));
      ++races;
      (result->condition == kWet ? wet : dry) = true;
      const int n = result->finisherCount;
      int favourite = 0;
      for (int k = 1; k < n; ++k) {
        if (result->finishers[k].odds < result->finishers[favourite].odds) favourite = k;
      }
      const FinisherEntry* winner = nullptr;
      for (int k = 0; k < n; ++k) {
        const FinisherEntry& f = result->finishers[k];
        const int position = f.finishPosition;
        EXPECT_EQ(f.winPayoff > 0, position == 1) << f.name;
        EXPECT_EQ(f.placePayoff > 0, position <= 2 && n >= 3) << f.name;
        EXPECT_EQ(f.showPayoff > 0, position <= 3 && n >= 4) << f.name;
        for (float payoff : {f.winPayoff, f.placePayoff, f.showPayoff}) {
          if (payoff > 0) {
            EXPECT_GE(payoff, 2.1f - 1e-4f);
          }
        }
        if (position == 1) winner = &f;
      }
      ASSERT_NE(winner, nullptr);
      // A $2 win ticket pays about 2 x (odds + 1), broken down to the dime.
      const double fair = 2.0 * (winner->odds + 1.0);
      if (winner->winPayoff > 2.11f) {
        const double winPayoff = winner->winPayoff;
        EXPECT_NEAR(winPayoff, fair, 0.21) << "odds " << winner->odds;
      }
      favouriteWins += result->finishers[favourite].finishPosition == 1;
      if (result->finishers[favourite].showPayoff > 0)
        favouriteShow.push_back(result->finishers[favourite].showPayoff);

      // The morning-line favourite of the card.
      int mlFavourite = 0;
      for (int h = 1; h < race->card.horseCount; ++h) {
        if (race->card.horses[h].morningLine < race->card.horses[mlFavourite].morningLine) mlFavourite = h;
      }
      morningLineFavouriteWins += equalsIgnoreCase(race->card.horses[mlFavourite].name, winner->name);

      if (result->exactaPayoff > 0) {
        exacta.push_back(result->exactaPayoff);
        if (winner->odds < 2.0f) exactaShortWinner.push_back(result->exactaPayoff);
        if (winner->odds >= 6.0f) exactaLongWinner.push_back(result->exactaPayoff);
      }
      if (result->trifectaPayoff > 0) trifecta.push_back(result->trifectaPayoff);
      if (result->superfectaPayoff > 0) superfecta.push_back(result->superfectaPayoff);
      EXPECT_EQ(result->dailyDoublePayoff > 0, race->text.raceNumber >= 2);
      EXPECT_EQ(result->pickThreePayoff > 0, race->text.raceNumber >= 3);
      if (n >= 3) {
        const float exactaPayoff = result->exactaPayoff;
        EXPECT_GT(exactaPayoff, 0.0f);
      }
    }
    // Wager aliases are read into the same payoffs as their usual names.
    // Coupled horses ("1" and "1A") are one betting interest: same odds.
    std::map<std::string, std::map<std::string, std::string>> oddsByProgram;  // race -> program -> odds
    for (const std::string& line : splitLines(s.days[d].resultsText)) {
      const auto f = splitFields(line);
      oddsByProgram[f[3]][f[19]] = f[37];
      for (int slot = 0; slot < 9; ++slot) {
        aliasRead |= f[78 + slot] == "EXACTOR" || f[78 + slot] == "PERFECTA" || f[78 + slot] == "TRIPLE" ||
                     f[78 + slot] == "TRIACTOR";
      }
    }
    for (const auto& [number, odds] : oddsByProgram) {
      if (odds.count("1") && odds.count("1A")) {
        ++coupledRaces;
        EXPECT_EQ(odds.at("1"), odds.at("1A")) << s.days[d].baseName << " race " << number;
      }
    }
  }
  ASSERT_GT(races, 300);
  const double favouriteRate = static_cast<double>(favouriteWins) / races;
  EXPECT_GT(favouriteRate, 0.25) << "the favourite wins about a third of races";
  EXPECT_LT(favouriteRate, 0.42) << "the favourite wins about a third of races";
  EXPECT_GT(static_cast<double>(morningLineFavouriteWins) / races, 0.18);
  EXPECT_GE(median(favouriteShow), 2.1);
  EXPECT_LE(median(favouriteShow), 3.5);
  // Typical $2 payoffs: exacta $20-$200, trifecta $100-$2,000, superfecta $500-$20,000.
  EXPECT_GT(median(exacta), 20);
  EXPECT_LT(median(exacta), 200);
  EXPECT_GT(median(trifecta), 100);
  EXPECT_LT(median(trifecta), 2000);
  EXPECT_GT(median(superfecta), 500);
  EXPECT_LT(median(superfecta), 20000);
  // Long shots make exotic payoffs grow.
  EXPECT_GT(median(exactaLongWinner), 3 * median(exactaShortWinner));
  EXPECT_TRUE(wet && dry);
  EXPECT_TRUE(aliasRead);
  EXPECT_GT(coupledRaces, 0);
}

}  // namespace
}  // namespace stridewell::gen
