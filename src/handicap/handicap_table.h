// The handicap run's figures for programs to read: every horse of every
// race scored (not only the first five) with its score, win share, fair and
// morning-line odds and overlay mark, and the race's leading exacta and
// trifecta combinations at fair $2 prices; written as comma-separated
// lines or as JSON. Built by the race report, written by the run.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "handicap/exotic_chances.h"
#include "race/race.h"

namespace stridewell {

struct HandicapTableOptions {
  // A horse is an overlay when its morning line pays at least 1 + margin
  // times its fair odds: morning line + 1 >= (1 + margin) x (fair odds + 1).
  double overlayMargin = 0.25;
  PlaceExponents exponents;
  int combinations = 5;  // exactas and trifectas listed per race
};

inline constexpr double kLargestOverlayMargin = 100;
inline constexpr double kLargestPlaceExponent = 10;

// Why a race has no figures.
inline constexpr const char* kTooFewHorsesNote = "too few horses";
inline constexpr const char* kNoRuleNote = "no SI Map rule matches";
inline constexpr const char* kSimNotLoadedNote = "SIM could not be loaded";
inline constexpr const char* kNotScoredNote = "SIM could not score the field";

struct HorseFigures {
  std::string program;  // as on the card; may be empty
  int post = 0;
  std::string name;
  bool scored = false;  // false: the figures below are not known
  double score = 0;
  double winPercent = 0;   // share of the field's total score x 100
  double fairOdds = 0;     // 1 / share - 1; infinite for a share of 0
  double morningLine = 0;  // 0: none on the card
  bool overlay = false;
};

struct CombinationFigures {
  std::vector<std::string> horses;  // program numbers (post positions without), first place first
  double chance = 0;
  double fairPrice = 0;  // of a $2 ticket
};

struct RaceTable {
  std::string cardFile;  // the card's file name, without its folder
  std::string track;     // the card's track code
  int32_t date = 0;      // packed
  int raceNumber = 0;
  std::string trackAssumed;  // "dry" or "wet" under an SI Map with a table for each; else empty
  std::string simName;
  std::string note;  // empty when the race was scored; else why not
  std::vector<HorseFigures> horses;
  std::vector<CombinationFigures> exactas;
  std::vector<CombinationFigures> trifectas;
};

// The overlay rule above; false without a morning line or a fair price.
bool isOverlay(double fairOdds, double morningLine, double margin);

// The table of `race` from the SIM's score of each horse slot. With no
// scores, or scores that give no shares (not finite, negative, or summing
// to 0), the horses are listed without figures and `note` (or, for bad
// scores, kNotScoredNote) says why.
RaceTable buildRaceTable(const Race& race, std::span<const double> scores,
                         const HandicapTableOptions& options, std::string note = kNotScoredNote);

// One header line, then for each race a line per horse ("horse"), then its
// exactas and trifectas ("exacta", "trifecta"). Fields holding a comma, a
// quote or a line end are quoted, quotes doubled. Numbers use '.' whatever
// the locale; card text bytes above 0x7F are taken as Latin-1 and written
// as UTF-8.
void writeHandicapCsv(std::span<const RaceTable> races, std::ostream& out);

// {"overlay_margin", "second_exponent", "third_exponent", "races": [...]}
// with the CSV's names; unknown figures are null. Text as in the CSV,
// escaped for JSON.
void writeHandicapJson(std::span<const RaceTable> races, const HandicapTableOptions& options,
                       std::ostream& out);

// The Latin-1 bytes of card text as UTF-8.
std::string latin1ToUtf8(std::string_view text);

}  // namespace stridewell
