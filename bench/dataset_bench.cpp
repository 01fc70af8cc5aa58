// How fast a dataset is built from card and results files, beside the
// readers alone on the same files: the merge and the writing should add
// little to the parsing. Both report races per second; 60 generated days
// at one track are written to a temporary folder once.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/interaction.h"
#include "base/workspace.h"
#include "bench_samples.h"
#include "datasets/build_pair.h"
#include "operations/create_run.h"
#include "race/card_reader.h"
#include "race/race.h"
#include "race/results_reader.h"
#include "sample_generator.h"

namespace {

using namespace stridewell;
using bench::Silent;
using bench::writeSampleFolder;
namespace fs = std::filesystem;

constexpr int kDays = 60;

struct Folder {
  Folder() : root(fs::temp_directory_path() / ("stridewell_dataset_bench_" + std::to_string(::getpid()))) {
    gen::SampleOptions options;
    options.days = kDays;
    options.simulcasts = false;
    writeSampleFolder(root / "data", options);
    workspace = workspaceAt((root / "program").string(), (root / "home").string());
    Silent silent;
    createWorkspaceFolders(workspace, silent);
    pairs = pairCardFolder((root / "data").string()).pairs;
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path root;
  Workspace workspace;
  std::vector<FilePair> pairs;
};

Folder& folder() {
  static Folder made;
  return made;
}

void BM_ReadersAlone(benchmark::State& state) {
  Folder& f = folder();
  auto race = std::make_unique<Race>();
  int64_t races = 0;
  for (auto _ : state) {
    for (const FilePair& pair : f.pairs) {
      std::ifstream card(f.root / "data" / pair.cardName, std::ios::binary);
      std::ifstream results(f.root / "data" / pair.resultsName, std::ios::binary);
      CardReader cards(card, pair.cardName);
      ResultsReader resultsReader(results, pair.resultsName);
      while (cards.next(*race)) ++races;
      while (resultsReader.next(race->result)) {
      }
    }
  }
  state.counters["races_per_second"] =
      benchmark::Counter(static_cast<double>(races), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadersAlone)->Unit(benchmark::kMillisecond);

void BM_BuildDataset(benchmark::State& state) {
  Folder& f = folder();
  Silent silent;
  NoProgress progress;
  int64_t races = 0;
  for (auto _ : state) {
    const CreateOutcome outcome =
        createDataset("Bench", false, (f.root / "data").string(), f.pairs, f.workspace, silent, progress);
    races += outcome.races;
  }
  state.counters["races_per_second"] =
      benchmark::Counter(static_cast<double>(races), benchmark::Counter::kIsRate);
  // The hand-off of two producer threads polling every 20 ms managed at most
  // one race per 20 ms: 50 races a second.
  state.counters["times_50_per_second"] =
      benchmark::Counter(static_cast<double>(races) / 50.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildDataset)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
