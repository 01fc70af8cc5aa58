// The simulated racing day the sample files are written from: races, their
// horses with hidden ability and careers, and the outcome (finish, odds,
// payoffs). The builder fills it, the card and results writers only read it.
// Amounts that end up in the files are kept as scaled integers (cents,
// hundredths of a length or second) so that writing them is exact.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "calendar.h"

namespace stridewell::gen {

struct RaceClass {
  // "S" maiden special weight, "M" maiden claiming, "C" claiming, "A"
  // allowance, "R" allowance optional claiming, "N" stakes, "G1".."G3"
  // graded stakes.
  std::string type;
  int claimingPrice = 0;  // M, C and R races
  int purse = 0;
};

// Running line of one horse: start, first call, second call, stretch, finish.
struct Calls {
  std::array<int, 5> position{};
  std::array<int, 5> lengths{};  // hundredths of a length behind the leader
};

inline constexpr int kStartCall = 0;
inline constexpr int kFinishCall = 4;

// One race of a horse's career.
struct PastStart {
  int64_t day = 0;
  std::string track;  // as the data service writes it ("SA", "DMR")
  int yards = 0;
  char surface = 'D';  // D dirt, T turf, A all-weather
  std::string condition;
  RaceClass raceClass;
  std::string restriction;
  int fieldSize = 0;
  int post = 0;
  Calls calls;
  int speedFigure = 0;
  int earlyPace = 0;   // pace figure at the first call
  int middlePace = 0;  // pace figure at the second call
  int latePace = 0;
  int variant = 0;        // track variant of the day; may be negative
  int raceLevel10 = 0;    // tenths
  int classRating10 = 0;  // tenths
  int finalTime100 = 0;   // the horse's own time, hundredths of a second
  int weight = 0;
  std::string jockey;
  std::string trip;
  int earnings = 0;
  // Simulation values that are not written.
  double par = 0;
  double figure = 0;
  double expected = 0;  // what the horse was worth that day, before luck and trouble
};

struct Jockey {
  std::string name;
  double skill = 0;
  int winPercent = 0;
  int inMoneyPercent = 0;
};

struct Horse {
  std::string name;
  char sexLetter = 'G';  // C colt, F filly, G gelding, H horse, M mare, R ridgling
  int age = 0;
  CivilDate foaled{};
  // Hidden qualities that drive everything the files show about the horse.
  double ability = 0;
  double inconsistency = 0;  // race-to-race spread of its figures
  double earlySpeed = 0;     // 0 closer .. 1 front runner
  double turfEdge = 0;       // figure points gained on turf
  double routeEdge = 0;      // ... at a mile or more
  double wetEdge = 0;        // ... on a wet track
  double trainerQuality = 0;
  int trainerWinPercent = 0;
  int trainerInMoneyPercent = 0;
  int jockey = 0;  // index into RaceDay::jockeys
  int weight = 0;
  int medication = 0;             // 0 none, 1 L, 2 B, 3 both
  std::vector<PastStart> career;  // most recent first
  std::string programNumber;
  int post = 0;
  bool scratched = false;
  int interest = 0;       // betting interest: coupled horses share one
  int morningLine10 = 0;  // tenths: 25 is 5-2
  // The race itself (starters only).
  double performance = 0;
  int finish = 0;
  Calls calls;
  std::string trip;
};

struct Wager {
  std::string name;
  std::string combination;
  int64_t payoff100 = 0;  // cents on a $2 ticket
  int64_t pool = 0;       // dollars
};

// One race of the simulated day: what the card shows and, once run, the outcome.
struct SimulatedRace {
  int number = 0;
  int yards = 0;
  char surface = 'D';
  RaceClass raceClass;
  std::string restriction;  // age group, O/U, sex letter
  double par = 0;
  std::string hostTrack;  // as written; the card track unless a simulcast
  int hostRaceNumber = 0;
  bool simulcast = false;
  std::vector<std::string> comments;
  std::vector<Horse> horses;  // program order
  // Outcome.
  char runSurface = 'D';  // a turf race taken off the turf runs on dirt
  std::string condition;
  std::string weather;
  int winnerTime100 = 0;
  std::vector<int> finishOrder;   // horse indices, winner first
  std::vector<int> odds100;       // per horse (starters), hundredths
  std::vector<int> winPayoff100;  // per horse, 0 when none
  std::vector<int> placePayoff100;
  std::vector<int> showPayoff100;
  std::vector<double> winShare;  // per horse: its interest's share of the win pool
  int favourite = -1;            // horse index
  int64_t winPool = 0;           // dollars
  std::vector<Wager> wagers;
};

struct RaceDay {
  CivilDate date{};
  int64_t day = 0;
  std::string trackField;  // field 1 as the data service writes it
  std::string trackCode;   // normalised, three letters
  std::string baseName;    // trackCode + MMDD
  std::vector<Jockey> jockeys;
  std::vector<SimulatedRace> races;
};

}  // namespace stridewell::gen
