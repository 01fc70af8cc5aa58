// The shipped Default SIM has learnt something: over generated racing it
// has never seen (another track, year and seed than it was trained on),
// its top pick wins far more often than a pick at random would. A plain
// untrained network, the control, does not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/auto_scratch.h"
#include "base/interaction.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "patterns/race_scoring.h"
#include "race/race.h"
#include "sample_generator.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

struct PickTally {
  int races = 0;
  int topPickWins = 0;
  double randomWins = 0;  // what picking at random would win on average
};

std::string makeHeldOutDataset(const test::TempFolder& folder) {
  gen::SampleOptions options;
  options.seed = 9'000'017;
  options.track = "KEE";
  options.year = 2027;
  options.month = 4;
  options.day = 2;
  options.days = 20;
  const fs::path cards = folder.path() / "cards";
  fs::create_directories(cards);
  for (const gen::SampleDay& day : gen::generateSampleDays(options)) {
    std::ofstream(cards / (day.baseName + ".TCF"), std::ios::binary) << day.cardText;
    std::ofstream(cards / (day.baseName + ".XRD"), std::ios::binary) << day.resultsText;
  }
  const Workspace workspace =
      workspaceAt((folder.path() / "program").string(), (folder.path() / "home").string());
  test::RecordingInteraction ui;
  NoProgress progress;
  createWorkspaceFolders(workspace, ui);
  const std::string source = cards.string();
  createDataset("HeldOut", false, source, pairCardFolder(source).pairs, workspace, ui, progress);
  return datasetPath(workspace, "HeldOut");
}

PickTally tallyTopPicks(SimModel& model, const std::string& dataset) {
  PickTally tally;
  std::ifstream in(dataset, std::ios::binary);
  DatasetReader reader(in, dataset);
  Race race;
  while (reader.next(race)) {
    autoScratch(race.card, race.profile, race.result);
    RacePrediction prediction;
    if (scoreRace(prediction, model, race.profile, 2) == 0) continue;
    ++tally.races;
    tally.randomWins += 1.0 / race.profile.horseCount;
    const int pick = prediction.entries[0].horse;
    for (int i = 0; i < race.result.finisherCount; ++i) {
      const FinisherEntry& finisher = race.result.finishers[i];
      if (finisher.cardIndex == pick && finisher.finishPosition == 1) ++tally.topPickWins;
    }
  }
  return tally;
}

TEST(DefaultSimPicks, TopPickBeatsRandomOnRacesItNeverSaw) {
  test::TempFolder folder;
  const std::string dataset = makeHeldOutDataset(folder);

  SimModel shipped(true);
  ASSERT_EQ(defineSimShape(shipped, fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM", true), 450);
  const PickTally trained = tallyTopPicks(shipped, dataset);
  ASSERT_GT(trained.races, 100);
  // Random picking wins about 1 race in 8 here and the trained SIM more
  // than 1 in 4 (49 of 168 when this was written). Half as much again as
  // random sits over 2 standard deviations of the sample below that, so a
  // retrained SIM of the same skill passes and one that learnt nothing
  // fails.
  EXPECT_GT(trained.topPickWins, 1.5 * trained.randomWins)
      << trained.topPickWins << " of " << trained.races << " races";

  SimModel untrained(true);
  ASSERT_EQ(defineSimShape(untrained, {}, true), 450);
  const PickTally control = tallyTopPicks(untrained, dataset);
  EXPECT_LT(control.topPickWins, trained.topPickWins);
}

}  // namespace
}  // namespace stridewell
