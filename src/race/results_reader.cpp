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
      {1, 1, 7, true}, {2, 2, 12}, {3, 3, 6}, {5, 5, 5}, {17, 17, 6}, {18, 18, 6},
      {20, 20, 29}, {37, 37, 19}, {49, 49, 6}, {75, 77, 19}, {78, 86, 54}, {96, 104, 19},
  };
  return layout;
}

ResultsReader::ResultsReader(std::istream& in, std::string fileName)
    : fileName_(std::move(fileName)), slots_(resultsFieldLayout()), scanner_(in, slots_, 0) {
  std::strcpy(lastKey_[0].data(), "***");
  std::strcpy(lastKey_[1].data(), "xx");
  std::strcpy(lastKey_[2].data(), "xx");
}

bool ResultsReader::sameKeyAsLastLine() {
  bool same = true;
  for (int part = 0; part < 3; ++part) {
    const std::string_view field = slots_[part + 1];
    if (!equalsIgnoreCase(field, lastKey_[part].data())) same = false;
    std::memcpy(lastKey_[part].data(), field.data(), field.size());
    lastKey_[part][field.size()] = '\0';
  }
  return same;
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
    pending_ = true;
  }

  if (result.finisherCount >= kMaxFinishers) {
    ++droppedLines_;
  } else {
    FinisherEntry& finisher = result.finishers[result.finisherCount++];
    copyText(finisher.name, f[20]);
    finisher.value18 = lowByte(toInt(f[18]));
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
  if (deferredLine_) {
    deferredLine_ = false;
    applyLine(result, true);
  }
  while (!done_) {
    if (scanner_.fileEnded() || !scanner_.readLine()) {
      done_ = true;
      break;
    }
    if (scanner_.lineEmpty()) continue;
    const bool startsRace = !sameKeyAsLastLine();
    if (startsRace && pending_) {
      deferredLine_ = true;
      pending_ = false;
      droppedLinesOfYielded_ = droppedLines_;
      ++racesRead_;
      return true;
    }
    applyLine(result, startsRace);
  }
  if (pending_) {
    pending_ = false;
    droppedLinesOfYielded_ = droppedLines_;
    ++racesRead_;
    return true;
  }
  return false;
}

}  // namespace stridewell
