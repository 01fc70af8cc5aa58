#include "card_writer.h"

#include <algorithm>

#include "field_line.h"
#include "race/card_values.h"
#include "race/check_code.h"
#include "rounding.h"

namespace stridewell::gen {
namespace {

bool isWet(const std::string& condition) {
  return condition == "SY" || condition == "MY" || condition == "YL" || condition == "SF";
}

// Starts, wins, seconds, thirds and earnings of the starts that pass a test.
struct Record {
  int starts = 0;
  int wins = 0;
  int seconds = 0;
  int thirds = 0;
  int earnings = 0;

  void add(const PastStart& start) {
    ++starts;
    const int finish = start.calls.position[kFinishCall];
    wins += finish == 1;
    seconds += finish == 2;
    thirds += finish == 3;
    earnings += start.earnings;
  }
};

template <typename Test>
Record recordOf(const Horse& horse, Test test) {
  Record record;
  for (const PastStart& start : horse.career) {
    if (test(start)) record.add(start);
  }
  return record;
}

void writeRecord(FieldLine& line, int first, const Record& record) {
  line.number(first, record.starts);
  line.number(first + 1, record.wins);
  line.number(first + 2, record.seconds);
  line.number(first + 3, record.thirds);
}

// Average of member `value` over the most recent `count` starts, in tenths.
template <typename Value>
int recentAverage10(const Horse& horse, size_t count, Value value) {
  const size_t n = std::min(count, horse.career.size());
  double sum = 0;
  for (size_t k = 0; k < n; ++k) sum += value(horse.career[k]);
  return roundInt(sum * 10 / static_cast<double>(n));
}

void writePastRace(FieldLine& line, int k, const PastStart& start) {
  line.raw(206 + k, dateDigits(civilDate(start.day)));
  line.text(226 + k, start.track);
  line.number(256 + k, start.yards);
  line.text(266 + k, std::string(1, start.surface));
  line.number(276 + k, start.fieldSize);
  line.number(286 + k, start.post);
  line.text(316 + k, start.trip);
  line.number(446 + k, start.weight);
  if (start.raceClass.claimingPrice > 0) line.number(486 + k, start.raceClass.claimingPrice);
  line.number(496 + k, start.raceClass.purse);
  for (int call = 0; call < 5; ++call) {
    line.number(516 + 10 * call + k, start.calls.position[call]);
    line.trimmed(576 + 10 * call + k, start.calls.lengths[call], 2);
  }
  line.number(626 + k, start.earlyPace);
  line.number(676 + k, start.middlePace);
  line.fixed(686 + k, start.raceLevel10, 1);
  line.fixed(696 + k, start.classRating10, 1);
  line.number(706 + k, start.speedFigure);
  line.number(726 + k, start.latePace);
  line.number(736 + k, start.variant);
  line.fixed(796 + k, start.finalTime100, 2);
  line.text(826 + k, start.jockey);
  line.text(836 + k, start.raceClass.type);
  line.text(846 + k, start.restriction);
}

}  // namespace

std::string cardLine(const RaceDay& day, const SimulatedRace& race, const Horse& horse) {
  FieldLine line;
  const int year = day.date.year;
  line.text(1, day.trackField);
  line.raw(2, dateDigits(day.date));
  line.number(3, race.number);
  line.number(4, horse.post);
  if (horse.scratched) line.text(5, "S");
  line.number(6, race.yards);
  line.text(7, std::string(1, race.surface));
  line.text(8, race.raceClass.type);
  if (race.raceClass.claimingPrice > 0) line.number(10, race.raceClass.claimingPrice);
  line.number(12, race.raceClass.purse);
  line.text(13, horse.name);
  line.text(15, std::string(1, horse.sexLetter));
  line.number(17, horse.weight);

  // Record lines: lifetime, today's distance, today's track, turf, this
  // year (A) and last year (B) with earnings, wet tracks, dirt, all weather.
  writeRecord(line, 46, recordOf(horse, [](const PastStart&) { return true; }));
  writeRecord(line, 51, recordOf(horse, [&](const PastStart& s) { return s.yards == race.yards; }));
  writeRecord(line, 56,
              recordOf(horse, [&](const PastStart& s) { return sameTrack(s.track, race.hostTrack); }));
  writeRecord(line, 61, recordOf(horse, [](const PastStart& s) { return s.surface == 'T'; }));
  const Record thisYear = recordOf(horse, [&](const PastStart& s) { return civilDate(s.day).year == year; });
  const Record lastYear =
      recordOf(horse, [&](const PastStart& s) { return civilDate(s.day).year == year - 1; });
  writeRecord(line, 66, thisYear);
  line.number(70, thisYear.earnings);
  writeRecord(line, 71, lastYear);
  line.number(75, lastYear.earnings);
  writeRecord(line, 76, recordOf(horse, [](const PastStart& s) { return isWet(s.condition); }));
  writeRecord(line, 186, recordOf(horse, [](const PastStart& s) { return s.surface == 'D'; }));
  writeRecord(line, 196, recordOf(horse, [](const PastStart& s) { return s.surface == 'A'; }));

  line.text(83, day.jockeys[static_cast<size_t>(horse.jockey)].name);
  if (horse.medication != 0) line.number(87, horse.medication);

  // Rate entries: time and distance of the four latest starts.
  for (int k = 0; k < 4 && k < static_cast<int>(horse.career.size()); ++k) {
    const PastStart& start = horse.career[static_cast<size_t>(k)];
    line.fixed(93 + k, start.finalTime100, 2);
    line.text(97 + k, start.track);
    line.number(101 + k, start.yards);
    line.text(105 + k, start.condition);
  }

  if (!horse.career.empty()) {
    int bestYear = 0;
    int bestEver = 0;
    for (const PastStart& start : horse.career) {
      bestEver = std::max(bestEver, start.speedFigure);
      if (day.day - start.day <= 365) bestYear = std::max(bestYear, start.speedFigure);
    }
    if (bestYear > 0) line.number(135, bestYear);
    line.number(137, day.day - horse.career.front().day);
    line.number(139, bestEver);
    line.fixed(142, recentAverage10(horse, 3, [](const PastStart& s) { return s.raceLevel10 / 10.0; }), 1);
    line.fixed(143, recentAverage10(horse, 3, [](const PastStart& s) { return s.classRating10 / 10.0; }), 1);
    // A power rating from the two best of the last four figures.
    std::vector<int> figures;
    for (size_t k = 0; k < horse.career.size() && k < 4; ++k) figures.push_back(horse.career[k].speedFigure);
    std::sort(figures.rbegin(), figures.rend());
    const double top = figures.size() > 1 ? (figures[0] + figures[1]) / 2.0 : figures[0];
    line.fixed(201, roundInt(10 * (top * 1.2 + 20)), 1);
    line.fixed(1032, recentAverage10(horse, 3, [](const PastStart& s) { return s.earlyPace; }), 1);
    line.fixed(1033, recentAverage10(horse, 3, [](const PastStart& s) { return s.latePace; }), 1);
  }
  line.raw(140, dateDigits(horse.foaled));
  line.text(144, race.restriction);
  line.text(145, race.hostTrack);
  line.number(171, horse.trainerWinPercent);
  line.number(172, horse.trainerInMoneyPercent);
  const Jockey& jockey = day.jockeys[static_cast<size_t>(horse.jockey)];
  line.number(175, jockey.winPercent);
  line.number(176, jockey.inMoneyPercent);
  line.number(195, race.hostRaceNumber);

  for (int k = 0; k < 10 && k < static_cast<int>(horse.career.size()); ++k) {
    writePastRace(line, k, horse.career[static_cast<size_t>(k)]);
  }

  line.text(1140, horse.programNumber);
  line.trimmed(1141, horse.morningLine10, 1);
  for (size_t k = 0; k < race.comments.size() && k < 9; ++k) {
    line.text(1142 + static_cast<int>(k), race.comments[k]);
  }

  std::string text = line.joinedWithTrailingComma(kCardFieldCount);
  appendCheckCode(text);
  return text;
}

std::string spoilCheckCode(const std::string& line) {
  // Where the check code starts (two characters after the 1495th separating
  // comma) and where the checked part ends (the 200th).
  bool quoted = false;
  int commas = 0;
  size_t codeStart = line.size();
  size_t lastCheckedComma = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] != ',' || quoted) continue;
    ++commas;
    if (commas == kCrcLastComma) lastCheckedComma = i;
    if (commas == kCardFieldCount) {
      codeStart = i + 3;
      break;
    }
  }
  std::string spoiled = line;
  if (codeStart < spoiled.size()) {
    // One bit of the first code character: still a letter of the code
    // alphabet, but no longer the CRC's low five bits.
    spoiled[codeStart] = static_cast<char>(spoiled[codeStart] ^ 0x01);
    return spoiled;
  }
  // A CRC of 0 has no code characters, and a line whose CRC is 0 passes
  // whatever follows. A digit in field 200 (unused, but checked) changes
  // the CRC, and a non-zero CRC with no code after it fails.
  for (int attempt = 0; attempt < 8 && lastCheckedComma > 0; ++attempt) {
    spoiled.insert(spoiled.begin() + static_cast<std::ptrdiff_t>(lastCheckedComma), '0');
    if (cardLineCrc(spoiled) != 0) break;
  }
  return spoiled;
}

std::string writeCard(const RaceDay& day, int badCheckLine) {
  std::string text;
  int lineNumber = 0;
  for (const SimulatedRace& race : day.races) {
    for (const Horse& horse : race.horses) {
      ++lineNumber;
      std::string line = cardLine(day, race, horse);
      if (lineNumber == badCheckLine) line = spoilCheckCode(line);
      text += line;
      text += "\r\n";
    }
  }
  return text;
}

}  // namespace stridewell::gen
