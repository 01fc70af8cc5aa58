#include "patterns/horse_encoding.h"

#include <cmath>
#include <cstdint>

#include "patterns/class_rating.h"

namespace stridewell {
namespace {

// The float nearest 0.01: the product is formed in single precision.
constexpr float kInputScale = 0.01f;

// Appends raw values; counts every value offered but never writes past the
// end, so a table longer than the input width is caught by the count.
class InputWriter {
 public:
  explicit InputWriter(HorseInputs& inputs) : inputs_(inputs) {}
  void put(float raw) {
    if (count_ < kHorseInputCount) inputs_[static_cast<size_t>(count_)] = raw * kInputScale;
    ++count_;
  }
  int count() const { return count_; }

 private:
  HorseInputs& inputs_;
  int count_ = 0;
};

float medicationValue(uint8_t medication) {
  const bool first = (medication & 1) != 0;   // shown "L"
  const bool second = (medication & 2) != 0;  // shown "B"
  if (first && second) return 75;
  if (first) return 25;
  if (second) return 50;
  return 0;
}

float sexValue(char sexCode) {
  if (sexCode == 'g') return 50;
  if (sexCode == 0) return 0;
  if (sexCode == 'f' || sexCode == 'm') return 25;
  return 75;
}

float earningsValue(int32_t earningsPerStart) {
  if (earningsPerStart <= 0) return 0;
  return static_cast<float>(std::log(static_cast<double>(earningsPerStart)) + 1.0);
}

}  // namespace

int encodeHorse(const HorseProfile& horse, HorseInputs& inputs) {
  // Members are read by value: the record is packed.
  InputWriter out(inputs);
  out.put(horse.morningLine);
  out.put(horse.postPosition);
  out.put(medicationValue(horse.medication));
  out.put(sexValue(horse.sexCode));
  out.put(horse.age);
  out.put(horse.weight);
  out.put(horse.daysSinceLastRace);
  out.put(earningsValue(horse.earningsPerStart));
  out.put(horse.dryRateAverage);
  out.put(horse.wetRateAverage);
  out.put(horse.bestRate);
  for (const RecordBlock& block : horse.recordBlocks) {
    // Starts have always been read as a signed 16-bit count here.
    out.put(static_cast<int16_t>(block.starts));
    out.put(block.winPercent);
    out.put(block.secondPercent);
    out.put(block.thirdPercent);
  }
  out.put(horse.pastRaceCount);
  out.put(horse.sameTypeRaces);
  for (uint8_t finishes : horse.sameTypeFinishes) out.put(finishes);
  for (uint8_t finishes : horse.finishes) out.put(finishes);
  out.put(horse.sameTypeGoodRaces);
  out.put(horse.goodRaces);
  out.put(horse.failures);
  out.put(horse.earlySpeed);
  out.put(horse.avgSpeedRating10);
  out.put(static_cast<float>(classRating(horse.lastMoneyClass)));
  out.put(horse.lastMoneyFinish);
  out.put(horse.avgCall1);
  out.put(horse.avgCall2);
  out.put(horse.avgCall3);
  out.put(horse.avgFinish);
  out.put(horse.avgWeightCarried);
  out.put(horse.avgDistanceRate);
  out.put(horse.jockeyGoodRaces);
  out.put(horse.avgLatePace);
  out.put(horse.avgTrackVariant);
  out.put(horse.avgEarlyPace);
  out.put(horse.avgMiddlePace);
  out.put(horse.pastRacesAtHostTrack);
  out.put(horse.ratesAtHostTrack);
  for (int i = 0; i < 6; ++i) {
    // The competitive level is signed in the profile; the SIMs see its size.
    const float value = horse.cardRatings[i];
    out.put(i == 2 ? std::fabs(value) : value);
  }
  for (int i = 0; i < 2; ++i) out.put(horse.cardFigures[i]);
  for (int i = 0; i < 4; ++i) out.put(horse.trainerJockeyPercents[i]);
  out.put(horse.avgClassRating);
  out.put(horse.avgRaceLevel);
  return out.count();
}

}  // namespace stridewell
