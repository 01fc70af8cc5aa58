#include "race_day_builder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string_view>

#include "exotic_wagers.h"
#include "field_pricing.h"
#include "horse_careers.h"
#include "names.h"
#include "race/card_values.h"
#include "race_classes.h"
#include "race_comments.h"
#include "race_field.h"
#include "race_running.h"
#include "random_source.h"
#include "rounding.h"
#include "running_lines.h"
#include "tote.h"
#include "track_circuits.h"

namespace stridewell::gen {
namespace {

constexpr int kJockeyRoster = 22;

uint64_t hashText(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
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

  const SampleOptions& options_;
  RandomSource random_;
  RaceDay day_;
  bool major_ = false;
  bool wetDay_ = false;
  bool quinellaOffered_ = false;
  Takeouts takeouts_;
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
  // Each track keeps its own takes, within what the racing states allow.
  RandomSource takes = root.fork(2);
  static constexpr double kStraightTakes[] = {0.15, 0.1543, 0.16, 0.1625, 0.17};
  static constexpr double kTwoHorseTakes[] = {0.19, 0.20, 0.2068, 0.21, 0.22};
  static constexpr double kMultipleTakes[] = {0.24, 0.25, 0.2568, 0.26};
  takeouts_.straight = takes.pick(kStraightTakes);
  takeouts_.twoHorse = takes.pick(kTwoHorseTakes);
  takeouts_.multiple = takes.pick(kMultipleTakes);
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
  settleExotics(random_, quinellaOffered_, takeouts_, day_.races);
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
    writeComments(race, stakesName, static_cast<int>(day_.races.size()));
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

  // The field: 5 to 14 entries, about 8 on average, so that about 7.5 start.
  int entries =
      5 + static_cast<int>(random_.weighted({0.09, 0.17, 0.19, 0.17, 0.13, 0.09, 0.07, 0.05, 0.025, 0.015}));
  if (stakes) entries = std::max(entries, 5);
  const std::vector<std::string> circuit = circuitOf(hostCode);
  for (int k = 0; k < entries; ++k) race.horses.push_back(buildHorse(race, maidenRace, circuit));
  drawProgramNumbers(random_, race);
  assignJockeys(random_, day_.jockeys, race);
  setMorningLine(random_, day_.jockeys, race);

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

  runRace(random_, day_.jockeys, major_, takeouts_.straight, race);
  day_.races.push_back(std::move(race));
}

Horse DayBuilder::buildHorse(const SimulatedRace& race, bool maidenRace,
                             const std::vector<std::string>& circuit) {
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

  buildCareer(random_, day_.day, horse, race, maidenRace, circuit);
  return horse;
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
