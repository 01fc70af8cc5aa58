#include "race_day_builder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <set>
#include <string_view>

#include "names.h"
#include "race/card_values.h"
#include "race_classes.h"
#include "race_texts.h"
#include "random_source.h"
#include "running_lines.h"
#include "tote.h"
#include "track_circuits.h"

namespace stridewell::gen {
namespace {

constexpr int kCrowdTrials = 2000;
constexpr int kMorningLineTrials = 1000;
// The race-day spread of a horse's figure that the public and the track's
// handicapper allow for when they price the field.
constexpr double kPublicNoise = 7.5;
constexpr int kJockeyRoster = 22;
// The morning line is made to add up to about 122 %, as track lines do.
constexpr double kMorningLineOverround = 1.22;
// Share of the purse for first to fifth.
constexpr double kPurseShares[] = {0.60, 0.20, 0.12, 0.05, 0.03};

uint64_t hashText(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

int roundInt(double value) {
  return static_cast<int>(std::floor(value + 0.5));
}

// How much a horse improves (or, when old, declines) per year of age.
double yearlyImprovement(int age) {
  if (age <= 2) return 12;
  if (age == 3) return 7;
  if (age == 4) return 3;
  if (age <= 6) return 0;
  return -2;
}

class DayBuilder {
 public:
  DayBuilder(const SampleOptions& options, int dayIndex);
  RaceDay build();

 private:
  struct Plan {
    int number;
    bool feature;
    bool simulcast;
  };

  void buildRace(const Plan& plan);
  Horse buildHorse(const SimulatedRace& race, bool maidenRace, const std::vector<std::string>& circuit);
  void buildCareer(Horse& horse, const SimulatedRace& race, bool maidenRace, const std::vector<std::string>& circuit);
  double abilityAt(const Horse& horse, int64_t day) const;
  std::string pastTrack(const std::vector<std::string>& circuit);
  std::string pastRestriction(const Horse& horse, int64_t day);
  void drawProgramNumbers(SimulatedRace& race);
  void assignJockeys(SimulatedRace& race);
  double knownFigure(const Horse& horse, const SimulatedRace& race, char surface, bool wet) const;
  void setMorningLine(SimulatedRace& race);
  void runRace(SimulatedRace& race);
  void writeComments(SimulatedRace& race, const std::string& stakesName);
  void settleExotics();

  const SampleOptions& options_;
  RandomSource random_;
  RaceDay day_;
  bool major_ = false;
  bool wetDay_ = false;
  bool quinellaOffered_ = false;
  double straightTake_ = 0.1543;
  double exoticTake_ = 0.2268;
  std::string dirtCondition_;
  std::string turfCondition_;
  std::set<std::string> names_;
};

DayBuilder::DayBuilder(const SampleOptions& options, int dayIndex) : options_(options), random_(1) {
  day_.trackCode = normalisedTrack(options.track);
  day_.trackField = serviceTrackCode(day_.trackCode);
  const uint64_t base = options.seed ^ hashText(day_.trackCode);
  const RandomSource root(base);
  // The jockey colony is the same every day of a meeting.
  RandomSource roster = root.fork(1);
  std::set<std::string> jockeyNames;
  for (int k = 0; k < kJockeyRoster; ++k) {
    Jockey jockey;
    do {
      jockey.name = jockeyName(roster);
    } while (!jockeyNames.insert(jockey.name).second);
    jockey.skill = 1.6 - 3.2 * k / (kJockeyRoster - 1) + roster.normal(0, 0.2);
    jockey.winPercent = std::clamp(roundInt(14 + 6 * jockey.skill), 3, 28);
    jockey.inMoneyPercent = std::clamp(roundInt(jockey.winPercent * 2.1 + 12 + roster.normal(0, 2)), 15, 65);
    day_.jockeys.push_back(jockey);
  }
  day_.day = dayNumber({options.year, options.month, options.day}) + dayIndex;
  // Seeded by the date itself, so a day comes out the same whichever first
  // day a run starts from.
  random_ = root.fork(static_cast<uint64_t>(day_.day) + (uint64_t{1} << 32));
  day_.date = civilDate(day_.day);
  char monthDay[8];
  std::snprintf(monthDay, sizeof monthDay, "%02d%02d", day_.date.month, day_.date.day);
  day_.baseName = day_.trackCode + monthDay;
  major_ = isMajorTrack(day_.trackCode);
  if (!major_) {
    straightTake_ = 0.18;
    exoticTake_ = 0.25;
  }
}

RaceDay DayBuilder::build() {
  const int weekdayNumber = weekday(day_.day);
  int raceCount;
  switch (weekdayNumber) {
    case 6:
      raceCount = random_.between(10, 12);
      break;  // Saturday
    case 0:
      raceCount = random_.between(9, 11);
      break;  // Sunday
    case 5:
      raceCount = random_.between(9, 10);
      break;  // Friday
    default:
      raceCount = random_.between(8, 9);
      break;
  }
  wetDay_ = random_.chance(0.15);
  day_.races.reserve(static_cast<size_t>(raceCount));
  dirtCondition_ = drawCondition(random_, 'D', wetDay_);
  turfCondition_ = drawCondition(random_, 'T', wetDay_);
  quinellaOffered_ = random_.chance(0.6);
  const bool weekend = weekdayNumber == 0 || weekdayNumber == 6;
  const int feature = random_.chance(weekend ? 0.7 : 0.15) ? raceCount - 1 : 0;
  // Drawn whether or not simulcasts are wanted, so that turning them off
  // changes that one race and nothing else.
  const bool simulcastDay = random_.chance(0.2);
  const int simulcastRace = random_.between(raceCount / 2 + 1, raceCount);
  const int simulcast = options_.simulcasts && simulcastDay ? simulcastRace : 0;
  for (int number = 1; number <= raceCount; ++number) {
    buildRace({number, number == feature, number == simulcast});
  }
  settleExotics();
  std::set<std::string> stakesNames;
  for (SimulatedRace& race : day_.races) {
    std::string stakesName;
    if (isStakesClass(race.raceClass)) {
      // A day never runs two stakes of one name.
      for (int attempt = 0; attempt < 50; ++attempt) {
        stakesName = gen::stakesName(random_);
        if (stakesNames.insert(stakesName).second) break;
      }
      for (char& c : stakesName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    writeComments(race, stakesName);
  }
  return std::move(day_);
}

void DayBuilder::buildRace(const Plan& plan) {
  SimulatedRace race;
  race.number = plan.number;
  race.hostTrack = day_.trackField;
  race.hostRaceNumber = plan.number;
  std::string hostCode = day_.trackCode;
  bool major = major_;
  if (plan.simulcast) {
    // A stakes race run at a major track of another circuit and shown here.
    hostCode = simulcastHost(random_, day_.trackCode);
    race.simulcast = true;
    race.hostTrack = serviceTrackCode(hostCode);
    do {
      race.hostRaceNumber = random_.between(3, 12);
    } while (race.hostRaceNumber == plan.number);
    major = true;
  }
  race.raceClass = drawRaceClass(random_, major, plan.feature || plan.simulcast);
  const bool maidenRace = isMaidenClass(race.raceClass);
  const bool stakes = isStakesClass(race.raceClass);

  // Age and sex conditions.
  const int month = day_.date.month;
  const bool juvenileType = maidenRace || race.raceClass.type == "N";
  const bool twoYearOlds = month >= 4 && juvenileType && random_.chance(month >= 7 ? 0.18 : 0.07);
  const bool threeOnly = !twoYearOlds && random_.chance(month <= 6 ? 0.35 : 0.2);
  char ageGroup = 'B';
  char scope = 'U';
  if (twoYearOlds) {
    ageGroup = 'A';
    scope = 'O';
  } else if (threeOnly) {
    scope = 'O';
  } else if (random_.chance(0.4)) {
    ageGroup = 'C';
  }
  char sex = 'N';
  if (random_.chance(0.35)) {
    sex = scope == 'O' ? 'F' : 'M';
  } else if (random_.chance(0.02)) {
    sex = 'C';
  }
  race.restriction = {ageGroup, scope, sex};

  // Surface and distance.
  double turfChance = stakes ? 0.4 : 0.26;
  if (twoYearOlds) turfChance = 0.1;
  race.surface = random_.chance(turfChance) ? 'T' : (random_.chance(0.04) ? 'A' : 'D');
  double sprintChance = race.surface == 'T' ? 0.3 : (race.surface == 'A' ? 0.55 : 0.62);
  if (stakes) sprintChance = std::min(sprintChance, 0.45);
  if (twoYearOlds) sprintChance = 0.92;
  race.yards = drawYards(random_, race.surface, random_.chance(sprintChance));
  race.runSurface = race.surface;
  if (race.surface == 'T' && wetDay_ && random_.chance(0.5)) race.runSurface = 'D';  // off the turf
  race.condition = race.runSurface == 'T' ? turfCondition_ : (race.runSurface == 'D' ? dirtCondition_ : "FT");
  race.weather =
      wetDay_ ? (random_.chance(0.5) ? "RAINY" : "SHOWERY") : (random_.chance(0.7) ? "CLEAR" : "CLOUDY");

  // The level a typical winner of this race runs at.
  race.par = classPar(race.raceClass);
  if (!major && (race.raceClass.type == "S" || stakes)) race.par -= 8;
  if (twoYearOlds) race.par -= 8;
  if (threeOnly && month <= 6) race.par -= 3;
  if (sex == 'F' || sex == 'M') race.par -= 4;

  // The field.
  int entries = 4 + static_cast<int>(
                        random_.weighted({0.02, 0.06, 0.12, 0.15, 0.16, 0.14, 0.12, 0.09, 0.08, 0.03, 0.03}));
  if (stakes) entries = std::max(entries, 5);
  const std::vector<std::string> circuit = circuitOf(hostCode);
  for (int k = 0; k < entries; ++k) race.horses.push_back(buildHorse(race, maidenRace, circuit));
  drawProgramNumbers(race);
  assignJockeys(race);
  setMorningLine(race);

  // Scratches, more of them on a wet day and when the race leaves the turf.
  int scratches = 0;
  if (random_.chance(wetDay_ ? 0.55 : 0.35))
    scratches = 1 + static_cast<int>(random_.weighted({0.7, 0.25, 0.05}));
  if (race.runSurface != race.surface) scratches += random_.between(1, 2);
  scratches = std::min(scratches, entries - 4);
  while (scratches > 0) {
    Horse& horse = race.horses[static_cast<size_t>(random_.between(0, entries - 1))];
    if (horse.scratched) continue;
    horse.scratched = true;
    --scratches;
  }

  runRace(race);
  day_.races.push_back(std::move(race));
}

Horse DayBuilder::buildHorse(const SimulatedRace& race, bool maidenRace, const std::vector<std::string>& circuit) {
  Horse horse;
  horse.name = horseName(random_, names_);
  const char ageGroup = race.restriction[0];
  const char scope = race.restriction[1];
  const char sex = race.restriction[2];
  if (ageGroup == 'A') {
    horse.age = 2;
  } else if (ageGroup == 'B' && scope == 'O') {
    horse.age = 3;
  } else if (ageGroup == 'B') {
    horse.age = 3 + static_cast<int>(random_.weighted({0.30, 0.27, 0.20, 0.13, 0.07, 0.03}));
  } else {
    horse.age = 4 + static_cast<int>(random_.weighted({0.35, 0.28, 0.20, 0.12, 0.05}));
  }
  const bool female = sex == 'F' || sex == 'M' || (sex == 'N' && random_.chance(0.06));
  if (female) {
    horse.sexLetter = horse.age >= 5 ? 'M' : 'F';
  } else if (horse.age == 2) {
    horse.sexLetter = "CGR"[random_.weighted({0.85, 0.12, 0.03})];
  } else {
    const size_t kind = random_.weighted({0.55, 0.42, 0.03});
    horse.sexLetter = kind == 0 ? 'G' : (kind == 2 ? 'R' : (horse.age >= 5 ? 'H' : 'C'));
  }
  horse.foaled.year = day_.date.year - horse.age;
  horse.foaled.month = 1 + static_cast<int>(random_.weighted({0.07, 0.28, 0.33, 0.23, 0.09}));
  horse.foaled.day = random_.between(1, daysInMonth(horse.foaled.year, horse.foaled.month));

  horse.ability = race.par + random_.normal(0, 3.3);
  horse.inconsistency = random_.uniform(4.0, 8.0);
  horse.earlySpeed = random_.uniform();
  horse.turfEdge = random_.normal(0, 3);
  horse.routeEdge = random_.normal(0, 3);
  horse.wetEdge = random_.normal(0, 3);
  horse.trainerQuality = random_.normal();
  horse.trainerWinPercent = std::clamp(roundInt(13 + 5 * horse.trainerQuality + random_.normal(0, 2)), 2, 32);
  horse.trainerInMoneyPercent = std::clamp(
      roundInt(horse.trainerWinPercent * 2.2 + 12 + random_.normal(0, 4)), horse.trainerWinPercent + 5, 75);
  static constexpr int kMedications[] = {1, 3, 2, 0};
  horse.medication = kMedications[random_.weighted({0.86, 0.05, 0.02, 0.07})];

  int weight = 124;
  if (horse.age == 2) {
    weight = 120;
  } else if (horse.age == 3) {
    weight = race.restriction[1] == 'O' ? 122 : 118;
  }
  if (female && race.restriction[2] == 'N') weight -= 3;  // the sex allowance
  const std::string& type = race.raceClass.type;
  if (type == "C" || type == "A" || type == "R") {
    static constexpr int kAllowances[] = {0, 2, 4, 5};
    weight -= kAllowances[random_.weighted({0.6, 0.2, 0.15, 0.05})];
  } else if (isStakesClass(race.raceClass)) {
    weight = std::clamp(weight - 4 + roundInt((horse.ability - race.par) / 2), 114, 126);
  }
  horse.weight = weight;

  buildCareer(horse, race, maidenRace, circuit);
  return horse;
}

double DayBuilder::abilityAt(const Horse& horse, int64_t day) const {
  double yearsAgo = static_cast<double>(day_.day - day) / 365.25;
  double ability = horse.ability;
  for (int age = horse.age; yearsAgo > 0 && age >= 2; --age) {
    const double span = std::min(yearsAgo, 1.0);
    ability -= yearlyImprovement(age) * span;
    yearsAgo -= span;
  }
  return ability;
}

std::string DayBuilder::pastTrack(const std::vector<std::string>& circuit) {
  const size_t where = random_.weighted({0.55, 0.40, 0.05});
  if (where == 0 || circuit.size() == 1) return serviceTrackCode(circuit.front());
  if (where == 1) {
    // Shippers come mostly from the busy tracks listed first.
    std::vector<double> weights;
    for (size_t i = 1; i < circuit.size(); ++i) weights.push_back(1.0 / static_cast<double>(i));
    return serviceTrackCode(circuit[1 + random_.weighted(weights)]);
  }
  return serviceTrackCode(anyTrack(random_));
}

std::string DayBuilder::pastRestriction(const Horse& horse, int64_t day) {
  const CivilDate date = civilDate(day);
  const int ageThen = date.year - horse.foaled.year;
  const bool female = horse.sexLetter == 'F' || horse.sexLetter == 'M';
  char ageGroup = 'B';
  char scope = 'U';
  if (ageThen <= 2) {
    ageGroup = 'A';
    scope = 'O';
  } else if (ageThen == 3 && date.month <= 8 && random_.chance(0.6)) {
    scope = 'O';
  } else if (ageThen >= 4 && random_.chance(0.4)) {
    ageGroup = 'C';
  }
  char sex = 'N';
  if (female && random_.chance(0.7)) {
    sex = scope == 'O' ? 'F' : 'M';
  } else if (!female && random_.chance(0.03)) {
    sex = 'C';
  }
  return {ageGroup, scope, sex};
}

void DayBuilder::buildCareer(Horse& horse, const SimulatedRace& race, bool maidenRace,
                             const std::vector<std::string>& circuit) {
  const std::string& type = race.raceClass.type;
  double firstTimerChance = 0;
  if (type == "S") firstTimerChance = horse.age == 2 ? 0.5 : 0.22;
  if (type == "M") firstTimerChance = horse.age == 2 ? 0.3 : 0.08;
  if (random_.chance(firstTimerChance)) return;

  int target;
  if (horse.age == 2) {
    target = random_.between(1, 4);
  } else if (maidenRace) {
    target = random_.between(1, horse.age == 3 ? 8 : 14);
  } else if (horse.age == 3) {
    target = random_.between(2, 10);
  } else {
    target = random_.between(4, std::min(45, 8 * (horse.age - 2)));
  }

  // Dates, most recent first: every two to six weeks, with layoffs.
  std::vector<int64_t> days;
  const int64_t earliest = dayNumber({horse.foaled.year + 2, 4, 1});
  auto gap = [&](bool first) {
    const size_t kind = random_.weighted({0.70, 0.18, first ? 0.12 : 0.10});
    if (kind == 0) return random_.between(14, 42);
    if (kind == 1) return random_.between(43, 80);
    return random_.between(81, 280);
  };
  int64_t when = day_.day - gap(true);
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
    start.track = pastTrack(circuit);
    const double turfChance = race.surface == 'T' ? 0.6 : 0.12 + std::max(0.0, horse.turfEdge) * 0.04;
    start.surface = random_.chance(turfChance) ? 'T' : (random_.chance(0.03) ? 'A' : 'D');
    const bool sprint = random_.chance(todaySprint ? 0.75 : 0.3) || horse.age == 2;
    start.yards = drawYards(random_, start.surface, sprint);
    const bool wet = random_.chance(0.12);
    start.condition = drawCondition(random_, start.surface, wet);
    start.fieldSize =
        5 + static_cast<int>(random_.weighted({0.08, 0.14, 0.18, 0.18, 0.15, 0.12, 0.09, 0.06}));
    start.post = random_.between(1, start.fieldSize);

    const double ability = abilityAt(horse, start.day);
    start.par = ability + random_.normal(0, 3.5);
    double figure = ability + random_.normal(0, horse.inconsistency);
    if (start.surface == 'T') figure += horse.turfEdge;
    if (!isSprintYards(start.yards)) figure += horse.routeEdge;
    if (isWetCondition(start.condition)) figure += horse.wetEdge;
    const bool trouble = random_.chance(0.16);
    if (trouble) figure -= random_.uniform(2, 8);
    start.figure = figure;

    // The rest of that field, to place the horse and measure its margin.
    double winnerFigure = figure;
    int beatenBy = 0;
    for (int rival = 1; rival < start.fieldSize; ++rival) {
      const double rivalFigure = start.par + random_.normal(0, 6.5);
      if (rivalFigure > figure) ++beatenBy;
      winnerFigure = std::max(winnerFigure, rivalFigure);
    }
    int finish = 1 + beatenBy;
    const double perLength = pointsPerLength(start.yards);
    if (maidenRace && finish == 1) {
      // A horse still a maiden today never won: it was just caught.
      finish = 2;
      winnerFigure = figure + random_.uniform(0.1, 3.0) * perLength;
    }
    const int lengths100 = finish == 1 ? 0 : quantizeLengths100((winnerFigure - figure) / perLength);
    start.calls = singleHorseCalls(random_, start.fieldSize, finish, lengths100, horse.earlySpeed);
    start.trip = tripComment(random_, finish, start.fieldSize, trouble, start.calls.position[1] == 1);

    start.speedFigure = std::clamp(roundInt(figure), 25, 125);
    start.earlyPace =
        std::clamp(roundInt(figure + 12 * (horse.earlySpeed - 0.5) + random_.normal(0, 4)), 20, 130);
    start.middlePace =
        std::clamp(roundInt(figure + 8 * (horse.earlySpeed - 0.5) + random_.normal(0, 4)), 20, 130);
    start.latePace =
        std::clamp(roundInt(figure - 12 * (horse.earlySpeed - 0.5) + random_.normal(0, 5)), 20, 130);
    start.variant = roundInt(random_.normal(14, 6));
    start.raceLevel10 = roundInt(10 * (start.par * 0.5 + 60 + random_.normal(0, 1)));
    start.classRating10 = roundInt(10 * (figure * 0.4 + start.par * 0.25 + 62 + random_.normal(0, 1)));
    start.finalTime100 = finalTime100(start.yards, figure, start.surface, isWetCondition(start.condition));
    start.weight = std::clamp(horse.weight + random_.between(-4, 4), 112, 126);
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
    start.calls = singleHorseCalls(random_, start.fieldSize, 1, 0, horse.earlySpeed);
    start.trip = tripComment(random_, 1, start.fieldSize, false, start.calls.position[1] == 1);
  }

  // Classes, oldest first: a horse runs in maiden races until it wins.
  bool wonBefore = false;
  for (size_t k = career.size(); k-- > 0;) {
    PastStart& start = career[k];
    start.raceClass = classForPar(random_, start.par, !wonBefore);
    start.restriction = pastRestriction(horse, start.day);
    const int finish = start.calls.position[kFinishCall];
    if (finish <= 5) start.earnings = roundInt(start.raceClass.purse * kPurseShares[finish - 1]);
    if (finish == 1) wonBefore = true;
  }
  horse.career = std::move(career);
}

void DayBuilder::drawProgramNumbers(SimulatedRace& race) {
  const int entries = static_cast<int>(race.horses.size());
  // Now and then two horses of one stable run coupled as "1" and "1A".
  if (entries >= 7 && random_.chance(0.06)) {
    const int first = random_.between(0, entries - 1);
    int second;
    do {
      second = random_.between(0, entries - 1);
    } while (second == first);
    std::vector<Horse> ordered;
    ordered.push_back(race.horses[first]);
    ordered.push_back(race.horses[second]);
    for (int k = 0; k < entries; ++k) {
      if (k != first && k != second) ordered.push_back(race.horses[k]);
    }
    race.horses = std::move(ordered);
    race.horses[0].programNumber = "1";
    race.horses[1].programNumber = "1A";
    race.horses[0].interest = race.horses[1].interest = 0;
    for (int k = 2; k < entries; ++k) {
      race.horses[k].programNumber = std::to_string(k);
      race.horses[k].interest = k - 1;
    }
  } else {
    for (int k = 0; k < entries; ++k) {
      race.horses[k].programNumber = std::to_string(k + 1);
      race.horses[k].interest = k;
    }
  }
  for (int k = 0; k < entries; ++k) race.horses[k].post = k + 1;
}

void DayBuilder::assignJockeys(SimulatedRace& race) {
  // Better horses tend to get the better riders; each rider rides once a race.
  std::vector<int> byAbility(race.horses.size());
  std::iota(byAbility.begin(), byAbility.end(), 0);
  std::stable_sort(byAbility.begin(), byAbility.end(),
                   [&](int a, int b) { return race.horses[a].ability > race.horses[b].ability; });
  std::vector<int> free(day_.jockeys.size());
  std::iota(free.begin(), free.end(), 0);  // best rider first
  for (int h : byAbility) {
    const size_t choice =
        random_.chance(0.55) ? 0 : static_cast<size_t>(random_.between(0, static_cast<int>(free.size()) - 1));
    race.horses[h].jockey = free[choice];
    free.erase(free.begin() + static_cast<std::ptrdiff_t>(choice));
  }
  // Riders of the past races: often today's, otherwise one of the colony
  // or a rider from elsewhere.
  for (Horse& horse : race.horses) {
    for (PastStart& start : horse.career) {
      const size_t who = random_.weighted({0.45, 0.45, 0.10});
      if (who == 0) {
        start.jockey = day_.jockeys[static_cast<size_t>(horse.jockey)].name;
      } else if (who == 1) {
        start.jockey = random_.pick(day_.jockeys).name;
      } else {
        start.jockey = jockeyName(random_);
      }
    }
  }
}

double DayBuilder::knownFigure(const Horse& horse, const SimulatedRace& race, char surface, bool wet) const {
  double figure = horse.ability + 0.7 * day_.jockeys[horse.jockey].skill + 0.8 * horse.trainerQuality;
  if (surface == 'T') figure += horse.turfEdge;
  if (!isSprintYards(race.yards)) figure += horse.routeEdge;
  if (wet) figure += horse.wetEdge;
  return figure;
}

void DayBuilder::setMorningLine(SimulatedRace& race) {
  // The track's handicapper sees the horses nearly as well as the public.
  std::vector<double> estimates;
  for (const Horse& horse : race.horses) {
    estimates.push_back(knownFigure(horse, race, race.surface, false) +
                        random_.normal(0, horse.career.empty() ? 4.5 : 3.2));
  }
  const FinishChances chances = simulateFinishChances(estimates, kPublicNoise, kMorningLineTrials, random_);
  std::vector<double> interestChance(race.horses.size(), 0.0);
  for (size_t k = 0; k < race.horses.size(); ++k) interestChance[race.horses[k].interest] += chances.win[k];
  for (Horse& horse : race.horses) {
    const double chance = interestChance[horse.interest] * kMorningLineOverround;
    horse.morningLine10 = morningLineTenths(1.0 / chance - 1.0);
  }
}

void DayBuilder::runRace(SimulatedRace& race) {
  std::vector<int> starters;
  for (int k = 0; k < static_cast<int>(race.horses.size()); ++k) {
    if (!race.horses[k].scratched) starters.push_back(k);
  }
  const bool wet = isWetCondition(race.condition);
  std::vector<double> publicView;
  for (int h : starters) {
    Horse& horse = race.horses[h];
    const double known = knownFigure(horse, race, race.runSurface, wet);
    horse.performance = known + random_.normal(0, horse.inconsistency);
    publicView.push_back(known + random_.normal(0, horse.career.empty() ? 4.0 : 2.2));
  }

  race.finishOrder = starters;
  std::stable_sort(race.finishOrder.begin(), race.finishOrder.end(),
                   [&](int a, int b) { return race.horses[a].performance > race.horses[b].performance; });
  for (size_t place = 0; place < race.finishOrder.size(); ++place) {
    race.horses[race.finishOrder[place]].finish = static_cast<int>(place) + 1;
  }

  const FinishChances chances = simulateFinishChances(publicView, kPublicNoise, kCrowdTrials, random_);
  const double poolScale = (race.simulcast || isStakesClass(race.raceClass)) ? 1.8 : 1.0;
  race.winPool = static_cast<int64_t>(
      (major_ ? random_.uniform(250000, 700000) : random_.uniform(25000, 90000)) * poolScale);
  settleStraightWagers(race, starters, chances, straightTake_, race.winPool);
  {
    const int winnerInterest = race.horses[race.finishOrder[0]].interest;
    double interestShare = 0;
    double total = 0;
    for (size_t k = 0; k < starters.size(); ++k) {
      total += chances.win[k];
      if (race.horses[starters[k]].interest == winnerInterest) interestShare += chances.win[k];
    }
    race.winnerPublicChance = interestShare / total;
  }

  // Running lines of the starters: early order from running style, drifting
  // to the finish order; lengths are the gaps added up from the leader.
  const double perLength = pointsPerLength(race.yards);
  const Horse& winner = race.horses[race.finishOrder[0]];
  race.winnerTime100 = finalTime100(race.yards, winner.performance, race.runSurface, wet);
  const size_t n = starters.size();
  std::vector<double> earlyKey(race.horses.size(), 0.0);
  for (int h : starters) earlyKey[h] = (1.0 - race.horses[h].earlySpeed) * 8 + random_.normal(0, 1.2);
  std::vector<int> earlyOrder = starters;
  std::stable_sort(earlyOrder.begin(), earlyOrder.end(),
                   [&](int a, int b) { return earlyKey[a] < earlyKey[b]; });
  std::vector<double> earlyRank(race.horses.size(), 0.0);
  for (size_t r = 0; r < n; ++r) earlyRank[earlyOrder[r]] = static_cast<double>(r);
  static constexpr double kWeights[] = {0.0, 0.25, 0.5, 0.8};
  static constexpr double kGapHigh[] = {0.6, 1.6, 1.8, 2.0};
  for (int call = 0; call < 4; ++call) {
    std::vector<double> key(race.horses.size(), 0.0);
    for (int h : starters) {
      const double w = kWeights[call];
      key[h] = (1 - w) * earlyRank[h] + w * (race.horses[h].finish - 1) +
               (call > 0 ? random_.normal(0, 0.6) : 0.0);
    }
    std::vector<int> order = starters;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key[a] < key[b]; });
    int behind = 0;
    for (size_t r = 0; r < n; ++r) {
      Horse& horse = race.horses[order[r]];
      if (r > 0) behind += quantizeLengths100(random_.uniform(0.05, kGapHigh[call]));
      horse.calls.position[call] = static_cast<int>(r) + 1;
      horse.calls.lengths[call] = behind;
    }
  }
  int previous = 0;
  for (size_t place = 0; place < n; ++place) {
    Horse& horse = race.horses[race.finishOrder[place]];
    int lengths = 0;
    if (place > 0) {
      lengths = quantizeLengths100((winner.performance - horse.performance) * 0.85 / perLength);
      lengths = std::max({lengths, previous, 5});
    }
    horse.calls.position[kFinishCall] = static_cast<int>(place) + 1;
    horse.calls.lengths[kFinishCall] = lengths;
    previous = lengths;
    horse.trip = tripComment(random_, horse.finish, static_cast<int>(n), random_.chance(0.12),
                             horse.calls.position[1] == 1);
  }
}

void DayBuilder::settleExotics() {
  const int raceCount = static_cast<int>(day_.races.size());
  for (int r = 0; r < raceCount; ++r) {
    SimulatedRace& race = day_.races[r];
    const std::vector<int>& order = race.finishOrder;
    const size_t starters = order.size();
    // Horse-level public chances among the starters, for Harville's
    // formula: the chance of a given order is each horse's share of what
    // is left once the horses ahead of it are taken out.
    double total = 0;
    for (int h : order) total += race.crowdWinChance[h];
    auto share = [&](size_t place) { return race.crowdWinChance[order[place]] / total; };
    auto orderChance = [&](size_t places) {
      double chance = 1.0;
      double left = 1.0;
      for (size_t place = 0; place < places; ++place) {
        chance *= share(place) / std::max(left, 1e-9);
        left -= share(place);
      }
      return chance;
    };
    auto combination = [&](size_t places) {
      std::string text;
      for (size_t place = 0; place < places; ++place) {
        if (place > 0) text += '-';
        text += race.horses[order[place]].programNumber;
      }
      return text;
    };
    const double pool = static_cast<double>(race.winPool);
    auto add = [&](std::string name, std::string combo, double chance, double poolShare) {
      Wager wager;
      wager.name = std::move(name);
      wager.combination = std::move(combo);
      wager.pool = static_cast<int64_t>(pool * poolShare);
      wager.payoff100 = exoticPayoff100(chance, exoticTake_, wager.pool, random_);
      race.wagers.push_back(std::move(wager));
    };

    if (starters >= 3) {
      static const char* const kExactaAliases[] = {"EXACTOR", "PERFECTA"};
      add(random_.chance(0.12) ? random_.pick(kExactaAliases) : "EXACTA", combination(2), orderChance(2),
          0.9);
    }
    if (quinellaOffered_ && starters >= 4) {
      const double either = orderChance(2) + share(1) * share(0) / std::max(1.0 - share(1), 1e-9);
      std::string first = race.horses[order[0]].programNumber;
      std::string second = race.horses[order[1]].programNumber;
      if (std::stoi(second) < std::stoi(first)) std::swap(first, second);
      add("QUINELLA", first + "-" + second, either, 0.15);
    }
    if (starters >= 5) {
      static const char* const kTrifectaAliases[] = {"TRIPLE", "TRIACTOR"};
      add(random_.chance(0.12) ? random_.pick(kTrifectaAliases) : "TRIFECTA", combination(3), orderChance(3),
          0.8);
    }
    if (starters >= 6) add("SUPERFECTA", combination(4), orderChance(4), 0.45);

    // Multi-race wagers end here: their chance is the product of the
    // public's chances of each leg's winner.
    auto legs = [&](int count, const char* name, double poolShare) {
      double chance = 1.0;
      std::string combo;
      for (int leg = r - count + 1; leg <= r; ++leg) {
        const SimulatedRace& legRace = day_.races[leg];
        chance *= legRace.winnerPublicChance;
        if (!combo.empty()) combo += '-';
        combo += legRace.horses[legRace.finishOrder[0]].programNumber;
      }
      add(name, combo, chance, poolShare);
    };
    const int number = r + 1;
    if (number >= 2) legs(2, "DAILY DOUBLE", 0.25);
    if (number >= 3) legs(3, "PICK THREE", 0.3);
    if ((number == 4 && raceCount >= 8) || (number == raceCount && raceCount >= 6)) legs(4, "PICK FOUR", 1.5);
    if (number == 5 && raceCount >= 9) legs(5, "PICK FIVE", 0.8);
    if (number == raceCount && raceCount >= 8) legs(6, "PICK SIX", 0.6);
  }
}

void DayBuilder::writeComments(SimulatedRace& race, const std::string& stakesName) {
  std::vector<std::string>& lines = race.comments;
  const RaceClass& c = race.raceClass;
  const std::string title = classTitle(c, stakesName);
  const std::string purse = "PURSE " + dollars(c.purse);
  if (title.size() + 3 + purse.size() <= 64) {
    lines.push_back(title + " - " + purse);
  } else {
    lines.push_back(title);
    lines.push_back(purse);
  }
  const char sex = race.restriction[2];
  std::string conditions = "FOR ";
  if (isMaidenClass(c)) conditions += "MAIDENS, ";
  conditions += sexWords(sex);
  conditions += ageWords(race.restriction, conditions.size() > 4);
  lines.push_back(conditions);
  if (c.type == "A" || c.type == "R") lines.push_back("WHICH HAVE NEVER WON TWO RACES OTHER THAN MAIDEN");
  std::string distance = distanceWords(race.yards);
  if (race.surface == 'T') distance += " ON THE TURF";
  if (race.surface == 'A') distance += " ON THE ALL WEATHER";
  lines.push_back(distance);
  if (race.surface == 'T' && race.number % 2 == 0)
    lines.push_back("(IF OFF THE TURF, TO BE RUN ON THE MAIN TRACK)");
  if (race.simulcast) {
    std::string host = trackName(race.hostTrack);
    for (char& ch : host) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    lines.push_back("SIMULCAST FROM " + host + " RACE " + std::to_string(race.hostRaceNumber));
  }

  // What is bet on this race, and which multi-race wagers start here.
  std::string straight;
  for (const Wager& wager : race.wagers) {
    const bool multiRace = wager.name.rfind("PICK", 0) == 0 || wager.name == "DAILY DOUBLE";
    if (multiRace) continue;
    if (!straight.empty()) straight += ", ";
    straight += wager.name;
  }
  if (!straight.empty()) lines.push_back(straight + " WAGERING THIS RACE");
  const int raceCount = static_cast<int>(day_.races.size());
  const int n = race.number;
  auto legsText = [&](const char* name, int last) {
    return std::string(name) + " (RACES " + std::to_string(n) + "-" + std::to_string(last) +
           ") WAGERING THIS RACE";
  };
  if (n < raceCount) lines.push_back(legsText("DAILY DOUBLE", n + 1));
  if (n + 2 <= raceCount) lines.push_back(legsText("PICK THREE", n + 2));
  if ((n == 1 && raceCount >= 8) || (n == raceCount - 3 && raceCount >= 6))
    lines.push_back(legsText("PICK FOUR", n + 3));
  if (n == 1 && raceCount >= 9) lines.push_back(legsText("PICK FIVE", 5));
  if (n == raceCount - 5 && raceCount >= 8) lines.push_back(legsText("PICK SIX", raceCount));
  // The weights come last: on a busy first race they give way to the wagers.
  if (race.restriction[1] == 'U' && race.restriction[0] == 'B') {
    lines.push_back("THREE YEAR OLDS, 118 LBS.; OLDER, 124 LBS.");
  } else {
    lines.push_back("WEIGHT, " + std::to_string(race.restriction[0] == 'A' ? 120 : 122) + " LBS.");
  }
  // The card has room for nine comment lines of at most 64 characters.
  for (std::string& line : lines) {
    if (line.size() > 64) line.resize(64);
  }
  if (lines.size() > 9) lines.resize(9);
}

}  // namespace

std::string normalisedTrack(const std::string& track) {
  char code[8] = {};
  size_t length = 0;
  for (char c : track) {
    if (length >= 3) break;
    code[length++] = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  normalizeTrackCode(code);
  return code;
}

RaceDay buildRaceDay(const SampleOptions& options, int dayIndex) {
  return DayBuilder(options, dayIndex).build();
}

}  // namespace stridewell::gen
