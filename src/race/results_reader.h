// Reads a results file race by race: one line per starter, the lines of one
// race (same track, date and race number, ignoring case) gathered into one
// RaceResult. Results lines carry no check code, so each line is checked for
// the shape of a starter's line (field count, track code, race number,
// finish position, odds); a line that fails is skipped, and noted, without
// touching the race around it. A file without any such line (random bytes,
// a card, an archive) is no results file.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "race/field_slots.h"
#include "race/line_scanner.h"
#include "race/race_grouping.h"
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

  struct SkippedLine {
    int line;            // 1-based
    std::string reason;  // "race number \"x\" is not a number from 0 to 99"
  };
  // Lines skipped so far because they cannot be results lines: how many,
  // and the first kMaxNotedSkips of them.
  static constexpr size_t kMaxNotedSkips = 20;
  int skippedLineCount() const { return skippedLineCount_; }
  const std::vector<SkippedLine>& skippedLines() const { return skippedLines_; }
  // "FILE: line N: reason", for the user.
  std::string skippedLineText(const SkippedLine& skipped) const;
  // Read to the end without a single results line: not a results file.
  bool noResultsLine() const { return grouping_.done() && resultsLines_ == 0; }

 private:
  // Why the line just read cannot be a results line; empty when it can.
  std::string lineFault() const;
  LineVerdict checkLine();
  void applyLine(RaceResult& result, bool startsRace);

  std::string fileName_;
  FieldSlots slots_;
  // The slots as the last results line left them: a skipped line's text
  // must not reach the fields that a following shorter line leaves alone.
  FieldSlots goodSlots_;
  LineScanner scanner_;
  RaceGrouping grouping_;
  int droppedLines_ = 0;
  int droppedLinesOfYielded_ = 0;
  int racesRead_ = 0;
  int resultsLines_ = 0;
  int skippedLineCount_ = 0;
  std::vector<SkippedLine> skippedLines_;
};

// The field slots every results reader keeps.
const FieldLayout& resultsFieldLayout();

// The shape of a starter's line: it reaches the horse's name (field 20) and
// has far fewer fields than a card line (some 1,500).
inline constexpr int kMinResultsFields = 20;
inline constexpr int kMaxResultsFields = 500;

}  // namespace stridewell
