// How fast the card and results readers go, side by side with the cost of
// reading the same bytes at all (a 64 KB block read that looks at every
// byte). Every benchmark reports MB/s of file text, so the ratio of a reader
// to the raw read shows what parsing adds. The texts are a month of generated
// racing days at one track, made once; the "File" variants read them from a
// temporary file on disk through std::ifstream, as users' files are read.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "race/card_reader.h"
#include "race/check_code.h"
#include "race/race.h"
#include "race/results_reader.h"
#include "sample_generator.h"

namespace {

using namespace stridewell;
namespace fs = std::filesystem;

constexpr int kDays = 30;
constexpr size_t kRawBlock = 64 * 1024;

// A temporary file that is removed when the program ends.
class TempFile {
 public:
  TempFile(const std::string& suffix, const std::string& text)
      : path_(fs::temp_directory_path() / ("stridewell_bench_" + std::to_string(::getpid()) + suffix)) {
    std::ofstream out(path_, std::ios::binary);
    out << text;
  }
  ~TempFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The generated texts, made on first use and kept (with the temporary file)
// until the program ends.
struct Texts {
  Texts() {
    gen::SampleOptions options;
    options.days = kDays;
    for (const auto& day : gen::generateSampleDays(options)) {
      card += day.cardText;
      results += day.resultsText;
    }
    std::string_view rest = card;
    while (!rest.empty()) {
      const size_t end = std::min(rest.find('\n'), rest.size());
      std::string_view line = rest.substr(0, end);
      if (line.ends_with('\r')) line.remove_suffix(1);
      if (!line.empty()) cardLines.push_back(line);
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    cardFile = std::make_unique<TempFile>(".TCF", card);
  }

  std::string card;
  std::string results;
  std::vector<std::string_view> cardLines;  // without line ends
  std::unique_ptr<TempFile> cardFile;
};

const Texts& texts() {
  static const Texts made;
  return made;
}

void rewind(std::istream& in) {
  in.clear();
  in.rdbuf()->pubseekpos(0, std::ios::in);
}

// Reads the stream to its end in 64 KB blocks and counts the line ends, so
// that every byte is looked at once.
size_t countLineEnds(std::istream& in) {
  static std::vector<char> block(kRawBlock);
  size_t lineEnds = 0;
  for (;;) {
    const std::streamsize got = in.rdbuf()->sgetn(block.data(), static_cast<std::streamsize>(block.size()));
    if (got <= 0) break;
    lineEnds += static_cast<size_t>(std::count(block.data(), block.data() + got, '\n'));
  }
  return lineEnds;
}

int readAllCardRaces(std::istream& in, Race& race) {
  CardReader reader(in, "bench.TCF");
  while (reader.next(race)) {
    benchmark::DoNotOptimize(race.card.horseCount);
  }
  if (reader.invalid()) std::fprintf(stderr, "%s\n", reader.problem().c_str());
  return reader.racesRead();
}

void setThroughput(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_RawRead(benchmark::State& state) {
  const Texts& t = texts();
  std::istringstream in(t.card);
  for (auto _ : state) {
    rewind(in);
    benchmark::DoNotOptimize(countLineEnds(in));
  }
  setThroughput(state, t.card.size());
}

void BM_CardReader(benchmark::State& state) {
  const Texts& t = texts();
  std::istringstream in(t.card);
  auto race = std::make_unique<Race>();
  int races = 0;
  for (auto _ : state) {
    rewind(in);
    races = readAllCardRaces(in, *race);
  }
  state.counters["races"] = races;
  setThroughput(state, t.card.size());
}

void BM_ResultsReader(benchmark::State& state) {
  const Texts& t = texts();
  std::istringstream in(t.results);
  RaceResult result{};
  int races = 0;
  for (auto _ : state) {
    rewind(in);
    ResultsReader reader(in, "bench.XRD");
    while (reader.next(result)) benchmark::DoNotOptimize(result.finisherCount);
    races = reader.racesRead();
  }
  state.counters["races"] = races;
  setThroughput(state, t.results.size());
}

void BM_CheckCardLine(benchmark::State& state) {
  const Texts& t = texts();
  size_t bytes = 0;
  for (std::string_view line : t.cardLines) bytes += line.size();
  size_t failed = 0;
  for (auto _ : state) {
    failed = 0;
    for (std::string_view line : t.cardLines) failed += !checkCardLine(line);
    benchmark::DoNotOptimize(failed);
  }
  if (failed != 0) state.SkipWithError("generated card lines fail their check code");
  state.counters["lines"] = static_cast<double>(t.cardLines.size());
  setThroughput(state, bytes);
}

void BM_RawRead_File(benchmark::State& state) {
  const Texts& t = texts();
  for (auto _ : state) {
    std::ifstream in(t.cardFile->path());
    benchmark::DoNotOptimize(countLineEnds(in));
  }
  setThroughput(state, t.card.size());
}

void BM_CardReader_File(benchmark::State& state) {
  const Texts& t = texts();
  auto race = std::make_unique<Race>();
  for (auto _ : state) {
    std::ifstream in(t.cardFile->path());
    benchmark::DoNotOptimize(readAllCardRaces(in, *race));
  }
  setThroughput(state, t.card.size());
}

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultsReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckCardLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardReader_File)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
