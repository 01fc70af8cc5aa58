// The machine-readable handicap figures: a small field's figures worked out
// by hand, the overlay rule at its edge, races without figures, and the
// CSV quoting and JSON escaping of card text.
#include "handicap/handicap_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "race/card_values.h"

namespace stridewell {
namespace {

template <size_t N>
void setText(char (&member)[N], const std::string& text) {
  std::memset(member, 0, N);
  std::memcpy(member, text.data(), std::min(text.size(), N - 1));
}

struct TestHorse {
  std::string program;
  int post;
  std::string name;
  float morningLine;
};

std::unique_ptr<Race> makeRace(const std::vector<TestHorse>& horses) {
  auto race = std::make_unique<Race>();
  clearRecord(race->card);
  clearRecord(race->profile);
  clearRecord(race->result);
  clearRecord(race->text);
  setText(race->text.cardTrack, "SAX");
  race->text.raceNumber = 4;
  race->profile.date = packDate("20260313");
  race->profile.horseCount = static_cast<uint8_t>(horses.size());
  for (size_t h = 0; h < horses.size(); ++h) {
    setText(race->text.horseList[h].programNumber, horses[h].program);
    race->text.horseList[h].morningLine = horses[h].morningLine;
    race->profile.horses[h].postPosition = static_cast<uint8_t>(horses[h].post);
    setText(race->profile.horses[h].name, horses[h].name);
  }
  return race;
}

// Five horses scored 4, 3, 1, 1, 1 (total 10): shares 0.4, 0.3, 0.1, 0.1,
// 0.1, fair odds 1.5, 7/3, 9, 9, 9.
std::unique_ptr<Race> fiveHorses() {
  return makeRace({{"1A", 1, "ALPHA", 2.0f},
                   {"2", 2, "BRAVO", 0.0f},
                   {"3", 3, "CHARLIE", 12.0f},
                   {"4", 4, "DELTA", 11.5f},
                   {"", 5, "ECHO", 11.0f}});
}
const std::vector<double> kScores = {4, 3, 1, 1, 1};

TEST(HandicapTable, OverlayRuleAtItsEdge) {
  const struct {
    double fairOdds;
    double morningLine;
    double margin;
    bool overlay;
  } cases[] = {
      // (ML + 1) >= (1 + margin) x (fair + 1): 5 >= 1.25 x 4 holds exactly.
      {3, 4, 0.25, true},
      {3, 3.99, 0.25, false},
      {3, 3, 0, true},  // no margin: the morning line equal to the fair odds
      {3, 2.99, 0, false},
      // 1.5 x 2.5 = 3.75: ML 2.75 is the edge.
      {1.5, 2.75, 0.5, true},
      {1.5, 2.74, 0.5, false},
      {3, 0, 0.25, false},          // no morning line
      {INFINITY, 99, 0.25, false},  // a horse of no chance
      {0, 0.25, 0.25, true},        // a sure thing at 1-4: 1.25 >= 1.25
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isOverlay(c.fairOdds, c.morningLine, c.margin), c.overlay)
        << "fair " << c.fairOdds << " ML " << c.morningLine << " margin " << c.margin;
  }
}

TEST(HandicapTable, FiguresOfASmallField) {
  const auto race = fiveHorses();
  HandicapTableOptions options;
  options.exponents = {2, 1};
  const RaceTable table = buildRaceTable(*race, kScores, options);
  EXPECT_EQ(table.note, "");
  EXPECT_EQ(table.track, "SAX");
  EXPECT_EQ(table.raceNumber, 4);
  ASSERT_EQ(table.horses.size(), 5u);
  const struct {
    double percent;
    double fairOdds;
    bool overlay;
  } expected[] = {
      {40, 1.5, false},      // ML 2: 3 < 1.25 x 2.5 = 3.125
      {30, 7.0 / 3, false},  // no morning line
      {10, 9, true},         // ML 12: 13 >= 12.5
      {10, 9, true},         // ML 11.5: 12.5 >= 12.5, the edge
      {10, 9, false},        // ML 11: 12 < 12.5
  };
  for (size_t h = 0; h < 5; ++h) {
    const HorseFigures& horse = table.horses[h];
    EXPECT_TRUE(horse.scored) << h;
    EXPECT_EQ(horse.score, kScores[h]) << h;
    EXPECT_NEAR(horse.winPercent, expected[h].percent, 1e-12) << h;
    EXPECT_NEAR(horse.fairOdds, expected[h].fairOdds, 1e-12) << h;
    EXPECT_EQ(horse.overlay, expected[h].overlay) << h;
  }
  // Exactas with squares 0.16, 0.09, 0.01 x 3 (sum 0.28):
  //   1A-2 = 0.4 x 0.09 / 0.12 = 0.3, price 2 / 0.3 = 6.67
  //   2-1A = 0.3 x 0.16 / 0.19 = 0.25263, price 7.92
  //   1A-3 = 0.4 x 0.01 / 0.12 = 0.03333 (3, 4 and 5 alike; 5 is named by its post)
  ASSERT_EQ(table.exactas.size(), 5u);
  EXPECT_EQ(table.exactas[0].horses, (std::vector<std::string>{"1A", "2"}));
  EXPECT_NEAR(table.exactas[0].chance, 0.3, 1e-12);
  EXPECT_NEAR(table.exactas[0].fairPrice, 2 / 0.3, 1e-9);
  EXPECT_EQ(table.exactas[1].horses, (std::vector<std::string>{"2", "1A"}));
  EXPECT_NEAR(table.exactas[1].chance, 0.048 / 0.19, 1e-12);
  // 3-1A = 0.1 x 0.16 / 0.27 = 0.05926 comes before the 0.03333 of 1A-3.
  EXPECT_EQ(table.exactas[2].horses, (std::vector<std::string>{"3", "1A"}));
  EXPECT_EQ(table.exactas[4].horses, (std::vector<std::string>{"5", "1A"}));
  // Trifecta 1A-2 then third by the shares: 0.1 / 0.3 each, 0.3 / 3 = 0.1.
  ASSERT_EQ(table.trifectas.size(), 5u);
  EXPECT_EQ(table.trifectas[0].horses, (std::vector<std::string>{"1A", "2", "3"}));
  EXPECT_NEAR(table.trifectas[0].chance, 0.1, 1e-12);
  EXPECT_NEAR(table.trifectas[0].fairPrice, 20, 1e-9);
}

TEST(HandicapTable, RacesWithoutFigures) {
  const auto race = fiveHorses();
  const struct {
    const char* what;
    std::vector<double> scores;
    const char* note;
    const char* expectedNote;
  } cases[] = {
      {"too few horses", {}, kTooFewHorsesNote, kTooFewHorsesNote},
      {"SIM not loaded", {}, kSimNotLoadedNote, kSimNotLoadedNote},
      {"not a number", {4, 3, NAN, 1, 1}, kSimNotLoadedNote, kNotScoredNote},
      {"infinite", {4, 3, INFINITY, 1, 1}, "", kNotScoredNote},
      {"negative", {4, 3, -1, 1, 1}, "", kNotScoredNote},
      {"all zero", {0, 0, 0, 0, 0}, "", kNotScoredNote},
      {"short", {4, 3, 1}, "", kNotScoredNote},
  };
  for (const auto& c : cases) {
    const RaceTable table = buildRaceTable(*race, c.scores, HandicapTableOptions{}, c.note);
    EXPECT_EQ(table.note, c.expectedNote) << c.what;
    ASSERT_EQ(table.horses.size(), 5u) << c.what;
    for (const HorseFigures& horse : table.horses) EXPECT_FALSE(horse.scored) << c.what;
    EXPECT_EQ(table.horses[3].name, "DELTA") << c.what;
    EXPECT_TRUE(table.exactas.empty()) << c.what;
    EXPECT_TRUE(table.trifectas.empty()) << c.what;
  }
}

TEST(HandicapTable, CsvLinesAndQuoting) {
  auto race = fiveHorses();
  setText(race->profile.horses[0].name, "OLLIE'S \"ECHO\", JR");
  setText(race->profile.horses[1].name, "CAF\xc9 NOIR");  // É in Latin-1
  HandicapTableOptions options;
  options.exponents = {2, 1};
  std::vector<RaceTable> tables = {buildRaceTable(*race, kScores, options)};
  tables[0].cardFile = "SAX0313.TCF";
  tables[0].simName = "MY, SIM";
  std::ostringstream out;
  writeHandicapCsv(tables, out);
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 1u + 5 + 5 + 5);
  EXPECT_EQ(lines[0],
            "card,track,date,race,track_assumed,sim,kind,program,post,name,score,win_percent,fair_odds,"
            "morning_line,overlay,combination,chance,fair_price,note");
  const std::string start = "SAX0313.TCF,SAX,2026-03-13,4,,\"MY, SIM\",";
  EXPECT_EQ(lines[1], start + "horse,1A,1,\"OLLIE'S \"\"ECHO\"\", JR\",4,40.0000,1.5000,2.00,no,,,,");
  EXPECT_EQ(lines[2], start + "horse,2,2,CAF\xc3\x89 NOIR,3,30.0000,2.3333,,no,,,,");
  EXPECT_EQ(lines[4], start + "horse,4,4,DELTA,1,10.0000,9.0000,11.50,yes,,,,");
  EXPECT_EQ(lines[5], start + "horse,,5,ECHO,1,10.0000,9.0000,11.00,no,,,,");
  // 2 / 0.3 = 6.666..., 2 / (0.048 / 0.19) = 7.9166...
  EXPECT_EQ(lines[6], start + "exacta,,,,,,,,,1A-2,0.300000,6.67,");
  EXPECT_EQ(lines[7], start + "exacta,,,,,,,,,2-1A,0.252632,7.92,");
  EXPECT_EQ(lines[11], start + "trifecta,,,,,,,,,1A-2-3,0.100000,20.00,");
}

TEST(HandicapTable, CsvOfARaceWithoutFigures) {
  const auto race = makeRace({{"1", 1, "ALPHA", 3.0f}, {"2", 2, "BRAVO", 0.0f}});
  std::vector<RaceTable> tables = {buildRaceTable(*race, {}, HandicapTableOptions{}, kTooFewHorsesNote)};
  tables[0].cardFile = "X.TCF";
  std::ostringstream out;
  writeHandicapCsv(tables, out);
  EXPECT_EQ(out.str().substr(out.str().find('\n') + 1),
            "X.TCF,SAX,2026-03-13,4,,,horse,1,1,ALPHA,,,,3.00,,,,,too few horses\n"
            "X.TCF,SAX,2026-03-13,4,,,horse,2,2,BRAVO,,,,,,,,,too few horses\n");
}

TEST(HandicapTable, JsonEscapingAndUnknownFigures) {
  const struct {
    const char* name;
    const char* json;
  } cases[] = {
      {"PLAIN", "\"PLAIN\""},
      {"SAY \"WHEN\"", "\"SAY \\\"WHEN\\\"\""},
      {"BACK\\SLASH", "\"BACK\\\\SLASH\""},
      {"TAB\tLINE\nEND\r", "\"TAB\\tLINE\\nEND\\r\""},
      {"BELL\x07\x1f\x7f", "\"BELL\\u0007\\u001f\\u007f\""},
      {"CAF\xc9 \xff", "\"CAF\xc3\x89 \xc3\xbf\""},  // Latin-1 É and ÿ as UTF-8
  };
  for (const auto& c : cases) {
    const auto race = makeRace({{"1", 1, c.name, 0.0f}});
    std::vector<RaceTable> tables = {buildRaceTable(*race, {}, HandicapTableOptions{}, kTooFewHorsesNote)};
    tables[0].cardFile = "X.TCF";
    tables[0].date = 0;
    std::ostringstream out;
    writeHandicapJson(tables, HandicapTableOptions{}, out);
    EXPECT_EQ(
        out.str(),
        "{\n  \"overlay_margin\": 0.25,\n  \"second_exponent\": 0.81,\n  \"third_exponent\": 0.65,\n"
        "  \"races\": [\n"
        "    {\"card\": \"X.TCF\", \"track\": \"SAX\", \"date\": null, \"race\": 4, \"track_assumed\": null, "
        "\"sim\": \"\", \"scored\": false, \"note\": \"too few horses\",\n"
        "     \"horses\": [\n"
        "       {\"program\": \"1\", \"post\": 1, \"name\": " +
            std::string(c.json) +
            ", \"score\": null, \"win_percent\": null, \"fair_odds\": null, \"morning_line\": null, "
            "\"overlay\": null}\n"
            "     ],\n"
            "     \"exactas\": [],\n     \"trifectas\": []}\n  ]\n}\n")
        << c.name;
  }
}

TEST(HandicapTable, JsonOfAScoredRace) {
  const auto race = fiveHorses();
  HandicapTableOptions options;
  options.overlayMargin = 0.5;
  options.exponents = {2, 1};
  options.combinations = 1;
  std::vector<RaceTable> tables = {buildRaceTable(*race, kScores, options)};
  tables[0].trackAssumed = "wet";
  std::ostringstream out;
  writeHandicapJson(tables, options, out);
  const std::string json = out.str();
  EXPECT_EQ(
      json.rfind("{\n  \"overlay_margin\": 0.5,\n  \"second_exponent\": 2,\n  \"third_exponent\": 1,\n", 0),
      0u)
      << json;
  EXPECT_NE(json.find("\"track_assumed\": \"wet\", \"sim\": \"\", \"scored\": true, \"note\": null,"),
            std::string::npos);
  // The sure favourite's figures; BRAVO has no morning line; with a margin
  // of 0.5 CHARLIE (13 < 1.5 x 10) is no overlay.
  EXPECT_NE(
      json.find("{\"program\": \"1A\", \"post\": 1, \"name\": \"ALPHA\", \"score\": 4, \"win_percent\": "
                "40.0000, \"fair_odds\": 1.5000, \"morning_line\": 2.00, \"overlay\": false}"),
      std::string::npos)
      << json;
  EXPECT_NE(json.find("\"morning_line\": null, \"overlay\": false}"), std::string::npos);
  EXPECT_EQ(json.find("\"overlay\": true"), std::string::npos) << json;
  EXPECT_NE(
      json.find("\"exactas\": [{\"horses\": [\"1A\", \"2\"], \"chance\": 0.300000, \"fair_price\": 6.67}],\n"
                "     \"trifectas\": [{\"horses\": [\"1A\", \"2\", \"3\"], \"chance\": 0.100000, "
                "\"fair_price\": 20.00}]}"),
      std::string::npos)
      << json;
}

// Decimal comma and thousands grouped by '.', as some locales have them.
struct CommaPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(HandicapTable, DecimalPointWhateverTheLocale) {
  auto race = fiveHorses();
  race->profile.horses[0].postPosition = 1;
  race->text.raceNumber = 12;
  const std::vector<double> scores = {4000.5, 3000, 1000, 1000, 1000};
  std::vector<RaceTable> tables = {buildRaceTable(*race, scores, HandicapTableOptions{})};
  const std::locale comma(std::locale::classic(), new CommaPoint);
  const std::locale previous = std::locale::global(comma);
  std::ostringstream csv;
  csv.imbue(comma);
  writeHandicapCsv(tables, csv);
  std::ostringstream json;
  json.imbue(comma);
  writeHandicapJson(tables, HandicapTableOptions{}, json);
  std::locale::global(previous);
  // 4000.5 / 10000.5 = 40.0030 %, fair odds 10000.5 / 4000.5 - 1 = 1.49981...
  EXPECT_NE(csv.str().find(",12,,,horse,1A,1,ALPHA,4000.5,40.0030,1.4998,2.00,"), std::string::npos)
      << csv.str();
  EXPECT_NE(json.str().find("\"race\": 12,"), std::string::npos);
  EXPECT_NE(json.str().find("\"score\": 4000.5, \"win_percent\": 40.0030, \"fair_odds\": 1.4998,"),
            std::string::npos)
      << json.str();
  EXPECT_NE(json.str().find("\"overlay_margin\": 0.25,"), std::string::npos);
}

}  // namespace
}  // namespace stridewell
