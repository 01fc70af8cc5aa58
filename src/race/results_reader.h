// Reads a results file race by race: one line per starter, the lines of one
// race (same track, date and race number, ignoring case) gathered into one
// RaceResult. Results lines carry no check code; every line is accepted.
#pragma once

#include <array>
#include <istream>
#include <string>

#include "race/field_slots.h"
#include "race/line_scanner.h"
#include "race/race_result.h"

namespace stridewell {

class ResultsReader {
 public:
  ResultsReader(std::istream& in, std::string fileName);

  // Fills `result` with the next complete race; false at the end of the file.
  bool next(RaceResult& result);

  // Lines of the race last yielded beyond the 63 finishers the record holds;
  // they were counted but not stored.
  int droppedLines() const { return droppedLinesOfYielded_; }
  bool readError() const { return scanner_.readError(); }
  int racesRead() const { return racesRead_; }
  const std::string& fileName() const { return fileName_; }

 private:
  bool sameKeyAsLastLine();
  void applyLine(RaceResult& result, bool startsRace);

  std::string fileName_;
  FieldSlots slots_;
  LineScanner scanner_;
  std::array<std::array<char, 16>, 3> lastKey_{};
  bool pending_ = false;
  bool deferredLine_ = false;
  bool done_ = false;
  int droppedLines_ = 0;
  int droppedLinesOfYielded_ = 0;
  int racesRead_ = 0;
};

// The field slots every results reader keeps.
const FieldLayout& resultsFieldLayout();

}  // namespace stridewell
