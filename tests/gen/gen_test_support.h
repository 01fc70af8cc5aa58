// Helpers for the generator tests: splitting a file into lines and fields
// the way the format defines them (commas outside double quotes), and
// reading a whole card or results text through the core readers.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "race/card_reader.h"
#include "race/race.h"
#include "race/results_reader.h"

namespace stridewell::test {

// Lines without their CR LF; `allCrLf` tells whether every line ended so.
inline std::vector<std::string> splitLines(const std::string& text, bool* allCrLf = nullptr) {
  std::vector<std::string> lines;
  bool crlf = true;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      crlf = false;
      lines.push_back(text.substr(start));
      break;
    }
    if (end == start || text[end - 1] != '\r') {
      crlf = false;
      lines.push_back(text.substr(start, end - start));
    } else {
      lines.push_back(text.substr(start, end - start - 1));
    }
    start = end + 1;
  }
  if (allCrLf) *allCrLf = crlf;
  return lines;
}

// Fields numbered from 1 (index 0 unused), quotes removed.
inline std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  fields.emplace_back();
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

inline int separatorCommas(std::string_view line) {
  bool quoted = false;
  int commas = 0;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) ++commas;
  }
  return commas;
}

struct CardRead {
  std::vector<std::unique_ptr<Race>> races;
  int invalidLine = 0;
  bool readError = false;
  bool tooManyHorses = false;
  std::string problem;
};

inline CardRead readCardText(const std::string& text) {
  std::istringstream in(text);
  CardReader reader(in, "SAMPLE.TCF");
  CardRead read;
  for (;;) {
    auto race = std::make_unique<Race>();
    if (!reader.next(*race)) break;
    read.races.push_back(std::move(race));
  }
  read.invalidLine = reader.invalidLine();
  read.readError = reader.readError();
  read.tooManyHorses = reader.tooManyHorses();
  read.problem = reader.problem();
  return read;
}

inline std::vector<std::unique_ptr<RaceResult>> readResultsText(const std::string& text) {
  std::istringstream in(text);
  ResultsReader reader(in, "SAMPLE.XRD");
  std::vector<std::unique_ptr<RaceResult>> results;
  for (;;) {
    auto result = std::make_unique<RaceResult>();
    if (!reader.next(*result)) break;
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace stridewell::test
