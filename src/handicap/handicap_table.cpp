#include "handicap/handicap_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "race/card_values.h"

namespace stridewell {

namespace {

template <size_t N>
std::string_view memberText(const char (&text)[N]) {
  return std::string_view(text, strnlen(text, N));
}

// Numbers with '.' for the point whatever the locale; `places` < 0 gives
// the shortest text that reads back as the same double.
std::string number(double value, int places) {
  char buffer[400];
  const std::to_chars_result result =
      places < 0 ? std::to_chars(buffer, buffer + sizeof buffer, value)
                 : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

std::string isoDate(int32_t packed) {
  if (packed == 0) return {};
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", packedYear(packed), packedMonth(packed),
                packedDay(packed));
  return buffer;
}

// A horse's name in a combination: its program number, or its post position
// on a card without them.
std::string combinationName(const HorseFigures& horse) {
  return horse.program.empty() ? std::to_string(horse.post) : horse.program;
}

std::vector<CombinationFigures> combinationFigures(std::span<const ExoticCombination> combinations,
                                                   const std::vector<HorseFigures>& horses) {
  std::vector<CombinationFigures> figures;
  for (const ExoticCombination& combination : combinations) {
    CombinationFigures line;
    for (int horse : combination.horses)
      line.horses.push_back(combinationName(horses[static_cast<size_t>(horse)]));
    line.chance = combination.chance;
    line.fairPrice = fairTwoDollarPrice(combination.chance);
    figures.push_back(std::move(line));
  }
  return figures;
}

std::string csvField(std::string_view text) {
  const std::string utf8 = latin1ToUtf8(text);
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (char c : latin1ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", byte);
          json += escape;
        } else {
          json += c;
        }
    }
  }
  return json + '"';
}

std::string jsonNumber(double value, int places) {
  return std::isfinite(value) ? number(value, places) : "null";
}

std::string joinedHorses(const CombinationFigures& combination) {
  std::string text;
  for (const std::string& horse : combination.horses) {
    if (!text.empty()) text += '-';
    text += horse;
  }
  return text;
}

// The figures' precision in both formats: enough to rank and to price, no
// more than a reader can use. Scores are written in full.
constexpr int kPercentPlaces = 4;
constexpr int kOddsPlaces = 4;
constexpr int kMorningLinePlaces = 2;
constexpr int kChancePlaces = 6;
constexpr int kPricePlaces = 2;

}  // namespace

std::string latin1ToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xc0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3f));
    }
  }
  return utf8;
}

bool isOverlay(double fairOdds, double morningLine, double margin) {
  if (!(morningLine > 0) || !std::isfinite(fairOdds)) return false;
  return morningLine + 1 >= (1 + margin) * (fairOdds + 1);
}

RaceTable buildRaceTable(const Race& race, std::span<const double> scores,
                         const HandicapTableOptions& options, std::string note) {
  RaceTable table;
  table.track = std::string(memberText(race.text.cardTrack));
  table.date = race.profile.date;
  table.raceNumber = race.text.raceNumber;
  const int horses = std::min<int>(race.profile.horseCount, kMaxHorses);
  for (int slot = 0; slot < horses; ++slot) {
    HorseFigures horse;
    horse.program = std::string(memberText(race.text.horseList[slot].programNumber));
    horse.post = race.profile.horses[slot].postPosition;
    horse.name = std::string(memberText(race.profile.horses[slot].name));
    horse.morningLine = race.text.horseList[slot].morningLine;
    table.horses.push_back(std::move(horse));
  }

  double total = 0;
  bool usable = scores.size() >= static_cast<size_t>(horses) && horses > 0;
  for (int slot = 0; usable && slot < horses; ++slot) {
    const double score = scores[static_cast<size_t>(slot)];
    if (!std::isfinite(score) || score < 0) usable = false;
    total += score;
  }
  if (!usable || !(total > 0) || !std::isfinite(total)) {
    table.note = scores.empty() && !note.empty() ? std::move(note) : std::string(kNotScoredNote);
    return table;
  }

  std::vector<double> win(static_cast<size_t>(horses));
  for (int slot = 0; slot < horses; ++slot) {
    HorseFigures& horse = table.horses[static_cast<size_t>(slot)];
    const double share = scores[static_cast<size_t>(slot)] / total;
    win[static_cast<size_t>(slot)] = share;
    horse.scored = true;
    horse.score = scores[static_cast<size_t>(slot)];
    horse.winPercent = share * 100;
    horse.fairOdds = share > 0 ? 1 / share - 1 : INFINITY;
    horse.overlay = isOverlay(horse.fairOdds, horse.morningLine, options.overlayMargin);
  }
  table.exactas =
      combinationFigures(leadingExactas(win, options.combinations, options.exponents), table.horses);
  table.trifectas =
      combinationFigures(leadingTrifectas(win, options.combinations, options.exponents), table.horses);
  return table;
}

void writeHandicapCsv(std::span<const RaceTable> races, std::ostream& out) {
  out << "card,track,date,race,track_assumed,sim,kind,program,post,name,score,win_percent,fair_odds,"
         "morning_line,overlay,combination,chance,fair_price,note\n";
  for (const RaceTable& race : races) {
    const std::string start = csvField(race.cardFile) + ',' + csvField(race.track) + ',' +
                              isoDate(race.date) + ',' + std::to_string(race.raceNumber) + ',' +
                              csvField(race.trackAssumed) + ',' + csvField(race.simName) + ',';
    for (const HorseFigures& horse : race.horses) {
      out << start << "horse," << csvField(horse.program) << ',' << std::to_string(horse.post) << ','
          << csvField(horse.name) << ',';
      if (horse.scored) {
        out << number(horse.score, -1) << ',' << number(horse.winPercent, kPercentPlaces) << ',';
        if (std::isfinite(horse.fairOdds)) out << number(horse.fairOdds, kOddsPlaces);
        out << ',';
      } else {
        out << ",,,";
      }
      if (horse.morningLine > 0) out << number(horse.morningLine, kMorningLinePlaces);
      out << ',';
      if (horse.scored) out << (horse.overlay ? "yes" : "no");
      out << ",,,," << csvField(race.note) << '\n';
    }
    const auto writeCombinations = [&](std::string_view kind, const std::vector<CombinationFigures>& lines) {
      for (const CombinationFigures& line : lines) {
        out << start << kind << ",,,,,,,,," << csvField(joinedHorses(line)) << ','
            << number(line.chance, kChancePlaces) << ',' << number(line.fairPrice, kPricePlaces) << ",\n";
      }
    };
    writeCombinations("exacta", race.exactas);
    writeCombinations("trifecta", race.trifectas);
  }
}

void writeHandicapJson(std::span<const RaceTable> races, const HandicapTableOptions& options,
                       std::ostream& out) {
  out << "{\n  \"overlay_margin\": " << number(options.overlayMargin, -1)
      << ",\n  \"second_exponent\": " << number(options.exponents.second, -1)
      << ",\n  \"third_exponent\": " << number(options.exponents.third, -1) << ",\n  \"races\": [";
  const char* raceSeparator = "\n";
  for (const RaceTable& race : races) {
    out << raceSeparator << "    {\"card\": " << jsonString(race.cardFile)
        << ", \"track\": " << jsonString(race.track)
        << ", \"date\": " << (race.date == 0 ? "null" : jsonString(isoDate(race.date)))
        << ", \"race\": " << std::to_string(race.raceNumber)
        << ", \"track_assumed\": " << (race.trackAssumed.empty() ? "null" : jsonString(race.trackAssumed))
        << ", \"sim\": " << jsonString(race.simName)
        << ", \"scored\": " << (race.note.empty() ? "true" : "false")
        << ", \"note\": " << (race.note.empty() ? "null" : jsonString(race.note)) << ",\n     \"horses\": [";
    const char* separator = "\n";
    for (const HorseFigures& horse : race.horses) {
      out << separator << "       {\"program\": " << jsonString(horse.program)
          << ", \"post\": " << std::to_string(horse.post) << ", \"name\": " << jsonString(horse.name)
          << ", \"score\": ";
      if (horse.scored) {
        out << jsonNumber(horse.score, -1)
            << ", \"win_percent\": " << jsonNumber(horse.winPercent, kPercentPlaces)
            << ", \"fair_odds\": " << jsonNumber(horse.fairOdds, kOddsPlaces);
      } else {
        out << "null, \"win_percent\": null, \"fair_odds\": null";
      }
      out << ", \"morning_line\": "
          << (horse.morningLine > 0 ? number(horse.morningLine, kMorningLinePlaces) : std::string("null"))
          << ", \"overlay\": "
          << (!horse.scored   ? "null"
              : horse.overlay ? "true"
                              : "false")
          << '}';
      separator = ",\n";
    }
    out << (race.horses.empty() ? "]" : "\n     ]");
    const auto writeCombinations = [&](std::string_view kind, const std::vector<CombinationFigures>& lines) {
      out << ",\n     \"" << kind << "\": [";
      const char* between = "";
      for (const CombinationFigures& line : lines) {
        out << between << "{\"horses\": [";
        const char* comma = "";
        for (const std::string& horse : line.horses) {
          out << comma << jsonString(horse);
          comma = ", ";
        }
        out << "], \"chance\": " << jsonNumber(line.chance, kChancePlaces)
            << ", \"fair_price\": " << jsonNumber(line.fairPrice, kPricePlaces) << '}';
        between = ", ";
      }
      out << ']';
    };
    writeCombinations("exactas", race.exactas);
    writeCombinations("trifectas", race.trifectas);
    out << '}';
    raceSeparator = ",\n";
  }
  out << (races.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace stridewell
