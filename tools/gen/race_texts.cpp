#include "race_texts.h"

namespace stridewell::gen {

std::string tripComment(RandomSource& random, int finish, int fieldSize, bool trouble, bool earlyLeader) {
  static const char* const kTrouble[] = {
      "Bumped start",         "Checked 3/8",      "Blocked 1/8",  "Boxed in turn",
      "Forced wide 1st turn", "Poor start",       "Brushed 1/2",  "Impeded early",
      "4 wide turn",          "5 wide into lane", "Steadied 1/4", "Wide trip",
  };
  static const char* const kWon[] = {
      "Drew clear",         "Driving, held on", "Rallied, up late",
      "Stalked, took over", "Much the best",    "Game inside",
  };
  static const char* const kLedWon[] = {"Led throughout", "Set pace, held", "Wire to wire"};
  static const char* const kLedPlaced[] = {"Set pace, caught late", "Vied, outfinished",
                                           "Led, weakened late"};
  static const char* const kPlaced[] = {
      "Bid, second best", "Late gain", "Chased, held show", "Rallied, just missed", "Stalked, no match",
  };
  static const char* const kMiddle[] = {
      "Even trip",      "Inside, no rally", "Chased, weakened",
      "Mild late gain", "Never close",      "Off rail, evenly",
  };
  static const char* const kBack[] = {"No factor", "Outrun", "Gave way", "Stopped", "Eased late", "Trailed"};
  std::string outcome;
  if (finish == 1) {
    outcome = earlyLeader ? random.pick(kLedWon) : random.pick(kWon);
  } else if (finish <= 3) {
    outcome = earlyLeader ? random.pick(kLedPlaced) : random.pick(kPlaced);
  } else if (finish * 2 <= fieldSize + 1) {
    outcome = random.pick(kMiddle);
  } else {
    outcome = random.pick(kBack);
  }
  if (!trouble) return outcome;
  // "Bumped start, late gain": the comma sits inside the quoted field.
  std::string text = random.pick(kTrouble);
  text += ", ";
  outcome[0] = static_cast<char>(outcome[0] - 'A' + 'a');
  return text + outcome;
}

std::string sexWords(char sex) {
  if (sex == 'F') return "FILLIES ";
  if (sex == 'M') return "FILLIES AND MARES ";
  if (sex == 'C') return "COLTS AND GELDINGS ";
  return "";
}

// "THREE YEAR OLDS" alone, "FILLIES THREE YEARS OLD" after another word,
// as race conditions are written.
std::string ageWords(const std::string& restriction, bool afterWord) {
  if (restriction.size() < 2) return "";
  const char* age = "ALL AGES";
  switch (restriction[0]) {
    case 'A':
      age = "TWO";
      break;
    case 'B':
      age = "THREE";
      break;
    case 'C':
      age = "FOUR";
      break;
    default:
      return age;
  }
  std::string words = std::string(age) + (afterWord ? " YEARS OLD" : " YEAR OLDS");
  if (restriction[1] == 'U') words += " AND UPWARD";
  return words;
}

std::string distanceWords(int yards) {
  switch (yards) {
    case 1100:
      return "FIVE FURLONGS";
    case 1210:
      return "FIVE AND ONE HALF FURLONGS";
    case 1320:
      return "SIX FURLONGS";
    case 1430:
      return "SIX AND ONE HALF FURLONGS";
    case 1540:
      return "SEVEN FURLONGS";
    case 1760:
      return "ONE MILE";
    case 1830:
      return "ONE MILE AND SEVENTY YARDS";
    case 1870:
      return "ONE MILE AND ONE SIXTEENTH";
    case 1980:
      return "ONE MILE AND ONE EIGHTH";
    case 2200:
      return "ONE MILE AND ONE QUARTER";
    default:
      return std::to_string(yards) + " YARDS";
  }
}

}  // namespace stridewell::gen
