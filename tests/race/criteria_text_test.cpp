#include "race/criteria_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "race/criteria_choices.h"
#include "race/race_criteria.h"

namespace stridewell {
namespace {

// The expected texts below are written out from the description rules by
// hand (short labels, "; " joins, the 60-character break), not taken from a run.

RaceCriteria withDistances(std::initializer_list<int> entries) {
  RaceCriteria c{};
  c.distanceFlags = RaceCriteria::kCustomDistances;
  for (int e : entries) c.distanceChecks[e] = true;
  return c;
}

RaceCriteria withClasses(std::initializer_list<int> entries) {
  RaceCriteria c{};
  c.classFlags = RaceCriteria::kCustomClasses;
  for (int e : entries) setClassCheck(c, e);
  return c;
}

TEST(CriteriaText, DistanceChecks) {
  struct Case {
    const char* what;
    RaceCriteria criteria;
    const char* text;
  };
  RaceCriteria all{};
  for (bool& check : all.distanceChecks) check = true;
  RaceCriteria allBut12 = all;
  allBut12.distanceChecks[12] = false;
  const Case cases[] = {
      {"4f, 4+1/2f, 5f, 1 mile", withDistances({2, 3, 4, 10}), "Distance: 4f - 5f; 1mi\n"},
      {"all", all, "Distance: Any\n"},
      {"all but 1+4/100", allBut12, "Distance: 2f - 1+2/100mi; 1+1/16mi - 2+1/4mi\n"},
      {"first only", withDistances({0}), "Distance: 2f\n"},
      {"last only", withDistances({24}), "Distance: 2+1/4mi\n"},
      {"runs at both ends", withDistances({0, 1, 23, 24}), "Distance: 2f - 3f; 2+1/16mi - 2+1/4mi\n"},
      {"5f to 6f", withDistances({4, 5, 6}), "Distance: 5f - 6f\n"},
      // 5+1/2f lies between them in the list, so these are no run.
      {"5f and 6f", withDistances({4, 6}), "Distance: 5f; 6f\n"},
      {"two miles", withDistances({22, 23}), "Distance: 2mi - 2+1/16mi\n"},
      {"none", withDistances({}), "Distance: \n"},
  };
  for (const Case& c : cases) EXPECT_EQ(describeDistanceChecks(c.criteria), c.text) << c.what;
}

TEST(CriteriaText, LongDistanceListBreaksOnceBeforeTheItemPastSixty) {
  struct Case {
    const char* what;
    RaceCriteria criteria;
    const char* text;
  };
  const Case cases[] = {
      // Every other entry: 13 single items. The joined text reaches 52 with
      // "1+1/4mi"; "; " makes 54 and "1+1/2mi" would make 61, so the break goes
      // in before it, after the "; ". Three more items follow on the second
      // line (85 characters in all) without a second break.
      {"every other entry", withDistances({0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24}),
       "Distance: 2f; 4f; 5f; 6f; 7f; 1mi; 1+4/100mi; 1+1/8mi; 1+1/4mi; \n"
       "1+1/2mi; 1+5/8mi; 2mi; 2+1/4mi\n"},
      // Lengths 2, 15, 11, 8, 7, 7 with "; " between reach exactly 60 at
      // "1+1/2mi": not past 60, so no break there; "1+5/8mi - 1+3/4mi" (17)
      // would make 79 and gets the break.
      {"exactly sixty", withDistances({0, 3, 4, 5, 8, 9, 13, 16, 18, 20, 21, 23}),
       "Distance: 2f; 4+1/2f - 5+1/2f; 7f - 7+1/2f; 1+1/16mi; 1+1/4mi; 1+1/2mi; \n"
       "1+5/8mi - 1+3/4mi; 2+1/16mi\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(describeDistanceChecks(c.criteria), c.text) << c.what;
}

TEST(CriteriaText, PriceBandMaskBits) {
  struct Case {
    unsigned bands;
    uint16_t mask;
  };
  const Case cases[] = {
      {0x01, 0x001}, {0x02, 0x006}, {0x04, 0x018}, {0x08, 0x060},
      {0x10, 0x180}, {0x20, 0x200}, {0x3f, 0x3ff}, {0x00, 0x000},
  };
  for (const Case& c : cases) EXPECT_EQ(priceBandMask(c.bands), c.mask) << "bands " << c.bands;
}

TEST(CriteriaText, PriceBands) {
  struct Case {
    unsigned bands;  // bit i: band i, under $10,000 first
    const char* text;
  };
  const Case cases[] = {
      {0x3f, "Claiming: Any price"},
      {0x01, "Claiming: Under $10,000"},
      {0x20, "Claiming: Over $50,000"},
      {0x02, "Claiming: $10,000-$20,000"},
      {0x03, "Claiming: $0-$20,000"},
      {0x30, "Claiming: $40,000-$50,000 or more"},
      {0x05, "Claiming: Under $10,000; $20,000-$30,000"},
      {0x21, "Claiming: Under $10,000; Over $50,000"},
      {0x0a, "Claiming: $10,000-$20,000; $30,000-$40,000"},
      {0x3e, "Claiming: $10,000-$50,000 or more"},
      {0x1f, "Claiming: $0-$50,000"},
      {0x0c, "Claiming: $20,000-$40,000"},
      {0x15, "Claiming: Under $10,000; $20,000-$30,000; $40,000-$50,000"},
      {0x28, "Claiming: $30,000-$40,000; Over $50,000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describePriceBands("Claiming", priceBandMask(c.bands)), c.text) << "bands " << c.bands;
  }
}

TEST(CriteriaText, PriceBandsFromRawMasks) {
  EXPECT_EQ(describePriceBands("Maiden", 0x3ff), "Maiden: Any price");
  EXPECT_EQ(describePriceBands("Maiden", 0xfff), "Maiden: Any price");  // bits past the tenth ignored
  // A lone inner bit comes from no band; it names its boundary rather than
  // claiming "Over $50,000".
  EXPECT_EQ(describePriceBands("Maiden", 0x008), "Maiden: $20,000");
}

TEST(CriteriaText, ClassChecks) {
  struct Case {
    const char* what;
    RaceCriteria criteria;
    const char* text;
  };
  RaceCriteria every{};
  for (int i = 0; i < kCriteriaClassCount; ++i) setClassCheck(every, i);
  const Case cases[] = {
      {"all claiming, Grade I and III", withClasses({7, 8, 9, 10, 11, 12, 19, 21}),
       "Claiming: Any price\nStakes: Grade I; Grade III\n"},
      {"all stakes", withClasses({19, 20, 21, 22}), "Stakes: Any type\n"},
      {"three grades", withClasses({19, 20, 21}), "Stakes: Grade I; Grade II; Grade III\n"},
      {"Grade II, non-graded", withClasses({20, 22}), "Stakes: Grade II; Non-Graded\n"},
      {"one of each line, checked backwards", withClasses({22, 18, 6, 0}),
       "Maiden: Under $10,000\nMaiden Special Weight\nAllowance: Over $50,000\nStakes: Non-Graded\n"},
      {"special weight only", withClasses({6}), "Maiden Special Weight\n"},
      {"maiden and allowance runs", withClasses({1, 2, 13, 14}),
       "Maiden: $10,000-$30,000\nAllowance: $0-$20,000\n"},
      {"claiming gap", withClasses({7, 9}), "Claiming: Under $10,000; $20,000-$30,000\n"},
      {"everything", every,
       "Maiden: Any price\nMaiden Special Weight\nClaiming: Any price\nAllowance: Any price\n"
       "Stakes: Any type\n"},
      {"nothing", withClasses({}), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(describeClassChecks(c.criteria), c.text) << c.what;
}

TEST(CriteriaText, DescribeCriteria) {
  struct Case {
    const char* what;
    RaceCriteria criteria;
    const char* text;
  };
  auto make = [](uint8_t distance, uint8_t raceClass, uint8_t surface, uint8_t condition, const char* track) {
    RaceCriteria c{};
    c.distanceFlags = distance;
    c.classFlags = raceClass;
    c.surfaceFlags = surface;
    c.conditionFlags = condition;
    if (track == nullptr) {
      c.trackFlags = RaceCriteria::kAllTracks;
    } else {
      std::memcpy(c.trackCode, track, std::min<size_t>(std::strlen(track), sizeof c.trackCode));
    }
    return c;
  };
  RaceCriteria custom = make(RaceCriteria::kCustomDistances | RaceCriteria::kSprintsOnly,
                             RaceCriteria::kCustomClasses | RaceCriteria::kClaimingOnly, 0x01, 0x01, nullptr);
  for (int e : {2, 3, 4, 10}) custom.distanceChecks[e] = true;
  for (int e : {19, 20, 21, 22}) setClassCheck(custom, e);
  CriteriaChoices typed;
  typed.trackText = "aq";

  const Case cases[] = {
      {"nothing restricted", make(0x01, 0x01, 0x01, 0x01, nullptr), ""},
      {"one of each", make(0x02, 0x08, 0x02, 0x02, "AQX"),
       "Sprints only.\nClaiming races only.\nTurf only.\nWet (Sloppy/Muddy) tracks only.\n"
       "Track Code 'AQX' only.\n"},
      {"routes, two classes, dirt, dry", make(0x04, 0x22, 0x04, 0x04, nullptr),
       "Routes only.\nMaiden Claiming races only.\nStakes races only.\nDirt tracks only.\nDry tracks "
       "only.\n"},
      {"both distance bits, synthetic", make(0x06, 0x14, 0x08, 0x01, nullptr),
       "Sprints only.\nRoutes only.\nMaiden Special Weight races only.\nAllowance races only.\n"
       "Synthetic tracks only.\n"},
      {"all class bits but any", make(0x01, 0x3e, 0x01, 0x01, nullptr),
       "Maiden Claiming races only.\nMaiden Special Weight races only.\nClaiming races only.\n"
       "Allowance races only.\nStakes races only.\n"},
      // Custom lists replace the lines of the other bits of their group.
      {"custom lists", custom, "Distance: 4f - 5f; 1mi\nStakes: Any type\n"},
      {"track typed in lower case", buildCriteria(typed), "Track Code 'aqX' only.\n"},
      // A slot filled to the brim is read no further than its four bytes.
      {"full track slot", make(0x01, 0x01, 0x01, 0x01, "ABCD"), "Track Code 'ABCD' only.\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(describeCriteria(c.criteria), c.text) << c.what;
}

}  // namespace
}  // namespace stridewell
