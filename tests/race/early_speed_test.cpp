// Early-speed ratings worked out by hand from the first calls: a score that
// starts at 1, points per race walked, then the 7 -> 8 and 1 -> 0 endings
// and the lift for horses with only one or two past races.
#include "race/early_speed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_builders.h"

namespace stridewell {
namespace {

using test::HorseBuilder;
using test::kOneMile;
using test::kSevenFurlongs;
using test::kSixFurlongs;
using test::PastRaceBuilder;

PastRace sprint(int position, float lengths, int fieldSize = 0, float distance = kSixFurlongs) {
  return PastRaceBuilder().distance(distance).firstCall(position, lengths).field(fieldSize);
}

PastRace route(int position, float lengths, int fieldSize = 0) {
  return PastRaceBuilder().distance(kOneMile).firstCall(position, lengths).field(fieldSize);
}

struct Case {
  std::string what;
  std::vector<PastRace> races;
  int expected;
};

int rate(const std::vector<PastRace>& races, bool sprintToday) {
  HorseBuilder horse;
  for (const PastRace& race : races) horse.past({race});
  return earlySpeedRating(horse, sprintToday);
}

TEST(EarlySpeed, SprintRating) {
  const PastRace far = sprint(9, 9.0f);  // +0, field size unknown
  const Case cases[] = {
      {"no past races", {}, 0},
      // Six furlongs: 1 for the first three, 1 more for the lead or within 2 lengths.
      {"one 6f race, second by 0.5: 1+2 stays 3", {sprint(2, 0.5f)}, 3},
      {"one 6f race, fifth by 1.5: 1+1 = 2 lifts to 5", {sprint(5, 1.5f)}, 5},
      // Seven furlongs: 2 for the lead, else 1 for the first three or within 2.
      {"one 7f race, second by 0.5: 1+1 = 2 lifts to 5", {sprint(2, 0.5f, 0, kSevenFurlongs)}, 5},
      {"one 7f race on the lead: 1+2 = 3", {sprint(1, 0.0f, 0, kSevenFurlongs)}, 3},
      {"one 7f race, fifth by 3: 1 lifts to 3", {sprint(5, 3.0f, 0, kSevenFurlongs)}, 3},
      // Two past races: 2 -> 3, 3 -> 4, 4 -> 5.
      {"two races scoring 2", {sprint(2, 5.0f), far}, 3},
      {"two races scoring 3", {sprint(2, 5.0f), sprint(3, 4.0f)}, 4},
      {"two races scoring 4", {sprint(1, 0.0f), sprint(2, 5.0f)}, 5},
      {"two races scoring 5", {sprint(1, 0.0f), sprint(1, 0.0f)}, 5},
      // 7 becomes 8 when every chosen race was a sprint on or within a quarter length of the lead.
      {"three leads", {sprint(1, 0.0f), sprint(1, 0.0f), sprint(1, 0.0f)}, 8},
      {"a head back counts as the lead", {sprint(1, 0.0f), sprint(1, 0.0f), sprint(2, 0.25f)}, 8},
      {"half a length back keeps 7", {sprint(1, 0.0f), sprint(1, 0.0f), sprint(2, 0.5f)}, 7},
      {"only three races are chosen", {sprint(1, 0.0f), sprint(1, 0.0f), sprint(1, 0.0f), far, far}, 8},
      // A route run on or near the lead is skipped; any other route is chosen at no score.
      {"skipped routes do not stop the 8",
       {route(1, 0.0f), sprint(1, 0.0f), sprint(1, 0.0f), sprint(1, 0.0f)},
       8},
      {"a chosen route takes one of the three places",
       {sprint(1, 0.0f), route(6, 5.0f), sprint(1, 0.0f), sprint(1, 0.0f)},
       5},
      // 1 becomes 0 when the chosen sprints were all in the back half.
      {"back half of ten: (10+1)/2 = 5 is below 6",
       {sprint(6, 9.0f, 10), sprint(8, 9.0f, 10), sprint(7, 9.0f, 10)},
       0},
      {"fifth of ten is not the back half",
       {sprint(6, 9.0f, 10), sprint(5, 9.0f, 10), sprint(7, 9.0f, 10)},
       1},
      {"unknown field size is not the back half",
       {sprint(6, 9.0f, 10), sprint(8, 9.0f, 0), sprint(7, 9.0f, 10)},
       1},
      {"one race at the back: 0 is not lifted", {sprint(8, 9.0f, 12)}, 0},
      {"one race, field unknown: 1 lifts to 3", {sprint(8, 9.0f, 0)}, 3},
      {"routes only, none skipped: nothing chosen counts against",
       {route(6, 9.0f), route(6, 9.0f), route(6, 9.0f)},
       0},
      {"routes only, all on the lead: stays 1", {route(1, 0.0f), route(1, 0.0f), route(2, 1.0f)}, 1},
      // Only five races are walked.
      {"a sprint sixth is never walked",
       {route(1, 0.0f), route(1, 0.0f), route(1, 0.0f), route(1, 0.0f), route(1, 0.0f), sprint(1, 0.0f)},
       1},
  };
  for (const Case& c : cases) EXPECT_EQ(rate(c.races, true), c.expected) << c.what;
}

TEST(EarlySpeed, RouteRating) {
  const Case cases[] = {
      // With no route seen the 1 -> 0 ending cannot apply.
      {"no past races", {}, 1},
      // Routes: 1 for the first three, 1 more for the lead or within 3 lengths.
      {"one route, second by 5: 2 lifts to 5", {route(2, 5.0f)}, 5},
      {"one route, fifth by 2.5: 2 lifts to 5", {route(5, 2.5f)}, 5},
      {"one route on the lead: 3", {route(1, 0.0f)}, 3},
      // Sprints: f = 0 when beyond third and more than 3 back; f + 1 unless more than 6 back.
      {"one sprint, fifth by 4: adds 1", {sprint(5, 4.0f)}, 5},
      {"one sprint, second by 7: adds 1", {sprint(2, 7.0f)}, 5},
      {"one sprint, second by 2: adds 2", {sprint(2, 2.0f)}, 3},
      {"one sprint, fifth by 7: adds 0, not chosen, lifts to 3", {sprint(5, 7.0f)}, 3},
      // 7 -> 8: no chosen race off the lead by more than 1 (route) or 3 (sprint).
      {"three route leads", {route(1, 0.0f), route(1, 0.0f), route(1, 0.0f)}, 8},
      {"within a length in routes", {route(2, 1.0f), route(1, 0.0f), route(3, 0.5f)}, 8},
      {"a length and a half back in a route keeps 7", {route(2, 1.5f), route(1, 0.0f), route(1, 0.0f)}, 7},
      {"three back in a sprint still 8",
       {sprint(2, 3.0f), route(1, 0.0f), route(1, 0.0f), route(1, 0.0f)},
       8},
      {"four back in a sprint keeps 7", {route(1, 0.0f), sprint(2, 4.0f), route(1, 0.0f), route(1, 0.0f)}, 7},
      // 1 -> 0 when routes were seen and every chosen route was in the back half.
      {"back of the field in routes", {route(7, 9.0f, 10), route(9, 12.0f, 10), route(8, 10.0f, 12)}, 0},
      {"sprints far back, not chosen, do not count",
       {sprint(9, 9.0f, 10), route(7, 9.0f, 10), route(8, 9.0f, 10), route(9, 9.0f, 10)},
       0},
      {"only sprints far back: stays 1",
       {sprint(9, 9.0f), sprint(9, 9.0f), sprint(9, 9.0f), sprint(9, 9.0f), sprint(9, 9.0f)},
       1},
      {"a sixth race is never walked",
       {sprint(9, 9.0f), sprint(9, 9.0f), sprint(9, 9.0f), sprint(9, 9.0f), sprint(9, 9.0f), route(1, 0.0f)},
       1},
  };
  for (const Case& c : cases) EXPECT_EQ(rate(c.races, false), c.expected) << c.what;
}

TEST(EarlySpeed, MissingCallsCountAsFarBack) {
  // Position 0 and lengths 0 both read as 99: no points, back half of any field.
  EXPECT_EQ(rate({sprint(0, 0.0f, 8), sprint(0, 0.0f, 8), sprint(0, 0.0f, 8)}, true), 0);
  EXPECT_EQ(rate({route(0, 0.0f, 8), route(0, 0.0f, 8), route(0, 0.0f, 8)}, false), 0);
  // A leader with no margin recorded still scores as the leader.
  EXPECT_EQ(rate({sprint(1, 0.0f), sprint(1, 0.0f), sprint(1, 0.0f)}, true), 8);
}

}  // namespace
}  // namespace stridewell
