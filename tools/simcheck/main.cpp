// stridewell-simcheck SIMFILE DATASETFILE...
// For every race of the datasets that a SIM can score: does its top pick
// win? Beside it, the rate a random pick would reach (1 / field size,
// averaged over the same races) and the rate of the morning-line
// favourite. Horses that did not run are dropped first, as the
// profit/loss run does, so each figure is over the same fields.
#include <cstdio>
#include <fstream>
#include <string>

#include "analysis/auto_scratch.h"
#include "datasets/dataset_file.h"
#include "model/sim_shape.h"
#include "patterns/race_scoring.h"
#include "race/race.h"

namespace {

using namespace stridewell;

struct Tally {
  int races = 0;
  int simWins = 0;
  int favouriteWins = 0;
  double randomWins = 0;
};

// The result's finisher that card slot `slot` became, or null.
const FinisherEntry* finisherOfSlot(const RaceResult& result, int slot) {
  for (int i = 0; i < result.finisherCount; ++i) {
    if (result.finishers[i].cardIndex == slot) return &result.finishers[i];
  }
  return nullptr;
}

void checkRace(SimModel& model, Race& race, Tally& tally) {
  autoScratch(race.card, race.profile, race.result);
  const int field = race.profile.horseCount;
  if (field < kFewestScoredHorses || field > kMostScoredHorses) return;
  RacePrediction prediction;
  if (scoreRace(prediction, model, race.profile, 2) == 0) return;

  const FinisherEntry* pick = finisherOfSlot(race.result, prediction.entries[0].horse);
  int favourite = -1;
  float favouriteLine = 0;
  for (int slot = 0; slot < field; ++slot) {
    const float line = race.card.horses[slot].morningLine;
    if (line > 0 && (favourite < 0 || line < favouriteLine)) {
      favourite = slot;
      favouriteLine = line;
    }
  }
  const FinisherEntry* favouriteFinisher = favourite < 0 ? nullptr : finisherOfSlot(race.result, favourite);

  ++tally.races;
  tally.randomWins += 1.0 / field;
  if (pick != nullptr && pick->finishPosition == 1) ++tally.simWins;
  if (favouriteFinisher != nullptr && favouriteFinisher->finishPosition == 1) ++tally.favouriteWins;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "Usage: stridewell-simcheck SIMFILE DATASETFILE...\n");
    return 2;
  }
  SimModel model(true);
  if (defineSimShape(model, argv[1], true) == 0) {
    std::fprintf(stderr, "%s: cannot load the SIM\n", argv[1]);
    return 2;
  }
  Tally tally;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot open\n", argv[i]);
      return 2;
    }
    DatasetReader reader(in, argv[i]);
    Race race;
    while (reader.next(race)) checkRace(model, race, tally);
    if (reader.damaged()) std::fprintf(stderr, "%s\n", reader.problem().c_str());
  }
  const double races = tally.races > 0 ? tally.races : 1;
  std::printf("races scored:               %d\n", tally.races);
  std::printf("top pick won:               %5d  %6.2f%%\n", tally.simWins, 100.0 * tally.simWins / races);
  std::printf("morning-line favourite won: %5d  %6.2f%%\n", tally.favouriteWins,
              100.0 * tally.favouriteWins / races);
  std::printf("random pick (1/field):      %5.0f  %6.2f%%\n", tally.randomWins,
              100.0 * tally.randomWins / races);
  return 0;
}
