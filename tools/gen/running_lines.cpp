#include "running_lines.h"

#include <algorithm>
#include <vector>

#include "rounding.h"

namespace stridewell::gen {

bool isSprintYards(int yards) {
  return yards < 1760;
}

bool isWetCondition(const std::string& condition) {
  return condition == "SY" || condition == "MY" || condition == "YL" || condition == "SF";
}

// Speed figures fall by about 2.6 points per length at six furlongs and
// by less at longer distances, where a length is a smaller part of the race.
double pointsPerLength(int yards) {
  return 2.6 * 1320.0 / yards;
}

// The horse's own time for a figure: a par horse (85) runs six furlongs in
// about 1:09.5 and a mile in 1:36.
int finalTime100(int yards, double figure, char surface, bool wet) {
  double speed = 18.99 - 0.0015 * (yards - 1320);
  speed *= 1.0 + (figure - 85.0) * 0.0012;
  if (surface == 'T' && !isSprintYards(yards)) speed *= 1.006;
  if (wet) speed *= 0.994;
  return roundInt(100.0 * yards / speed);
}

// Beaten lengths as charts write them: nose, head, neck, then quarters,
// halves beyond ten lengths.
int quantizeLengths100(double lengths) {
  if (lengths <= 0) return 0;
  if (lengths < 0.08) return 5;
  if (lengths < 0.18) return 10;
  if (lengths < 0.38) return 25;
  if (lengths < 10) return std::max(50, 25 * roundInt(lengths * 4));
  return std::min(5000, 50 * roundInt(lengths * 2));
}

int drawYards(RandomSource& random, char surface, bool sprint) {
  if (surface == 'T') {
    static const std::vector<int> kSprints = {1100, 1210, 1430};
    static const std::vector<int> kRoutes = {1760, 1870, 1980, 2200};
    return sprint ? kSprints[random.weighted({0.45, 0.2, 0.35})]
                  : kRoutes[random.weighted({0.3, 0.35, 0.22, 0.13})];
  }
  if (surface == 'A') {
    static const std::vector<int> kSprints = {1210, 1320, 1430};
    static const std::vector<int> kRoutes = {1760, 1870};
    return sprint ? kSprints[random.weighted({0.3, 0.4, 0.3})] : kRoutes[random.weighted({0.5, 0.5})];
  }
  static const std::vector<int> kSprints = {1100, 1210, 1320, 1430, 1540};
  static const std::vector<int> kRoutes = {1760, 1830, 1870, 1980, 2200};
  return sprint ? kSprints[random.weighted({0.08, 0.14, 0.45, 0.18, 0.15})]
                : kRoutes[random.weighted({0.30, 0.09, 0.39, 0.17, 0.05})];
}

std::string drawCondition(RandomSource& random, char surface, bool wetDay) {
  if (surface == 'A') return "FT";
  if (surface == 'T') {
    static const char* const kDry[] = {"FM", "GD"};
    static const char* const kWet[] = {"YL", "SF", "GD"};
    return wetDay ? kWet[random.weighted({0.45, 0.25, 0.30})] : kDry[random.weighted({0.85, 0.15})];
  }
  static const char* const kDry[] = {"FT", "GD"};
  static const char* const kWet[] = {"SY", "MY", "GD"};
  return wetDay ? kWet[random.weighted({0.45, 0.40, 0.15})] : kDry[random.weighted({0.92, 0.08})];
}

// Running positions and lengths behind the leader at the five calls of one
// horse whose finish is known; earlier calls follow its running style.
Calls singleHorseCalls(RandomSource& random, int fieldSize, int finish, int finishLengths100,
                       double earlySpeed) {
  Calls calls;
  const double early = std::clamp(1.0 + (1.0 - earlySpeed) * (fieldSize - 1) + random.normal(0, 1.0), 1.0,
                                  static_cast<double>(fieldSize));
  static constexpr double kWeights[] = {0.0, 0.2, 0.45, 0.75};
  static constexpr double kGapLow[] = {0.2, 0.4, 0.5, 0.5};
  static constexpr double kGapHigh[] = {0.6, 1.3, 1.5, 1.6};
  for (int call = 0; call < 4; ++call) {
    const double w = kWeights[call];
    const double wobble = call > 0 ? random.normal(0, 0.7) : 0.0;
    const int position = std::clamp(roundInt(early * (1 - w) + finish * w + wobble), 1, fieldSize);
    calls.position[call] = position;
    calls.lengths[call] =
        position == 1 ? 0
                      : quantizeLengths100((position - 1) * random.uniform(kGapLow[call], kGapHigh[call]));
  }
  calls.position[kFinishCall] = finish;
  calls.lengths[kFinishCall] = finish == 1 ? 0 : std::max(5, finishLengths100);
  return calls;
}

}  // namespace stridewell::gen
