// The scoring crew: its copies of a SIM answer exactly as the original, it
// runs as many scorers as asked when the SIM can be copied (and only the
// original when not), and every race of a batch gets its prediction.
#include "analysis/scoring_crew.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/interaction.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "patterns/race_scoring.h"
#include "race/race.h"

namespace stridewell {
namespace {

std::unique_ptr<SimModel> freshSim() {
  auto model = std::make_unique<SimModel>(true);
  EXPECT_GT(defineSimShape(*model, {}, true), 0);
  return model;
}

TEST(ScoringCrewTest, CopiesAnswerAsTheOriginal) {
  auto original = freshSim();
  // Other weights than a fresh net's, so a copy that kept its own would show.
  original->setBias(kSimInputs, 0.75);
  original->connectionWeights(kSimInputs + 3)[7] = -1.5;
  SimModel copy(true);
  ASSERT_TRUE(copySimModel(*original, copy));
  std::vector<float> inputs(kSimInputs);
  for (size_t i = 0; i < inputs.size(); ++i) inputs[i] = static_cast<float>((i * 37) % 101) / 100.0f;
  const std::span<const double> answer = original->forward(inputs);
  const std::vector<double> expected(answer.begin(), answer.end());
  const std::span<const double> got = copy.forward(inputs);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "output " << i;

  SimModel undefined(true);
  SimModel target(true);
  EXPECT_FALSE(copySimModel(undefined, target));
}

TEST(ScoringCrewTest, ScoresEveryRaceOnAnyNumberOfThreads) {
  auto model = freshSim();
  std::vector<PendingRace> races(9);
  for (size_t r = 0; r < races.size(); ++r) {
    clearRecord(races[r].profile);
    clearRecord(races[r].result);
    // Fields of 4 to 12 horses: the first gets no prediction.
    const int horses = 4 + static_cast<int>(r);
    races[r].profile.horseCount = static_cast<uint8_t>(horses);
    for (int i = 0; i < horses; ++i) {
      races[r].profile.horses[i].dryRateAverage = static_cast<float>(50 + (i * 7 + r) % 13);
      races[r].profile.horses[i].postPosition = static_cast<uint8_t>(i + 1);
    }
    races[r].result.condition = 2;
  }
  std::vector<RacePrediction> expected(races.size());
  for (size_t r = 0; r < races.size(); ++r) scoreRace(expected[r], *model, races[r].profile, 2);

  NoProgress progress;
  for (const int threads : {1, 2, 4}) {
    SCOPED_TRACE(threads);
    ScoringCrew crew(*model, threads);
    EXPECT_EQ(crew.threads(), threads);
    for (PendingRace& race : races) race.prediction = RacePrediction{};
    ASSERT_TRUE(crew.score(races, progress));
    for (size_t r = 0; r < races.size(); ++r) {
      EXPECT_EQ(races[r].prediction.entryCount, expected[r].entryCount) << "race " << r;
      for (int k = 0; k < expected[r].entryCount; ++k) {
        EXPECT_EQ(races[r].prediction.entries[k].horse, expected[r].entries[k].horse) << "race " << r;
        EXPECT_EQ(races[r].prediction.entries[k].winPercent, expected[r].entries[k].winPercent)
            << "race " << r;
      }
    }
  }
  EXPECT_EQ(expected[0].entryCount, 0);
  EXPECT_EQ(expected[8].entryCount, kPredictedPlaces);

  // A SIM that cannot be copied is scored with alone.
  SimModel undefined(true);
  EXPECT_EQ(ScoringCrew(undefined, 4).threads(), 1);
}

}  // namespace
}  // namespace stridewell
