// Reads a card file race by race. Every line must carry a correct check
// code; the lines of one race (same track, date and race number, compared
// ignoring case) are gathered into one Race, which next() yields once the
// next race starts or the file ends. One reader per open stream; readers
// share nothing, so several files can be read at once on different threads.
#pragma once

#include <istream>
#include <string>

#include "race/field_slots.h"
#include "race/line_scanner.h"
#include "race/race.h"
#include "race/race_grouping.h"

namespace stridewell {

inline constexpr size_t kRawLineCapacity = 20479;

class CardReader {
 public:
  // `fileName` names the file in messages.
  CardReader(std::istream& in, std::string fileName);

  // Fills `race` with the next complete race and returns true; false at the
  // end of the file or when a line fails its check. Races completed before
  // a bad line are still yielded; the race in progress then is not. The
  // card, profile and text of `race` are overwritten (the profile freshly
  // evaluated from the card); its result is not.
  bool next(Race& race);

  // A line failed its check: the file is not valid.
  bool invalid() const { return invalidLine_ != 0; }
  // 1-based line number of the line that failed, 0 when none did.
  int invalidLine() const { return invalidLine_; }
  // Some race had more than 64 horses; the extra lines were left out.
  bool tooManyHorses() const { return tooManyHorses_; }
  // The stream failed while being read (not just ended).
  bool readError() const { return scanner_.readError(); }
  int racesRead() const { return racesRead_; }
  const std::string& fileName() const { return fileName_; }

  // A sentence for the user naming the file and line of the problem, or
  // empty when the file read cleanly.
  std::string problem() const;

 private:
  LineVerdict checkLine();
  void applyLine(Race& race, bool startsRace);

  std::string fileName_;
  FieldSlots slots_;
  LineScanner scanner_;
  RaceGrouping grouping_;
  int invalidLine_ = 0;
  bool tooManyHorses_ = false;
  int racesRead_ = 0;
};

}  // namespace stridewell
