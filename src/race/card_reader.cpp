#include "race/card_reader.h"

#include "race/card_line.h"
#include "race/card_values.h"
#include "race/check_code.h"
#include "race/form_evaluation.h"

namespace stridewell {

CardReader::CardReader(std::istream& in, std::string fileName)
    : fileName_(std::move(fileName)),
      slots_(cardFieldLayout()),
      scanner_(in, slots_, kRawLineCapacity, LineScanner::CheckCommaSearch::kOn) {}

LineVerdict CardReader::checkLine() {
  // The scanner has found the check commas while it read the fields: the
  // same verdict as checkCardLine(rawLine), without a second walk.
  if (checkCardLine(scanner_.rawLine(), scanner_.checkCommas())) return LineVerdict::kRaceLine;
  invalidLine_ = scanner_.lineNumber();
  return LineVerdict::kStop;
}

void CardReader::applyLine(Race& race, bool startsRace) {
  if (startsRace) startRace(slots_, race);
  if (!isScratched(slots_) && !addHorse(slots_, race)) tooManyHorses_ = true;
  slots_.set(5, "S");  // a line that ends before field 5 counts as scratched
}

bool CardReader::next(Race& race) {
  return grouping_.next(
      scanner_, slots_, [this] { return checkLine(); },
      [this, &race](bool startsRace) { applyLine(race, startsRace); },
      [this, &race] {
        ++racesRead_;
        evaluateRace(race);
      });
}

std::string CardReader::problem() const {
  if (invalidLine_ != 0) {
    return fileName_ + ": line " + std::to_string(invalidLine_) +
           " fails its check code; the file is not valid";
  }
  if (readError()) return fileName_ + ": the file could not be read to its end";
  if (tooManyHorses_) return fileName_ + ": a race has more than 64 horses; the extra horses were left out";
  return {};
}

}  // namespace stridewell
