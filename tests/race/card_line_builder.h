// Test helpers that build card and results lines by field number, so that a
// test names only the fields it cares about, and that read a whole text
// through the card or results reader. Card lines get exactly 1495 separating
// commas, two filler characters and their check code.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "race/card_reader.h"
#include "race/check_code.h"
#include "race/race.h"
#include "race/results_reader.h"

namespace stridewell::test {

inline constexpr int kCardFields = 1495;

class CardLineBuilder {
 public:
  CardLineBuilder() : fields_(kCardFields + 1) {}

  CardLineBuilder& set(int field, std::string text) {
    fields_.at(field) = std::move(text);
    return *this;
  }
  const std::string& get(int field) const { return fields_.at(field); }

  // Fields 1..1495 joined by commas plus the comma after field 1495: the
  // line up to where its filler and check code go.
  std::string unchecked() const {
    std::string line;
    for (int field = 1; field <= kCardFields; ++field) {
      line += fields_[field];
      line += ',';
    }
    return line;
  }

  // The complete line, check code included, without a line end.
  std::string build() const {
    std::string line = unchecked();
    appendCheckCode(line);
    return line;
  }

 private:
  std::vector<std::string> fields_;
};

// A running horse of a race: the race key (fields 1-3) and the name.
inline CardLineBuilder horseLine(std::string track, std::string date, std::string raceNumber,
                                 std::string name) {
  CardLineBuilder line;
  line.set(1, std::move(track)).set(2, std::move(date)).set(3, std::move(raceNumber));
  line.set(13, std::move(name));
  return line;
}

class ResultsLineBuilder {
 public:
  explicit ResultsLineBuilder(int fieldCount = 104) : fields_(fieldCount + 1) {}

  ResultsLineBuilder& set(int field, std::string text) {
    fields_.at(field) = std::move(text);
    return *this;
  }

  // Fields 1..fieldCount joined by commas, no trailing comma, no line end.
  std::string build() const {
    std::string line;
    for (size_t field = 1; field < fields_.size(); ++field) {
      if (field > 1) line += ',';
      line += fields_[field];
    }
    return line;
  }

 private:
  std::vector<std::string> fields_;
};

inline ResultsLineBuilder starterLine(std::string track, std::string date, std::string raceNumber,
                                      std::string name, int fieldCount = 104) {
  ResultsLineBuilder line(fieldCount);
  line.set(1, std::move(track)).set(2, std::move(date)).set(3, std::move(raceNumber));
  line.set(20, std::move(name));
  return line;
}

// Lines each followed by `end`.
inline std::string joinLines(const std::vector<std::string>& lines, std::string_view end = "\n") {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += end;
  }
  return text;
}

struct CardOutcome {
  std::vector<Race> races;
  bool invalid = false;
  int invalidLine = 0;
  bool tooManyHorses = false;
  std::string problem;
};

// Reads every race of `text`. The working Race is filled with `garbage`
// before each call, so that anything the reader fails to clear shows.
inline CardOutcome readCard(const std::string& text, int garbage = 0) {
  std::istringstream in(text);
  CardReader reader(in, "TEST.TCF");
  CardOutcome outcome;
  auto race = std::make_unique<Race>();
  for (;;) {
    std::memset(static_cast<void*>(race.get()), garbage, sizeof(Race));
    if (!reader.next(*race)) break;
    outcome.races.push_back(*race);
    if (outcome.races.size() > 10000) break;  // a reader that never stops
  }
  outcome.invalid = reader.invalid();
  outcome.invalidLine = reader.invalidLine();
  outcome.tooManyHorses = reader.tooManyHorses();
  outcome.problem = reader.problem();
  return outcome;
}

struct ResultsOutcome {
  std::vector<RaceResult> races;
  std::vector<int> droppedLines;  // droppedLines() right after each race
  int skippedLineCount = 0;
  std::vector<ResultsReader::SkippedLine> skippedLines;
  bool noResultsLine = false;
};

inline ResultsOutcome readResults(const std::string& text, int garbage = 0) {
  std::istringstream in(text);
  ResultsReader reader(in, "TEST.XRD");
  ResultsOutcome outcome;
  RaceResult result;
  for (;;) {
    std::memset(static_cast<void*>(&result), garbage, sizeof result);
    if (!reader.next(result)) break;
    outcome.races.push_back(result);
    outcome.droppedLines.push_back(reader.droppedLines());
    if (outcome.races.size() > 10000) break;
  }
  outcome.skippedLineCount = reader.skippedLineCount();
  outcome.skippedLines = reader.skippedLines();
  outcome.noResultsLine = reader.noResultsLine();
  return outcome;
}

// A copy of a (possibly packed) member, so that assertions never bind a
// reference to a misaligned object.
template <typename T>
T val(T value) {
  return value;
}

// Little-endian reads from a record's byte image.
inline uint32_t le32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint16_t le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline float leFloat(const unsigned char* p) {
  const uint32_t bits = le32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace stridewell::test
