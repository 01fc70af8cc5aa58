#include "race/results_reader.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "race/card_values.h"
#include "race/race.h"
#include "race/text_number.h"

namespace stridewell {
namespace {

constexpr int kWagerSlots = 9;
constexpr int kFirstWagerName = 78;
constexpr int kFirstWagerPayoff = 96;
constexpr int kMaxFinishPosition = 90;
constexpr int kMaxRaceNumber = 99;
constexpr double kMaxOdds = 99999.99;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool allDigits(std::string_view text) {
  for (const char c : text) {
    if (!isDigit(c)) return false;
  }
  return !text.empty();
}

// Digits with at most one decimal point among or before them: "4", "4.5", ".5".
bool isDecimal(std::string_view text) {
  bool digit = false;
  bool point = false;
  for (const char c : text) {
    if (isDigit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// A field's text as a message may show it: control and non-ASCII bytes as
// '?', and cut short.
std::string shown(std::string_view text) {
  constexpr size_t kShownLength = 24;
  std::string out = "\"";
  for (size_t i = 0; i < text.size() && i < kShownLength; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += c < 0x20 || c >= 0x7f ? '?' : static_cast<char>(c);
  }
  if (text.size() > kShownLength) out += "...";
  out += '"';
  return out;
}

template <size_t N>
void copyText(char (&dst)[N], std::string_view text) {
  const size_t length = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(dst, text.data(), length);
  dst[length] = '\0';
}

struct WagerNames {
  size_t payoffOffset;  // packed members are reached by offset, never by pointer
  std::initializer_list<std::string_view> names;
};

// Names are matched exactly, case and all, against the whole field.
const WagerNames kWagerNames[] = {
    {offsetof(RaceResult, exactaPayoff), {"EXACTA", "EXACTOR", "PERFECTA"}},
    {offsetof(RaceResult, quinellaPayoff), {"QUINELLA"}},
    {offsetof(RaceResult, trifectaPayoff), {"TRIFECTA", "TRIPLE", "TRIACTOR"}},
    {offsetof(RaceResult, superfectaPayoff), {"SUPERFECTA"}},
    {offsetof(RaceResult, dailyDoublePayoff), {"DAILY DOUBLE"}},
    {offsetof(RaceResult, pickThreePayoff), {"PICK THREE"}},
    {offsetof(RaceResult, pickFourPayoff), {"PICK FOUR"}},
    {offsetof(RaceResult, pickSixPayoff), {"PICK SIX"}},
};

float payoffAt(const RaceResult& result, size_t offset) {
  float value;
  std::memcpy(&value, reinterpret_cast<const char*>(&result) + offset, sizeof value);
  return value;
}

void setPayoffAt(RaceResult& result, size_t offset, float value) {
  std::memcpy(reinterpret_cast<char*>(&result) + offset, &value, sizeof value);
}

}  // namespace

const FieldLayout& resultsFieldLayout() {
  static const FieldLayout layout{
      {1, 1, 7, true}, {2, 2, 12},   {3, 3, 6},   {5, 5, 5},    {17, 17, 6},  {18, 18, 6},
      {20, 20, 29},    {37, 37, 19}, {49, 49, 6}, {75, 77, 19}, {78, 86, 54}, {96, 104, 19},
  };
  return layout;
}

ResultsReader::ResultsReader(std::istream& in, std::string fileName)
    : fileName_(std::move(fileName)),
      slots_(resultsFieldLayout()),
      goodSlots_(resultsFieldLayout()),
      scanner_(in, slots_, 0) {
  scanner_.countFieldsTo(kMaxResultsFields);
}

std::string ResultsReader::lineFault() const {
  const FieldSlots& f = slots_;
  const int fields = scanner_.fieldCount();
  if (fields > kMaxResultsFields) {
    return "more than " + std::to_string(kMaxResultsFields) + " fields; a results line has fewer";
  }
  if (fields < kMinResultsFields) {
    return std::to_string(fields) + (fields == 1 ? " field" : " fields") + "; a results line has at least " +
           std::to_string(kMinResultsFields);
  }
  // Stored normalised: two letters have gained an X, longer codes are cut to three.
  const std::string_view track = f[1];
  if (track.size() != 3 || !isLetter(track[0]) || !isLetter(track[1]) || !isLetter(track[2])) {
    return "track code " + shown(track) + " is not two or three letters";
  }
  // Empty or 0 when the file does not say; such a race pairs with no card race.
  const std::string_view race = f[3];
  if (!race.empty() && (!allDigits(race) || toInt(race) > kMaxRaceNumber)) {
    return "race number " + shown(race) + " is not a number from 0 to " + std::to_string(kMaxRaceNumber);
  }
  // Empty when unknown; 91 and beyond stand for unknown too.
  const std::string_view position = f[49];
  if (!position.empty() && (!allDigits(position) || position.size() > 3)) {
    return "finish position " + shown(position) + " is not a number from 0 to 999";
  }
  const std::string_view odds = f[37];
  if (!odds.empty() && (!isDecimal(odds) || toDouble(odds) > kMaxOdds)) {
    return "odds " + shown(odds) + " are not a number from 0 to 99999.99";
  }
  return {};
}

std::string ResultsReader::skippedLineText(const SkippedLine& skipped) const {
  return fileName_ + ": line " + std::to_string(skipped.line) + ": " + skipped.reason;
}

LineVerdict ResultsReader::checkLine() {
  if (std::string fault = lineFault(); !fault.empty()) {
    if (skippedLines_.size() < kMaxNotedSkips)
      skippedLines_.push_back({scanner_.lineNumber(), std::move(fault)});
    ++skippedLineCount_;
    slots_ = goodSlots_;
    return LineVerdict::kPassOver;
  }
  ++resultsLines_;
  goodSlots_ = slots_;
  return LineVerdict::kRaceLine;
}

void ResultsReader::applyLine(RaceResult& result, bool startsRace) {
  const FieldSlots& f = slots_;
  if (startsRace) {
    clearRecord(result);
    result.raceNumber = lowByte(toInt(f[3]));
    copyText(result.track, f[1]);
    result.date = packDate(f[2]);
    result.surface = surfaceCode(f[5]);
    result.condition = conditionCode(f[17]);
    droppedLines_ = 0;
  }

  if (result.finisherCount >= kMaxFinishers) {
    ++droppedLines_;
  } else {
    FinisherEntry& finisher = result.finishers[result.finisherCount++];
    copyText(finisher.name, f[20]);
    finisher.postPosition = lowByte(toInt(f[18]));
    const int32_t position = toInt(f[49]);
    finisher.finishPosition = position >= 0 && position <= kMaxFinishPosition ? lowByte(position) : 0;
    finisher.winPayoff = static_cast<float>(toDouble(f[75]));
    finisher.placePayoff = static_cast<float>(toDouble(f[76]));
    finisher.showPayoff = static_cast<float>(toDouble(f[77]));
    finisher.odds = static_cast<float>(toDouble(f[37]));
  }

  // The first slot that names a wager with a non-zero amount sets its payoff.
  for (int i = 0; i < kWagerSlots; ++i) {
    const std::string_view name = f[kFirstWagerName + i];
    for (const WagerNames& wager : kWagerNames) {
      if (payoffAt(result, wager.payoffOffset) != 0.0f) continue;
      for (std::string_view candidate : wager.names) {
        if (name == candidate) {
          setPayoffAt(result, wager.payoffOffset, static_cast<float>(toDouble(f[kFirstWagerPayoff + i])));
          break;
        }
      }
    }
  }
}

bool ResultsReader::next(RaceResult& result) {
  return grouping_.next(
      scanner_, slots_, [this] { return checkLine(); },
      [this, &result](bool startsRace) { applyLine(result, startsRace); },
      [this] {
        droppedLinesOfYielded_ = droppedLines_;
        ++racesRead_;
      });
}

}  // namespace stridewell
