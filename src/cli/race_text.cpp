#include "cli/race_text.h"

#include <cmath>

#include "base/text_case.h"
#include "cli/text_format.h"
#include "race/card_values.h"

namespace stridewell::cli {
namespace {

constexpr long kYardsPerFurlong = 220;
constexpr long kYardsPerMile = 1760;
constexpr long kYardsPerSixteenth = kYardsPerMile / 16;
// Longer than any race; a code beyond it is corrupt, not a distance.
constexpr double kMaxYards = 100000;

// "1/2", "3/16" ... for a count of sixteenths (1-15), reduced.
std::string sixteenthsText(long sixteenths) {
  long denominator = 16;
  while (sixteenths % 2 == 0 && denominator > 1) {
    sixteenths /= 2;
    denominator /= 2;
  }
  return formatText("%ld/%ld", sixteenths, denominator);
}

// Whole units, a fraction, or leftover yards, in long or short words.
struct DistanceParts {
  long whole;
  std::string fraction;  // "1/2" and the like, empty when none
  long yards;            // yards beyond whole units when no fraction fits
};

DistanceParts splitDistance(long yards, long unit, long fractionStep, long fractionsPerUnit) {
  DistanceParts parts{yards / unit, "", yards % unit};
  if (parts.yards != 0 && parts.yards % fractionStep == 0) {
    const long steps = parts.yards / fractionStep;
    long numerator = steps * 16 / fractionsPerUnit;
    parts.fraction = sixteenthsText(numerator);
    parts.yards = 0;
  }
  return parts;
}

}  // namespace

std::string dateText(int32_t packedDate) {
  if (packedDate == 0) return "-";
  return formatText("%04d-%02d-%02d", packedYear(packedDate), packedMonth(packedDate), packedDay(packedDate));
}

long distanceYards(float distanceCode) {
  const double code = distanceCode;
  if (!std::isfinite(code) || code == 0) return -1;
  // Furlongs from 1.9 on; below that, and negative, miles.
  const double yards = code >= 1.9 ? code * kYardsPerFurlong : std::fabs(code) * kYardsPerMile;
  if (yards > kMaxYards) return -1;
  return std::lround(yards);
}

std::string distanceText(float distanceCode) {
  const long yards = distanceYards(distanceCode);
  if (yards <= 0) return "-";
  if (yards < kYardsPerMile) {
    // Furlongs come in quarters (4 1/2 furlongs is common, 1/4 and 3/4 rare).
    const DistanceParts parts = splitDistance(yards, kYardsPerFurlong, kYardsPerFurlong / 4, 4);
    if (!parts.fraction.empty()) {
      if (parts.whole == 0) return parts.fraction + " furlong";
      return formatText("%ld %s furlongs", parts.whole, parts.fraction.c_str());
    }
    std::string text;
    if (parts.whole > 0) text = formatText("%ld furlong%s", parts.whole, parts.whole == 1 ? "" : "s");
    if (parts.yards > 0) text += formatText("%s%ld yards", text.empty() ? "" : " ", parts.yards);
    return text;
  }
  // Miles come in sixteenths; odd distances such as 1 mile 70 yards in yards.
  const DistanceParts parts = splitDistance(yards, kYardsPerMile, kYardsPerSixteenth, 16);
  if (!parts.fraction.empty()) return formatText("%ld %s miles", parts.whole, parts.fraction.c_str());
  std::string text = formatText("%ld mile%s", parts.whole, parts.whole == 1 ? "" : "s");
  if (parts.yards > 0) text += formatText(" %ld yards", parts.yards);
  return text;
}

std::string shortDistanceText(float distanceCode) {
  const long yards = distanceYards(distanceCode);
  if (yards <= 0) return "-";
  const bool furlongs = yards < kYardsPerMile;
  const DistanceParts parts = furlongs ? splitDistance(yards, kYardsPerFurlong, kYardsPerFurlong / 4, 4)
                                       : splitDistance(yards, kYardsPerMile, kYardsPerSixteenth, 16);
  const char unit = furlongs ? 'f' : 'm';
  std::string text;
  if (parts.whole > 0) text = formatText("%ld", parts.whole);
  if (!parts.fraction.empty()) text += (text.empty() ? "" : " ") + parts.fraction;
  if (!text.empty()) text += unit;
  if (parts.yards > 0) text += formatText("%ldy", parts.yards);
  return text;
}

std::string surfaceText(uint8_t surface) {
  switch (surface) {
    case RaceCard::kDirt:
      return "dirt";
    case RaceCard::kTurf:
      return "turf";
    default:
      return "synthetic";
  }
}

std::string classText(ClassCode raceClass) {
  const int32_t amount = raceClass.amount;
  switch (raceClass.type) {
    case ClassCode::kNone:
      return "class not given";
    case ClassCode::kMaiden:
      if (amount == -2) return "Maiden Special Weight";
      if (amount > 0) return "Maiden Claiming " + moneyText(amount);
      return "Maiden";
    case ClassCode::kClaiming:
      return amount > 0 ? "Claiming " + moneyText(amount) : "Claiming";
    case ClassCode::kAllowance:
      return amount > 0 ? "Allowance, purse " + moneyText(amount) : "Allowance";
    case ClassCode::kStakes: {
      static constexpr const char* kGrades[] = {"I", "II", "III"};
      if (amount >= 1 && amount <= 3) return formatText("Grade %s Stakes", kGrades[amount - 1]);
      return "Stakes";
    }
    default:
      return formatText("class %d", raceClass.type);
  }
}

std::string shortClassText(ClassCode raceClass) {
  const int32_t amount = raceClass.amount;
  switch (raceClass.type) {
    case ClassCode::kNone:
      return "-";
    case ClassCode::kMaiden:
      if (amount == -2) return "MSW";
      if (amount > 0) return formatText("MCl %d", amount);
      return "Mdn";
    case ClassCode::kClaiming:
      return amount > 0 ? formatText("Clm %d", amount) : "Clm";
    case ClassCode::kAllowance:
      return amount > 0 ? formatText("Alw %d", amount) : "Alw";
    case ClassCode::kStakes:
      if (amount >= 1 && amount <= 3) return formatText("G%d", amount);
      return "Stk";
    default:
      return formatText("?%d", raceClass.type);
  }
}

std::string restrictionText(std::string_view code) {
  if (code.empty()) return {};
  static constexpr const char* kAgeGroups[] = {
      "2-year-olds",
      "3-year-olds",
      "4-year-olds",
      "5-year-olds",
      "3- and 4-year-olds",
      "4- and 5-year-olds",
      "3-, 4- and 5-year-olds",
  };
  auto letter = [&](size_t i) { return i < code.size() ? upperAscii(code[i]) : '\0'; };
  const char age = letter(0);
  std::string text;
  if (age >= 'A' && age <= 'G') {
    text = kAgeGroups[age - 'A'];
    if (letter(1) == 'U') text += " and up";
  } else if (age == 'H') {
    text = "all ages";
  } else {
    return "restriction " + std::string(code);
  }
  switch (letter(2)) {
    case 'C':
      text += ", colts and geldings";
      break;
    case 'F':
      text += ", fillies";
      break;
    case 'M':
      text += ", fillies and mares";
      break;
    default:
      break;
  }
  return text;
}

std::string medicationText(uint8_t medication) {
  std::string text;
  if (medication & HorseEntry::kLasix) text += 'L';
  if (medication & HorseEntry::kBute) text += 'B';
  return text;
}

std::string oddsText(float odds) {
  const double value = odds;
  if (value == 0) return "-";
  if (!std::isfinite(value) || value < 0 || value > 9999) return formatText("%.2f", value);
  // Morning lines are quoted over 1, 2 or 5 (8-5, 5-2, 3-1).
  for (int denominator : {1, 2, 5}) {
    const double numerator = value * denominator;
    const double rounded = std::round(numerator);
    if (rounded >= 1 && std::fabs(numerator - rounded) < 0.001) {
      return formatText("%.0f-%d", rounded, denominator);
    }
  }
  return formatText("%.2f", value);
}

std::string moneyText(int64_t dollars) {
  const bool negative = dollars < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(dollars) : static_cast<uint64_t>(dollars);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return (negative ? "-$" : "$") + grouped;
}

std::string payoffText(float amount) {
  if (amount == 0) return "";
  return formatText("%.2f", static_cast<double>(amount));
}

std::string lengthsText(float lengths) {
  std::string text = formatText("%.2f", static_cast<double>(lengths));
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string callText(CallPosition call) {
  if (call.position == 0) return "-";
  return formatText("%d/%s", call.position, lengthsText(call.lengths).c_str());
}

std::string pastRaceFlagsText(uint8_t flags) {
  std::string text;
  if (flags & PastRace::kFemalesOnly) text += 'F';
  if (flags & PastRace::kOpenToOlder) text += 'O';
  if (flags & PastRace::kTrouble) text += '!';
  return text;
}

std::string conditionText(uint8_t condition) {
  if (condition == kWet) return "wet";
  if (condition == kDry) return "dry";
  return "-";
}

std::string trackText(std::string_view code) {
  if (code.empty()) return "-";
  const std::string name = trackName(code);
  if (name == code) return std::string(code);
  return std::string(code) + " " + name;
}

}  // namespace stridewell::cli
