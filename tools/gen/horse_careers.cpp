#include "horse_careers.h"

#include <algorithm>

#include "race_classes.h"
#include "race_texts.h"
#include "random_source.h"
#include "rounding.h"
#include "running_lines.h"
#include "track_circuits.h"

namespace stridewell::gen {
namespace {

// Share of the purse for first to fifth.
constexpr double kPurseShares[] = {0.60, 0.20, 0.12, 0.05, 0.03};

// How much a horse improves (or, when old, declines) per year of age.
double yearlyImprovement(int age) {
  if (age <= 2) return 12;
  if (age == 3) return 7;
  if (age == 4) return 3;
  if (age <= 6) return 0;
  return -2;
}

double abilityAt(const Horse& horse, int64_t day, int64_t today) {
  double yearsAgo = static_cast<double>(today - day) / 365.25;
  double ability = horse.ability;
  for (int age = horse.age; yearsAgo > 0 && age >= 2; --age) {
    const double span = std::min(yearsAgo, 1.0);
    ability -= yearlyImprovement(age) * span;
    yearsAgo -= span;
  }
  return ability;
}

std::string pastTrack(RandomSource& random, const std::vector<std::string>& circuit) {
  const size_t where = random.weighted({0.55, 0.40, 0.05});
  if (where == 0 || circuit.size() == 1) return serviceTrackCode(circuit.front());
  if (where == 1) {
    // Shippers come mostly from the busy tracks listed first.
    std::vector<double> weights;
    for (size_t i = 1; i < circuit.size(); ++i) weights.push_back(1.0 / static_cast<double>(i));
    return serviceTrackCode(circuit[1 + random.weighted(weights)]);
  }
  return serviceTrackCode(anyTrack(random));
}

std::string pastRestriction(RandomSource& random, const Horse& horse, int64_t day) {
  const CivilDate date = civilDate(day);
  const int ageThen = date.year - horse.foaled.year;
  const bool female = horse.sexLetter == 'F' || horse.sexLetter == 'M';
  char ageGroup = 'B';
  char scope = 'U';
  if (ageThen <= 2) {
    ageGroup = 'A';
    scope = 'O';
  } else if (ageThen == 3 && date.month <= 8 && random.chance(0.6)) {
    scope = 'O';
  } else if (ageThen >= 4 && random.chance(0.4)) {
    ageGroup = 'C';
  }
  char sex = 'N';
  if (female && random.chance(0.7)) {
    sex = scope == 'O' ? 'F' : 'M';
  } else if (!female && random.chance(0.03)) {
    sex = 'C';
  }
  return {ageGroup, scope, sex};
}

}  // namespace

void buildCareer(RandomSource& random, int64_t today, Horse& horse, const SimulatedRace& race,
                 bool maidenRace, const std::vector<std::string>& circuit) {
  const std::string& type = race.raceClass.type;
  double firstTimerChance = 0;
  if (type == "S") firstTimerChance = horse.age == 2 ? 0.5 : 0.22;
  if (type == "M") firstTimerChance = horse.age == 2 ? 0.3 : 0.08;
  if (random.chance(firstTimerChance)) return;

  int target;
  if (horse.age == 2) {
    target = random.between(1, 4);
  } else if (maidenRace) {
    target = random.between(1, horse.age == 3 ? 8 : 14);
  } else if (horse.age == 3) {
    target = random.between(2, 10);
  } else {
    target = random.between(4, std::min(45, 8 * (horse.age - 2)));
  }

  // Dates, most recent first: every two to six weeks, with layoffs.
  std::vector<int64_t> days;
  const int64_t earliest = dayNumber({horse.foaled.year + 2, 4, 1});
  auto gap = [&](bool first) {
    const size_t kind = random.weighted({0.70, 0.18, first ? 0.12 : 0.10});
    if (kind == 0) return random.between(14, 42);
    if (kind == 1) return random.between(43, 80);
    return random.between(81, 280);
  };
  int64_t when = today - gap(true);
  while (static_cast<int>(days.size()) < target && when >= earliest) {
    days.push_back(when);
    when -= gap(false);
  }
  if (days.empty()) return;

  // Run the races oldest first.
  const bool todaySprint = isSprintYards(race.yards);
  std::vector<PastStart> career(days.size());
  for (size_t k = days.size(); k-- > 0;) {
    PastStart& start = career[k];
    start.day = days[k];
    start.track = pastTrack(random, circuit);
    const double turfChance = race.surface == 'T' ? 0.6 : 0.12 + std::max(0.0, horse.turfEdge) * 0.04;
    start.surface = random.chance(turfChance) ? 'T' : (random.chance(0.03) ? 'A' : 'D');
    const bool sprint = random.chance(todaySprint ? 0.75 : 0.3) || horse.age == 2;
    start.yards = drawYards(random, start.surface, sprint);
    const bool wet = random.chance(0.12);
    start.condition = drawCondition(random, start.surface, wet);
    start.fieldSize = 5 + static_cast<int>(random.weighted({0.08, 0.14, 0.18, 0.18, 0.15, 0.12, 0.09, 0.06}));
    start.post = random.between(1, start.fieldSize);

    const double ability = abilityAt(horse, start.day, today);
    start.par = ability + random.normal(0, 3.5);
    start.expected = ability;
    if (start.surface == 'T') start.expected += horse.turfEdge;
    if (!isSprintYards(start.yards)) start.expected += horse.routeEdge;
    if (isWetCondition(start.condition)) start.expected += horse.wetEdge;
    double figure = start.expected + random.normal(0, horse.inconsistency);
    const bool trouble = random.chance(0.16);
    if (trouble) figure -= random.uniform(2, 8);
    start.figure = figure;

    // The rest of that field, to place the horse and measure its margin.
    double winnerFigure = figure;
    int beatenBy = 0;
    for (int rival = 1; rival < start.fieldSize; ++rival) {
      const double rivalFigure = start.par + random.normal(0, 6.5);
      if (rivalFigure > figure) ++beatenBy;
      winnerFigure = std::max(winnerFigure, rivalFigure);
    }
    int finish = 1 + beatenBy;
    const double perLength = pointsPerLength(start.yards);
    if (maidenRace && finish == 1) {
      // A horse still a maiden today never won: it was just caught.
      finish = 2;
      winnerFigure = figure + random.uniform(0.1, 3.0) * perLength;
    }
    const int lengths100 = finish == 1 ? 0 : quantizeLengths100((winnerFigure - figure) / perLength);
    start.calls = singleHorseCalls(random, start.fieldSize, finish, lengths100, horse.earlySpeed);
    start.trip = tripComment(random, finish, start.fieldSize, trouble, start.calls.position[1] == 1);

    start.speedFigure = std::clamp(roundInt(figure), 25, 125);
    start.earlyPace =
        std::clamp(roundInt(figure + 12 * (horse.earlySpeed - 0.5) + random.normal(0, 4)), 20, 130);
    start.middlePace =
        std::clamp(roundInt(figure + 8 * (horse.earlySpeed - 0.5) + random.normal(0, 4)), 20, 130);
    start.latePace =
        std::clamp(roundInt(figure - 12 * (horse.earlySpeed - 0.5) + random.normal(0, 5)), 20, 130);
    start.variant = roundInt(random.normal(14, 6));
    start.raceLevel10 = roundInt(10 * (start.par * 0.5 + 60 + random.normal(0, 1)));
    start.classRating10 = roundInt(10 * (figure * 0.4 + start.par * 0.25 + 62 + random.normal(0, 1)));
    start.finalTime100 = finalTime100(start.yards, figure, start.surface, isWetCondition(start.condition));
    start.weight = std::clamp(horse.weight + random.between(-4, 4), 112, 126);
  }

  // A horse in a race for winners has won at least once: its best effort
  // becomes the win.
  const bool hasWin = std::any_of(career.begin(), career.end(),
                                  [](const PastStart& s) { return s.calls.position[kFinishCall] == 1; });
  if (!maidenRace && !hasWin) {
    size_t best = 0;
    for (size_t k = 1; k < career.size(); ++k) {
      if (career[k].figure - career[k].par > career[best].figure - career[best].par) best = k;
    }
    PastStart& start = career[best];
    start.calls = singleHorseCalls(random, start.fieldSize, 1, 0, horse.earlySpeed);
    start.trip = tripComment(random, 1, start.fieldSize, false, start.calls.position[1] == 1);
  }

  // Classes, oldest first: a horse runs in maiden races until it wins.
  bool wonBefore = false;
  for (size_t k = career.size(); k-- > 0;) {
    PastStart& start = career[k];
    start.raceClass = classForPar(random, start.par, !wonBefore);
    start.restriction = pastRestriction(random, horse, start.day);
    const int finish = start.calls.position[kFinishCall];
    if (finish <= 5) start.earnings = roundInt(start.raceClass.purse * kPurseShares[finish - 1]);
    if (finish == 1) wonBefore = true;
  }
  horse.career = std::move(career);
}

}  // namespace stridewell::gen
