#include "handicap/report_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "race/card_values.h"

namespace stridewell {

namespace {

constexpr double kEqual = 0.000001;

std::string format(const char* pattern, auto... values) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, values...);
  return buffer;
}

}  // namespace

std::string classText(ClassCode raceClass) {
  const long amount = raceClass.amount;
  switch (raceClass.type) {
    case ClassCode::kMaiden:
      if (amount == -1) return "M";
      if (amount == -2) return "MSW";
      return format("M%ld", amount);
    case ClassCode::kClaiming:
      return format("C%ld", amount);
    case ClassCode::kAllowance:
      return format("A%ld", amount);
    case ClassCode::kStakes:
      return "S";
    default:
      return "";
  }
}

std::string dateText(int32_t packedDate) {
  static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const int day = packedDay(packedDate);
  const int month = packedMonth(packedDate);
  const int year = packedYear(packedDate);
  if (day == 0 && month == 0 && year == 0) return "";
  // A month the calendar does not have still prints, as "???".
  const char* monthText = month >= 1 && month <= 12 ? kMonths[month - 1] : "???";
  return format("%d-%s-%02d", day, monthText, year % 100);
}

std::string fractionText(double value) {
  if (std::fabs(value) < kEqual) return "";
  const double whole = std::floor(value);
  std::string text;
  if (whole != 0) text = format("%d", static_cast<int>(whole));
  const double fraction = value - whole;
  if (std::fabs(fraction) < kEqual) return text;
  if (whole != 0) text += '+';
  for (int denominator = 2; denominator <= 64; denominator *= 2) {
    for (int numerator = 1; numerator < denominator; ++numerator) {
      if (std::fabs(static_cast<double>(numerator) / denominator - fraction) < kEqual) {
        return text + format("%d/%d", numerator, denominator);
      }
    }
  }
  return text + format("%d/100", static_cast<int>(std::trunc(fraction * 100 + 0.5)));
}

std::string moneyText(std::string_view digits) {
  std::string text(digits);
  const size_t length = text.size();
  if (length >= 4 && length <= 6) {
    text.insert(length - 3, ",");
  } else if (length >= 7 && length <= 9) {
    text.insert(length - 3, ",");
    text.insert(length - 6, ",");
  }
  return "$" + text;
}

std::string raceTypeText(ClassCode raceClass) {
  const std::string code = classText(raceClass);
  if (code == "MSW") return "MdnSpWgt";
  if (code == "S") {
    switch (raceClass.amount) {
      case 1:
        return "Stakes [Grade I]";
      case 2:
        return "Stakes [Grade II]";
      case 3:
        return "Stakes [Grade III]";
      default:
        return "Stakes [Non-Graded]";
    }
  }
  if (code == "M") return "Maiden";
  if (code.empty()) return code;
  const std::string amount = moneyText(std::string_view(code).substr(1));
  switch (code[0]) {
    case 'M':
      return "Maiden [" + amount + "]";
    case 'A':
      return "Allowance [" + amount + "]";
    case 'C':
      return "Claiming [" + amount + "]";
    default:
      return code;
  }
}

std::string reportDistanceText(int yards) {
  const double d = distanceCode(yards);
  if (d > 1.9) return fractionText(d) + " furlongs";
  const double miles = std::fabs(d);
  return fractionText(miles) + (miles > 1.001 ? " miles" : " mile");
}

std::string restrictionReportText(std::string_view restriction) {
  if (restriction.empty()) return "";
  std::string text;
  switch (restriction[0]) {
    case 'A':
      text = "2 yr olds";
      break;
    case 'B':
      text = "3 yr olds";
      break;
    case 'C':
      text = "4 yr olds";
      break;
    case 'D':
      text = "5 yr olds";
      break;
    case 'E':
      text = "3 & 4 yr olds";
      break;
    case 'F':
      text = "4 & 5 yr olds";
      break;
    case 'G':
      text = "3, 4 & 5 yr olds";
      break;
    case 'H':
      text = "All ages";
      break;
    default:
      break;
  }
  if (restriction[0] != 'H' && restriction.size() > 1) {
    if (restriction[1] == 'O') text += " only";
    if (restriction[1] == 'U') text += " and up";
  }
  if (restriction.size() > 2) {
    if (restriction[2] == 'C') text += " (Colts & Geldings only)";
    if (restriction[2] == 'F') text += " (Fillies only)";
    if (restriction[2] == 'M') text += " (Fillies & Mares only)";
  }
  return text;
}

std::vector<std::string> wrapComments(const std::vector<std::string_view>& comments) {
  std::vector<std::string> lines;
  std::string line;
  for (std::string_view comment : comments) {
    if (comment.empty()) continue;
    if (comment.size() + line.size() > 75) {
      lines.push_back(line);
      line = comment;
    } else {
      if (!line.empty()) line += ", ";
      line += comment;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace stridewell
