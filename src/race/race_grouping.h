// How the card and results readers gather a file's lines into races: lines
// in a row with the same track, date and race number (fields 1 to 3,
// compared ignoring case) make one race, and a race is handed over once the
// first line of the next one has been read. Each reader keeps one, beside
// its own line check and record filling.
#pragma once

#include <array>

#include "race/field_slots.h"
#include "race/line_scanner.h"

namespace stridewell {

// What a reader makes of a line the scanner has just read.
enum class LineVerdict {
  kRaceLine,  // belongs to a race: group it
  kPassOver,  // not race data; go on with the next line
  kStop,      // the file is not valid: end the reading, the race in progress unyielded
};

class RaceGrouping {
 public:
  RaceGrouping();

  // Reads lines until a race is complete, then calls `finishRace()` and
  // returns true; false at the end of the file or after a kStop. Every line
  // that holds text is judged by `checkLine()`; a race line is then handed
  // to `applyLine(startsRace)`. A line that starts the next race stays in
  // the slots and is applied at the start of the following call.
  template <typename CheckLine, typename ApplyLine, typename FinishRace>
  bool next(LineScanner& scanner, const FieldSlots& slots, CheckLine checkLine, ApplyLine applyLine,
            FinishRace finishRace) {
    if (deferredLine_) {
      deferredLine_ = false;
      pending_ = true;
      applyLine(true);
    }
    while (!done_) {
      if (scanner.fileEnded() || !scanner.readLine()) {
        done_ = true;
        break;
      }
      // Only a file that starts with a line end has a line with no character
      // at all; it holds no race data and is passed over.
      if (scanner.lineEmpty()) continue;
      const LineVerdict verdict = checkLine();
      if (verdict == LineVerdict::kPassOver) continue;
      if (verdict == LineVerdict::kStop) {
        pending_ = false;
        done_ = true;
        return false;
      }
      const bool startsRace = !sameKeyAsLastLine(slots);
      if (startsRace && pending_) {
        // This line belongs to the next race: hand over the one we have and
        // apply the line on the next call, straight from the slots.
        deferredLine_ = true;
        pending_ = false;
        finishRace();
        return true;
      }
      if (startsRace) pending_ = true;
      applyLine(startsRace);
    }
    if (pending_) {
      pending_ = false;
      finishRace();
      return true;
    }
    return false;
  }

  // The file has been read to its end, or a line stopped the reading.
  bool done() const { return done_; }

 private:
  // Whether the line in `slots` has the key of the line before; remembers
  // the new key either way.
  bool sameKeyAsLastLine(const FieldSlots& slots);

  std::array<std::array<char, 16>, 3> lastKey_{};
  bool pending_ = false;       // a race has been started and not yielded
  bool deferredLine_ = false;  // a line that starts the next race waits in the slots
  bool done_ = false;
};

}  // namespace stridewell
