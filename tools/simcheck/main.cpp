// stridewell-simcheck SIMFILE DATASETFILE...
// How well a SIM picks winners, beside the public's two opinions of the
// same races: the morning line and the final odds. For every race of the
// datasets that the SIM can score: how often its top pick, the
// morning-line favourite and the final-odds favourite won, and the log
// loss of the winner under each one's win chances (the SIM's win shares;
// the morning line's and the final odds' implied chances, 1 / (odds + 1),
// normalised over the field). Beside them the rates of a pick at random.
// Horses that did not run are dropped first, as the profit/loss run does,
// so each figure is over the same fields.
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>

#include "analysis/auto_scratch.h"
#include "datasets/dataset_file.h"
#include "model/sim_shape.h"
#include "patterns/race_scoring.h"
#include "race/race.h"

namespace {

using namespace stridewell;

// Win chances below this count as this: a winner the SIM gave nothing.
constexpr double kSmallestChance = 1e-4;

struct Opinion {
  int wins = 0;
  double logLoss = 0;  // summed over races

  void add(bool won, double winnerChance) {
    wins += won;
    logLoss -= std::log(std::max(winnerChance, kSmallestChance));
  }
};

struct Tally {
  int races = 0;
  Opinion sim, morningLine, finalOdds, random;
};

// The result's finisher that card slot `slot` became, or null.
const FinisherEntry* finisherOfSlot(const RaceResult& result, int slot) {
  for (int i = 0; i < result.finisherCount; ++i) {
    if (result.finishers[i].cardIndex == slot) return &result.finishers[i];
  }
  return nullptr;
}

// Adds one opinion of the race: `weights[slot]` are its chances before
// normalising; its pick is the slot of the largest (the lowest slot on a tie).
void addOpinion(Opinion& opinion, std::span<const double> weights, int winner) {
  double total = 0;
  int pick = 0;
  for (size_t slot = 0; slot < weights.size(); ++slot) {
    total += weights[slot];
    if (weights[slot] > weights[static_cast<size_t>(pick)]) pick = static_cast<int>(slot);
  }
  const double chance = total > 0 ? weights[static_cast<size_t>(winner)] / total : 0.0;
  opinion.add(pick == winner, chance);
}

void checkRace(SimModel& model, Race& race, Tally& tally) {
  autoScratch(race.card, race.profile, race.result);
  const int field = race.profile.horseCount;
  if (field < kFewestScoredHorses || field > kMostScoredHorses) return;
  std::array<double, kMostScoredHorses> scores{};
  if (!scoreRaceHorses(model, race.profile, scores)) return;

  int winner = -1;
  std::array<double, kMostScoredHorses> line{}, odds{}, even{};
  for (int slot = 0; slot < field; ++slot) {
    const FinisherEntry* finisher = finisherOfSlot(race.result, slot);
    if (finisher == nullptr) return;  // a result that does not cover the field
    if (finisher->finishPosition == 1 && winner < 0) winner = slot;
    const double morningLine = race.card.horses[slot].morningLine;
    line[static_cast<size_t>(slot)] = morningLine > 0 ? 1.0 / (morningLine + 1.0) : 0.0;
    odds[static_cast<size_t>(slot)] = finisher->odds > 0 ? 1.0 / (finisher->odds + 1.0) : 0.0;
    even[static_cast<size_t>(slot)] = 1.0;
  }
  if (winner < 0) return;
  const auto count = static_cast<size_t>(field);
  ++tally.races;
  addOpinion(tally.sim, std::span(scores).first(count), winner);
  addOpinion(tally.morningLine, std::span(line).first(count), winner);
  addOpinion(tally.finalOdds, std::span(odds).first(count), winner);
  // At random: wins 1 in `field` on average, chance 1 / field.
  tally.random.logLoss += std::log(static_cast<double>(field));
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
  double randomWins = 0;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot open\n", argv[i]);
      return 2;
    }
    DatasetReader reader(in, argv[i]);
    Race race;
    while (reader.next(race)) {
      const int before = tally.races;
      checkRace(model, race, tally);
      if (tally.races > before) randomWins += 1.0 / race.profile.horseCount;
    }
    if (reader.damaged()) std::fprintf(stderr, "%s\n", reader.problem().c_str());
  }
  const double races = tally.races > 0 ? tally.races : 1;
  std::printf("races scored: %d\n", tally.races);
  std::printf("%-24s %9s %8s\n", "", "top pick", "log loss");
  auto row = [&](const char* name, double wins, double logLoss) {
    std::printf("%-24s %8.2f%% %8.4f\n", name, 100.0 * wins / races, logLoss / races);
  };
  row("SIM", tally.sim.wins, tally.sim.logLoss);
  row("morning line", tally.morningLine.wins, tally.morningLine.logLoss);
  row("final odds", tally.finalOdds.wins, tally.finalOdds.logLoss);
  row("random (1/field)", randomWins, tally.random.logLoss);
  return 0;
}
