#include "race/card_values.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "race/text_number.h"

namespace stridewell {
namespace {

struct TrackNamePair {
  const char* code;
  const char* name;
};

constexpr TrackNamePair kTrackNames[] = {
    {"AKS", "Ak-Sar-Ben"},
    {"APX", "Arlington Park"},
    {"AQU", "Aqueduct"},
    {"ATL", "Atlantic City"},
    {"BEL", "Belmont Park"},
    {"BEU", "Beulah Park"},
    {"BGD", "Blue Grass Downs"},
    {"BIR", "Birmingham Race Course"},
    {"BMF", "Bay Meadows Fair"},
    {"BMX", "Bay Meadows"},
    {"CBY", "Canterbury Park"},
    {"CDX", "Churchill Downs"},
    {"CNL", "Colonial Downs"},
    {"CRC", "Calder Race Course"},
    {"CTX", "Charles Town"},
    {"DEL", "Delaware Park"},
    {"DET", "Detroit Race Course"},
    {"DMR", "Del Mar"},
    {"DUE", "Dueling Grounds"},
    {"ELP", "Ellis Park"},
    {"EMD", "Emerald Downs"},
    {"EVD", "Evangeline Downs"},
    {"FER", "Ferndale"},
    {"FEX", "Fort Erie"},
    {"FGX", "Fair Grounds"},
    {"FLX", "Finger Lakes"},
    {"FPX", "Fairplex"},
    {"FSX", "Flagstaff"},
    {"GGX", "Golden Gate"},
    {"GPX", "Gulfstream Park"},
    {"GSX", "Garden State Park"},
    {"HAW", "Hawthorne"},
    {"HIA", "Hialean Park"},
    {"HOL", "Hollywood Park"},
    {"HOO", "Hoosier Park"},
    {"HOU", "Sam Houston Race Park"},
    {"HST", "Hastings Park"},
    {"KEE", "Keeneland"},
    {"LAD", "Louisiana Downs"},
    {"LAX", "Los Alamitos"},
    {"LRL", "Laurel Race Course"},
    {"LSX", "Lone Star"},
    {"MED", "Meadowlands"},
    {"MNR", "Mountaineer Park"},
    {"MTH", "Monmouth Park"},
    {"OPX", "Oaklawn Park"},
    {"PEN", "Penn National"},
    {"PHA", "Philadelphia Park"},
    {"PIM", "Pimlico"},
    {"PLA", "Playfair"},
    {"PLN", "Pleasanton"},
    {"PMX", "Portland Meadows"},
    {"PRE", "Prescott Downs"},
    {"PRM", "Prairie Meadows"},
    {"RDX", "River Downs"},
    {"RET", "Retama Race Park"},
    {"RKM", "Rockingham Park"},
    {"RPX", "Remington Park"},
    {"SAC", "Sacramento"},
    {"SAR", "Saratoga"},
    {"SAX", "Santa Anita"},
    {"SOL", "Solano"},
    {"SPT", "Sportsman's Park"},
    {"SRX", "Santa Rosa"},
    {"STK", "Stockton"},
    {"SUF", "Suffolk Downs"},
    {"TAM", "Tampa Bay Downs"},
    {"TDN", "Thistledown"},
    {"TIM", "Timonium"},
    {"TPX", "Turfway Park"},
    {"TRM", "Trinity Meadows"},
    {"TUP", "Turf Paradise"},
    {"WDS", "Woodlands"},
    {"WOX", "Woodbine"},
    {"YMX", "Yakima Meadows"},
    {"FMP", "Fairmount Park"},
    {"FNO", "Fresno"},
};
static_assert(std::size(kTrackNames) == 77);

// A two-letter code gets its "X"; the result is at most what came in plus one.
std::string padTrackCode(std::string_view code) {
  std::string padded(code);
  if (padded.size() == 2) padded += 'X';
  return padded;
}

}  // namespace

void normalizeTrackCode(char* code) {
  if (std::strlen(code) > 3) code[3] = '\0';
  if (std::strcmp(code, "FP") == 0) {
    std::memcpy(code, "FMP", 4);
  } else if (std::strlen(code) == 2) {
    code[2] = 'X';
    code[3] = '\0';
  }
}

bool sameTrack(std::string_view a, std::string_view b) {
  return equalsIgnoreCase(padTrackCode(a), padTrackCode(b));
}

std::string trackName(std::string_view code) {
  const std::string padded = padTrackCode(code);
  for (const auto& pair : kTrackNames) {
    if (padded == pair.code) return pair.name;
  }
  return std::string(code);
}

int32_t packDate(std::string_view text) {
  auto part = [&](size_t from, size_t count) {
    return from < text.size() ? toInt(text.substr(from, count)) : 0;
  };
  const uint32_t year = static_cast<uint16_t>(part(0, 4));
  const uint32_t month = lowByte(part(4, 2));
  const uint32_t day = lowByte(part(6, 2));
  return static_cast<int32_t>(year << 16 | day << 8 | month);
}

float distanceCode(std::string_view yardsText) {
  return distanceCode(toInt(yardsText));
}

float distanceCode(int32_t yardsValue) {
  const double yards = std::abs(static_cast<double>(yardsValue));
  if (yards < 1760) return static_cast<float>(yards * 0.004545454545454545);
  const double miles = yards * 0.0005681818181818182;
  return static_cast<float>(miles > 1.9 ? -miles : miles);
}

ClassCode decodeClass(std::string_view type, std::string_view claim, std::string_view purse) {
  const char letter = type.empty() ? '\0' : upperAscii(type[0]);
  switch (letter) {
    case 'A':
    case 'R':
      return {ClassCode::kAllowance, toInt(purse)};
    case 'C':
      return {ClassCode::kClaiming, toInt(claim)};
    case 'G': {
      const char grade = type.size() > 1 ? type[1] : '\0';
      if (grade >= '1' && grade <= '3') return {ClassCode::kStakes, grade - '0'};
      return {ClassCode::kStakes, 100000};
    }
    case 'M':
      return {ClassCode::kMaiden, toInt(claim)};
    case 'N':
    case 'T':
      if (toInt(purse) > 10000) return {ClassCode::kStakes, 100000};
      return {ClassCode::kMaiden, -1};
    case 'S':
      return {ClassCode::kMaiden, -2};
    default:
      return {ClassCode::kNone, 0};
  }
}

RecordBlock recordBlock(int32_t starts, int32_t wins, int32_t seconds, int32_t thirds) {
  const uint16_t starts16 = static_cast<uint16_t>(starts);
  if (starts16 == 0) return RecordBlock{0, 0, 0, 0};
  auto percent = [&](int32_t count) {
    return lowByte(truncToInt(static_cast<double>(count) * 100.0 / starts16 + 0.5));
  };
  return RecordBlock{starts16, percent(wins), percent(seconds), percent(thirds)};
}

RecordBlock recordBlock(std::string_view starts, std::string_view wins, std::string_view seconds,
                        std::string_view thirds) {
  return recordBlock(toInt(starts), toInt(wins), toInt(seconds), toInt(thirds));
}

float ratio(std::string_view dividend, std::string_view divisor) {
  const double d = std::fabs(toDouble(divisor));
  if (!(d >= 2)) return 0.0f;  // below 2, or not a number
  return static_cast<float>(std::fabs(toDouble(dividend)) / d);
}

uint8_t conditionCode(std::string_view text) {
  return (equalsIgnoreCase(text, "SY") || equalsIgnoreCase(text, "MY")) ? kWet : kDry;
}

uint8_t surfaceCode(std::string_view text) {
  const char letter = text.empty() ? '\0' : upperAscii(text[0]);
  if (letter == 'D') return RaceCard::kDirt;
  if (letter == 'T') return RaceCard::kTurf;
  return RaceCard::kOtherSurface;
}

}  // namespace stridewell
