#include "race/past_race.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "card_line_builder.h"
#include "race/card_line.h"
#include "race/card_values.h"
#include "race/field_slots.h"

namespace stridewell {
namespace {

using test::val;

TEST(PastRace, CallPositionLengths) {
  struct Case {
    const char* position;
    const char* lengths;
    int storedPosition;
    float storedLengths;
  };
  const Case cases[] = {
      {"1", "0.25", 1, 0.25f},  // a quarter length stays
      {"2", "0.13", 2, 0.08f},  // the card's "neck" becomes 0.08
      {"3", "0.1", 3, 0.02f},   // other small margins become 0.02
      {"3", "0.01", 3, 0.02f},   {"3", "0.129", 3, 0.02f},      {"4", "0", 4, 0.0f},  // zero stays zero
      {"4", "", 4, 0.0f},        {"5", "0.5", 5, 0.5f},         {"6", "0.14", 6, 0.14f},
      {"7", "12.75", 7, 12.75f}, {"8", "-0.1", 8, -0.1f},        // not above 0
      {"", "1", 0, 1.0f},        {"300", "1", 300 - 256, 1.0f},  // low byte
  };
  for (const Case& c : cases) {
    const CallPosition call = callPosition(c.position, c.lengths);
    EXPECT_EQ(+call.position, c.storedPosition) << c.position << " / " << c.lengths;
    EXPECT_FLOAT_EQ(val(call.lengths), c.storedLengths) << c.position << " / " << c.lengths;
  }
}

TEST(PastRace, TroubleKeywords) {
  struct Case {
    const char* comment;
    bool trouble;
  };
  const Case cases[] = {
      {"Bumped start", true},  // compared on the lower-cased comment
      {"widened", true},       // "wide" inside a longer word
      {"BLOCKED on turn", true}, {"brushed 1/8", true}, {"Checked sharply", true},
      {"boxed in", true},        {"forced out", true},  {"Poor Start", true},
      {"impeded late", true},    {"poorstart", false},  {"check", false},
      {"clear trip", false},     {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hasTroubleKeyword(c.comment), c.trouble) << "comment \"" << c.comment << "\"";
  }
}

// Against the plain reading: lower-case the comment, look for each keyword.
TEST(PastRace, TroubleKeywordsAgreeWithSearchingTheLowerCasedComment) {
  const std::vector<std::string> keywords = {"blocked", "bumped", "brushed",    "checked", "boxed",
                                             "forced",  "wide",   "poor start", "impeded"};
  auto reference = [&](std::string comment) {
    for (char& c : comment) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (const std::string& keyword : keywords) {
      if (comment.find(keyword) != std::string::npos) return true;
    }
    return false;
  };
  // Pieces of keywords, near misses, case changes and bytes beyond ASCII.
  const std::vector<std::string> pieces = {
      "bl",  "ocked", "bu",   "mped", "Br",   "USHED",  "ch",        "ecked", "BOX",    "ed",
      "for", "ced",   "Wi",   "de",   "poor", " start", "poorstart", "im",    "peded",  " ",
      ",",   "x",     "\xc1", "\xe9", "b",    "w",      "P",         "I",     "checke", "wid"};
  std::mt19937 rng(316);
  for (int round = 0; round < 20000; ++round) {
    std::string comment;
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) comment += pieces[rng() % pieces.size()];
    EXPECT_EQ(hasTroubleKeyword(comment), reference(comment)) << "comment \"" << comment << "\"";
  }
  for (const std::string& keyword : keywords) {
    EXPECT_TRUE(hasTroubleKeyword(keyword)) << keyword;        // the whole comment
    EXPECT_TRUE(hasTroubleKeyword("x" + keyword)) << keyword;  // at the very end
    EXPECT_FALSE(hasTroubleKeyword(keyword.substr(0, keyword.size() - 1))) << keyword;
  }
}

TEST(PastRace, IsSprintBoundaries) {
  struct Case {
    float distance;
    bool sprint;
  };
  const Case cases[] = {
      {0.0f, true},                                            // no distance counts as a sprint
      {0.0000005f, true}, {-0.0000005f, true}, {1.0f, false},  // a mile
      {1.9f, false},                                           // 1.9 is not above 1.9
      {1.95f, true},      {6.0f, true},        {7.0f, true},
      {7.01f, false},     {7.5f, false},       {-2.0f, false},  // two miles
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isSprint(c.distance), c.sprint) << "distance " << c.distance;
  }
}

PastRace finishedAt(float distance, int position, float lengths) {
  PastRace p{};
  p.distance = distance;
  p.finish.position = static_cast<uint8_t>(position);
  p.finish.lengths = lengths;
  return p;
}

TEST(PastRace, GoodRace) {
  struct Case {
    const char* what;
    PastRace race;
    bool good;
  };
  const Case cases[] = {
      {"won", finishedAt(6.0f, 1, 0.0f), true},
      {"third, far back", finishedAt(6.0f, 3, 9.0f), true},
      {"fourth by 2 in a sprint", finishedAt(6.0f, 4, 2.0f), true},
      {"fourth by 2.0000005 in a sprint", finishedAt(6.0f, 4, 2.0000005f), true},
      {"fourth by 2.25 in a sprint", finishedAt(6.0f, 4, 2.25f), false},
      {"fourth by 2.25 in a route", finishedAt(1.0625f, 4, 2.25f), true},
      {"fourth by 3 in a route", finishedAt(1.0625f, 4, 3.0f), true},
      {"fourth by 3.1 in a route", finishedAt(1.0625f, 4, 3.1f), false},
      {"fourth by 2.5 at 7.5 furlongs (a route)", finishedAt(7.5f, 4, 2.5f), true},
      {"fourth by 2.5 at 7 furlongs (a sprint)", finishedAt(7.0f, 4, 2.5f), false},
      {"fourth, no distance: a sprint", finishedAt(0.0f, 4, 2.5f), false},
      {"finish 0 counts as 99, not as first", finishedAt(6.0f, 0, 5.0f), false},
      {"finish 0 but close", finishedAt(6.0f, 0, 1.0f), true},
      {"lengths 0 count as 99", finishedAt(6.0f, 5, 0.0f), false},
      {"lengths 0 and finish 0", finishedAt(1.0f, 0, 0.0f), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(goodRace(c.race), c.good) << c.what;
  }
}

// A card line's slots with past race k = 2 filled in; other past races empty.
FieldSlots pastRaceSlots(int k, const std::string& yards) {
  FieldSlots f(cardFieldLayout());
  f.set(206 + k, "20231201");
  f.set(226 + k, "SAX");
  f.set(256 + k, yards);
  f.set(266 + k, "t");
  f.set(276 + k, "12");
  f.set(286 + k, "7");
  f.set(316 + k, "Bumped start, rallied");
  f.set(446 + k, "3");
  f.set(486 + k, "25000");
  f.set(496 + k, "30000");
  // Five calls: position c and lengths c + 0.5 at call c (1-based).
  for (int call = 0; call < 5; ++call) {
    f.set(516 + 10 * call + k, std::to_string(call + 1));
    f.set(576 + 10 * call + k, std::to_string(call + 1) + ".5");
  }
  f.set(626 + k, "-11");
  f.set(676 + k, "22");
  f.set(686 + k, "98.25");
  f.set(696 + k, "105.5");
  f.set(706 + k, "-85");
  f.set(726 + k, "-33");
  f.set(736 + k, "44");
  f.set(796 + k, "110");
  f.set(836 + k, "C");
  f.set(846 + k, "BUF");
  return f;
}

TEST(PastRace, FillPastRaceMembers) {
  const int k = 2;
  const FieldSlots f = pastRaceSlots(k, "1320");
  PastRace p;
  std::memset(&p, 0xAB, sizeof p);
  fillPastRace(k, f, p);

  for (uint8_t b : p.reserved) EXPECT_EQ(b, 0);
  EXPECT_EQ(val(p.date), (2023 << 16) | (1 << 8) | 12);
  EXPECT_FLOAT_EQ(val(p.distance), 6.0f);
  EXPECT_EQ(+p.fieldSize, 12);
  EXPECT_EQ(+p.postPosition, 7);
  EXPECT_EQ(val(p.speedRating), 85);  // stored without its sign
  EXPECT_EQ(+p.raceClass.type, ClassCode::kClaiming);
  EXPECT_EQ(val(p.raceClass.amount), 25000);
  EXPECT_EQ(+p.flags, PastRace::kTurf | PastRace::kFemalesOnly | PastRace::kOpenToOlder | PastRace::kTrouble);
  EXPECT_EQ(+p.weightCarried, 3);
  EXPECT_FLOAT_EQ(val(p.distanceRate), 12.0f);  // 1320 / 110
  EXPECT_EQ(+p.earlyPace, 11);
  EXPECT_EQ(+p.middlePace, 22);
  EXPECT_EQ(+p.latePace, 33);
  EXPECT_EQ(+p.trackVariant, 44);
  EXPECT_FLOAT_EQ(val(p.classRating), 105.5f);
  EXPECT_FLOAT_EQ(val(p.raceLevel), 98.25f);
}

TEST(PastRace, CallTableSprintVersusRoute) {
  struct Case {
    const char* yards;
    int call1, call2, call3, finish;  // which card call (1-5) fills each member
  };
  const Case cases[] = {
      {"1320", 1, 2, 4, 5},                         // sprint: start call first
      {"1759", 1, 2, 4, 5}, {"-1320", 1, 2, 4, 5},  // the sign of the yards is dropped
      {"", 1, 2, 4, 5},     {"1760", 2, 3, 4, 5},   // route from a mile on
      {"1870", 2, 3, 4, 5}, {"3520", 2, 3, 4, 5},
  };
  const int k = 4;
  for (const Case& c : cases) {
    PastRace p{};
    fillPastRace(k, pastRaceSlots(k, c.yards), p);
    EXPECT_EQ(+p.call1.position, c.call1) << c.yards;
    EXPECT_FLOAT_EQ(val(p.call1.lengths), c.call1 + 0.5f) << c.yards;
    EXPECT_EQ(+p.call2.position, c.call2) << c.yards;
    EXPECT_FLOAT_EQ(val(p.call2.lengths), c.call2 + 0.5f) << c.yards;
    EXPECT_EQ(+p.call3.position, c.call3) << c.yards;
    EXPECT_FLOAT_EQ(val(p.call3.lengths), c.call3 + 0.5f) << c.yards;
    EXPECT_EQ(+p.finish.position, c.finish) << c.yards;
    EXPECT_FLOAT_EQ(val(p.finish.lengths), c.finish + 0.5f) << c.yards;
  }
}

TEST(PastRace, Flags) {
  struct Case {
    const char* surface;
    const char* restriction;
    const char* comment;
    int flags;
  };
  const Case cases[] = {
      {"T", "", "", PastRace::kTurf},
      {"t", "", "", PastRace::kTurf},
      {"D", "", "", 0},
      {"", "", "", 0},
      {"xT", "", "", 0},  // first character only
      {"D", "BOF", "", PastRace::kFemalesOnly},
      {"D", "BOM", "", PastRace::kFemalesOnly},
      {"D", "bof", "", PastRace::kFemalesOnly},  // upper-cased
      {"D", "BOC", "", 0},                       // B and O: not open to older horses
      {"D", "AOC", "", 0},
      {"D", "BUC", "", PastRace::kOpenToOlder},  // "and up"
      {"D", "bu", "", PastRace::kOpenToOlder},
      {"D", "COC", "", PastRace::kOpenToOlder},  // C and later letters
      {"D", "cOC", "", PastRace::kOpenToOlder},
      {"D", "HUM", "", PastRace::kOpenToOlder | PastRace::kFemalesOnly},
      {"D", "1OF", "", PastRace::kFemalesOnly},
      {"D", "B", "", 0},
      {"D", "", "Bumped start", PastRace::kTrouble},
      {"D", "", "widened", PastRace::kTrouble},
      {"T", "EUF", "checked",
       PastRace::kTurf | PastRace::kFemalesOnly | PastRace::kOpenToOlder | PastRace::kTrouble},
  };
  for (const Case& c : cases) {
    FieldSlots f(cardFieldLayout());
    f.set(266, c.surface);
    f.set(846, c.restriction);
    f.set(316, c.comment);
    PastRace p{};
    fillPastRace(0, f, p);
    EXPECT_EQ(+p.flags, c.flags) << c.surface << " / " << c.restriction << " / " << c.comment;
  }
}

TEST(PastRace, SpeedRatingAndSmallValuesWithoutSign) {
  struct Case {
    const char* text;
    int speed;
    int small;
  };
  const Case cases[] = {{"-85", 85, 85}, {"85", 85, 85}, {"", 0, 0}, {"-1", 1, 1}, {"-300", 300, 300 - 256}};
  for (const Case& c : cases) {
    FieldSlots f(cardFieldLayout());
    f.set(706, c.text);
    f.set(626, c.text);
    PastRace p{};
    fillPastRace(0, f, p);
    EXPECT_EQ(val(p.speedRating), c.speed) << c.text;
    EXPECT_EQ(+p.earlyPace, c.small) << c.text;
  }
}

}  // namespace
}  // namespace stridewell
