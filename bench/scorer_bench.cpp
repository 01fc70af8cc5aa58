// Scoring one race with a SIM, the literal way (one forward pass per ordered
// choice of five horses) against the fast scorer (shared first-layer sums,
// vector lanes), for fields of 8, 12, 16 and 20 horses. The net is the
// Default SIM's (fixed seeds); the horses are random but plausible.
// Run: build/<dir>/bench/scorer_bench [--benchmark_min_time=<seconds>]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>

#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "patterns/race_scoring.h"
#include "patterns/shared_work_scoring.h"
#include "race/race.h"

namespace {

using namespace stridewell;

std::unique_ptr<RaceProfile> randomRace(int horses) {
  std::mt19937 random(static_cast<unsigned>(horses));
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  auto race = std::make_unique<RaceProfile>();
  clearRecord(*race);
  race->horseCount = static_cast<uint8_t>(horses);
  for (int i = 0; i < horses; ++i) {
    HorseProfile& horse = race->horses[i];
    horse.morningLine = 1 + 29 * unit(random);
    horse.postPosition = static_cast<uint8_t>(i + 1);
    horse.sexCode = "gcfmh"[i % 5];
    horse.age = static_cast<uint8_t>(2 + random() % 6);
    horse.weight = static_cast<uint8_t>(110 + random() % 17);
    horse.medication = static_cast<uint8_t>(random() % 4);
    horse.daysSinceLastRace = static_cast<uint8_t>(random() % 101);
    horse.earningsPerStart = static_cast<int32_t>(random() % 40000);
    horse.dryRateAverage = 60 + 40 * unit(random);
    horse.wetRateAverage = 50 + 40 * unit(random);
    horse.bestRate = 70 + 40 * unit(random);
    for (RecordBlock& block : horse.recordBlocks) {
      block.starts = static_cast<uint16_t>(random() % 40);
      block.winPercent = static_cast<uint8_t>(random() % 40);
      block.secondPercent = static_cast<uint8_t>(random() % 30);
      block.thirdPercent = static_cast<uint8_t>(random() % 30);
    }
    horse.pastRaceCount = static_cast<uint8_t>(random() % 11);
    horse.earlySpeed = static_cast<uint8_t>(random() % 9);
    horse.avgSpeedRating10 = static_cast<int16_t>(600 + random() % 400);
    horse.lastMoneyClass = ClassCode{ClassCode::kClaiming, static_cast<int32_t>(5000 + random() % 50000)};
    for (int v = 0; v < 6; ++v) horse.cardRatings[v] = 100 * unit(random);
    for (int v = 0; v < 4; ++v) horse.trainerJockeyPercents[v] = 30 * unit(random);
    horse.avgClassRating = 40 + 40 * unit(random);
    horse.avgRaceLevel = 40 + 40 * unit(random);
  }
  return race;
}

void scoreRaceWith(benchmark::State& state, ScoringMethod method) {
  const int horses = static_cast<int>(state.range(0));
  SimModel model(true);
  if (defineSimShape(model, {}, true) != kSimUnits) {
    state.SkipWithError("cannot define the net");
    return;
  }
  if (!scoringMethodFits(method, model)) {
    state.SkipWithError("this processor does not run the method");
    return;
  }
  const auto race = randomRace(horses);
  RacePrediction prediction;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scoreRace(prediction, model, *race, 2, method));
    benchmark::ClobberMemory();
  }
  const int64_t choices = int64_t{horses} * (horses - 1) * (horses - 2) * (horses - 3) * (horses - 4);
  state.SetItemsProcessed(state.iterations() * choices);
  state.counters["choices"] = static_cast<double>(choices);
}

void BM_ScoreRace_literal(benchmark::State& state) {
  scoreRaceWith(state, ScoringMethod::kLiteral);
}
void BM_ScoreRace_fast(benchmark::State& state) {
  scoreRaceWith(state, ScoringMethod::kBest);
}
void BM_ScoreRace_fast_portable(benchmark::State& state) {
  scoreRaceWith(state, ScoringMethod::kPortable);
}
// The AVX2 kernel on its own: the fast one where AVX-512 is missing.
void BM_ScoreRace_fast_avx2(benchmark::State& state) {
  scoreRaceWith(state, ScoringMethod::kAvx2);
}

BENCHMARK(BM_ScoreRace_literal)->Arg(8)->Arg(12)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreRace_fast)->Arg(8)->Arg(12)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreRace_fast_portable)->Arg(8)->Arg(12)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreRace_fast_avx2)->Arg(8)->Arg(12)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const char* kernel = processorRunsKernel(SharedWorkKernel::kAvx512) ? "avx512"
                       : processorRunsKernel(SharedWorkKernel::kAvx2) ? "avx2"
                                                                      : "portable";
  benchmark::AddCustomContext("fast kernel", kernel);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
