#include "patterns/field_standardization.h"

#include <cmath>
#include <cstddef>

namespace stridewell {
namespace {

// Below this a field counts as agreeing on an input.
constexpr double kSmallestSpread = 0.000001;

// Mean and doubled population deviation of every input over the field.
struct FieldStatistics {
  double mean[kHorseInputCount];
  double twiceDeviation[kHorseInputCount];

  explicit FieldStatistics(std::span<const HorseInputs> field) {
    const double n = static_cast<double>(field.size());
    for (size_t k = 0; k < kHorseInputCount; ++k) {
      double sum = 0;
      for (const HorseInputs& horse : field) sum += horse[k];
      const double m = sum / n;
      double squares = 0;
      for (const HorseInputs& horse : field) {
        const double d = horse[k] - m;
        squares += d * d;
      }
      mean[k] = m;
      twiceDeviation[k] = 2 * std::sqrt(squares / n);
    }
  }

  HorseInputs apply(const HorseInputs& horse) const {
    HorseInputs out;
    for (size_t k = 0; k < kHorseInputCount; ++k) {
      // The comparison is false for NaN too, so a field with a NaN or an
      // infinity in one input gets 0 for that input throughout.
      out[k] = twiceDeviation[k] >= kSmallestSpread
                   ? static_cast<float>((horse[k] - mean[k]) / twiceDeviation[k])
                   : 0.0f;
    }
    return out;
  }
};

}  // namespace

HorseInputs standardizeField(std::span<const HorseInputs> field, int index) {
  if (index < 0 || static_cast<size_t>(index) >= field.size()) return HorseInputs{};
  return FieldStatistics(field).apply(field[static_cast<size_t>(index)]);
}

void standardizeWholeField(std::span<const HorseInputs> field, std::span<HorseInputs> out) {
  if (field.empty()) return;
  const FieldStatistics statistics(field);
  for (size_t i = 0; i < field.size() && i < out.size(); ++i) out[i] = statistics.apply(field[i]);
}

}  // namespace stridewell
