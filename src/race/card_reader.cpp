#include "race/card_reader.h"

#include <cstring>

#include "race/card_line.h"
#include "race/card_values.h"
#include "race/check_code.h"
#include "race/form_evaluation.h"

namespace stridewell {

CardReader::CardReader(std::istream& in, std::string fileName)
    : fileName_(std::move(fileName)),
      slots_(cardFieldLayout()),
      scanner_(in, slots_, kRawLineCapacity, LineScanner::CheckCommaSearch::kOn) {
  // The first line of every file starts a race.
  std::strcpy(lastKey_[0].data(), "***");
  std::strcpy(lastKey_[1].data(), "xx");
  std::strcpy(lastKey_[2].data(), "xx");
}

bool CardReader::sameKeyAsLastLine() {
  bool same = true;
  for (int part = 0; part < 3; ++part) {
    const std::string_view field = slots_[part + 1];
    if (!equalsIgnoreCase(field, lastKey_[part].data())) same = false;
    // Every key slot is shorter than the remembered key's room.
    std::memcpy(lastKey_[part].data(), field.data(), field.size());
    lastKey_[part][field.size()] = '\0';
  }
  return same;
}

void CardReader::applyLine(Race& race, bool startsRace) {
  if (startsRace) {
    startRace(slots_, race);
    pending_ = true;
  }
  if (!isScratched(slots_) && !addHorse(slots_, race)) tooManyHorses_ = true;
  slots_.set(5, "S");  // a line that ends before field 5 counts as scratched
}

bool CardReader::next(Race& race) {
  if (deferredLine_) {
    deferredLine_ = false;
    applyLine(race, true);
  }
  while (!done_) {
    if (scanner_.fileEnded() || !scanner_.readLine()) {
      done_ = true;
      break;
    }
    // Only a file that starts with a line end has a line with no character
    // at all; it holds no race data and is passed over.
    if (scanner_.lineEmpty()) continue;
    // The scanner has found the check commas while it read the fields: the
    // same verdict as checkCardLine(rawLine), without a second walk.
    if (!checkCardLine(scanner_.rawLine(), scanner_.checkCommas())) {
      invalidLine_ = scanner_.lineNumber();
      pending_ = false;
      done_ = true;
      return false;
    }
    const bool startsRace = !sameKeyAsLastLine();
    if (startsRace && pending_) {
      // This line belongs to the next race: hand over the one we have and
      // apply the line on the next call, straight from the slots.
      deferredLine_ = true;
      pending_ = false;
      ++racesRead_;
      evaluateRace(race);
      return true;
    }
    applyLine(race, startsRace);
  }
  if (pending_ && invalidLine_ == 0) {
    pending_ = false;
    ++racesRead_;
    evaluateRace(race);
    return true;
  }
  return false;
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
