// How many races a second the profit/loss run gets through, on one thread
// and on every processor. The dataset is built once from 240 generated
// racing days (about 2,400 races) in a temporary folder; the SIM is the
// shipped Default. Scoring dominates, so the gain from more threads shows
// how well the scorers share the work.
// Beside it the SIM report card over the same races (`stridewell evaluate`),
// which scores every horse where the profit/loss run takes the first five:
// BM_EvaluateToProfitLoss times the two in turn and gives their ratio.
// Run: build/<dir>/bench/profit_loss_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/interaction.h"
#include "base/workspace.h"
#include "bench_samples.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "operations/evaluate_run.h"
#include "operations/profit_loss_run.h"
#include "race/criteria_choices.h"
#include "race/race.h"
#include "sample_generator.h"

namespace {

using namespace stridewell;
using bench::Silent;
using bench::writeSampleFolder;
namespace fs = std::filesystem;

constexpr int kDays = 240;

struct Setup {
  Setup() : root(fs::temp_directory_path() / ("stridewell_pl_bench_" + std::to_string(::getpid()))) {
    gen::SampleOptions options;
    options.days = kDays;
    writeSampleFolder(root / "data", options);
    const Workspace workspace = workspaceAt((root / "program").string(), (root / "home").string());
    Silent silent;
    NoProgress progress;
    createWorkspaceFolders(workspace, silent);
    const std::string folder = (root / "data").string();
    races = createDataset("Bench", false, folder, pairCardFolder(folder).pairs, workspace, silent, progress)
                .races;
    dataset = datasetPath(workspace, "Bench");
    fs::remove_all(root / "data");
  }
  ~Setup() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path root;
  std::string dataset;
  int races = 0;
};

Setup& setup() {
  static Setup made;
  return made;
}

bool loadDefaultSim(SimModel& model, benchmark::State& state) {
  if (defineSimShape(model, {}, true) == 0 ||
      !model.loadWeights(fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM")) {
    state.SkipWithError("cannot load data/Default.SIM");
    return false;
  }
  return true;
}

// range(0): scoring threads, 0 for one per hardware thread.
void BM_ProfitLossRun(benchmark::State& state) {
  Setup& s = setup();
  SimModel model(true);
  if (!loadDefaultSim(model, state)) return;
  ProfitLossOptions options;
  options.threads = static_cast<int>(state.range(0));
  const RaceCriteria all = buildCriteria(CriteriaChoices{});
  Silent silent;
  NoProgress progress;
  int analyzed = 0;
  for (auto _ : state) {
    std::ifstream dataset(s.dataset, std::ios::binary);
    std::ostringstream report;
    analyzed = runRaceLoop(all, dataset, s.dataset, report, nullptr, model, options, silent, progress);
    benchmark::DoNotOptimize(report);
  }
  state.SetItemsProcessed(state.iterations() * s.races);
  state.counters["races"] = s.races;
  state.counters["analyzed"] = analyzed;
  state.counters["threads"] = scoringThreads(options.threads);
}
BENCHMARK(BM_ProfitLossRun)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// range(0): scoring threads, as above.
void BM_EvaluateRun(benchmark::State& state) {
  Setup& s = setup();
  SimModel model(true);
  if (!loadDefaultSim(model, state)) return;
  ProfitLossOptions options;
  options.threads = static_cast<int>(state.range(0));
  const RaceCriteria all = buildCriteria(CriteriaChoices{});
  Silent silent;
  NoProgress progress;
  int counted = 0;
  for (auto _ : state) {
    std::ifstream dataset(s.dataset, std::ios::binary);
    ReportCard card;
    evaluateRaces(all, dataset, s.dataset, model, options, silent, progress, card);
    counted = card.races;
    benchmark::DoNotOptimize(card);
  }
  state.SetItemsProcessed(state.iterations() * s.races);
  state.counters["races"] = s.races;
  state.counters["counted"] = counted;
  state.counters["threads"] = scoringThreads(options.threads);
}
BENCHMARK(BM_EvaluateRun)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Each iteration runs the profit/loss run and then the evaluation over the
// same races; "ratio" is the evaluation's time over the profit/loss run's.
void BM_EvaluateToProfitLoss(benchmark::State& state) {
  Setup& s = setup();
  SimModel model(true);
  if (!loadDefaultSim(model, state)) return;
  ProfitLossOptions options;
  options.threads = static_cast<int>(state.range(0));
  const RaceCriteria all = buildCriteria(CriteriaChoices{});
  Silent silent;
  NoProgress progress;
  using Clock = std::chrono::steady_clock;
  Clock::duration profitLoss{}, evaluate{};
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    {
      std::ifstream dataset(s.dataset, std::ios::binary);
      std::ostringstream report;
      runRaceLoop(all, dataset, s.dataset, report, nullptr, model, options, silent, progress);
      benchmark::DoNotOptimize(report);
    }
    const Clock::time_point middle = Clock::now();
    {
      std::ifstream dataset(s.dataset, std::ios::binary);
      ReportCard card;
      evaluateRaces(all, dataset, s.dataset, model, options, silent, progress, card);
      benchmark::DoNotOptimize(card);
    }
    profitLoss += middle - start;
    evaluate += Clock::now() - middle;
  }
  state.counters["ratio"] =
      profitLoss.count() > 0 ? static_cast<double>(evaluate.count()) / static_cast<double>(profitLoss.count())
                             : 0;
  state.counters["threads"] = scoringThreads(options.threads);
}
BENCHMARK(BM_EvaluateToProfitLoss)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
