#include "operations/prepared_races.h"

#include <algorithm>
#include <memory>
#include <span>

#include "analysis/scoring_crew.h"
#include "base/interaction.h"
#include "model/sim_model.h"

namespace stridewell {
namespace {

constexpr size_t kDatasetBufferBytes = 32768;

// Races read ahead and scored together, as the profit/loss run does.
constexpr size_t kBatchRaces = 64;

}  // namespace

PreparedRaces::Extent PreparedRaces::measure(std::istream& dataset) {
  const std::streampos start = dataset.tellg();
  dataset.seekg(0, std::ios::end);
  const std::streampos end = dataset.tellg();
  dataset.seekg(start);
  Extent extent;
  extent.base = start >= 0 ? static_cast<double>(start) : 0.0;
  extent.size = (start >= 0 && end > start) ? static_cast<double>(end - start) : 0.0;
  return extent;
}

bool openDatasetFile(std::ifstream& dataset, std::vector<char>& buffer, const std::string& path,
                     UserInteraction& ui) {
  buffer.resize(kDatasetBufferBytes);
  dataset.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  dataset.open(path, std::ios::binary);
  if (!dataset) {
    ui.error("Error opening dataset\n" + path);
    return false;
  }
  return true;
}

PreparedRaces::PreparedRaces(std::istream& dataset, const std::string& datasetFile,
                             const RaceCriteria& criteria, const ProfitLossOptions& options,
                             ProgressSink& progress)
    : extent_(measure(dataset)),
      reader_(dataset, datasetFile),
      criteria_(criteria),
      options_(options),
      progress_(progress) {}

bool PreparedRaces::next(Race& race) {
  while (!cancelled_ && reader_.next(race)) {
    int percent = 100;
    if (extent_.size > 0)
      percent =
          static_cast<int>((static_cast<double>(reader_.position()) - extent_.base) * 100.0 / extent_.size);
    percent = std::clamp(percent, 0, 100);
    if (percent != lastPercent_) {
      progress_.setPercent(percent);
      lastPercent_ = percent;
    }
    if (progress_.cancelled()) {
      cancelled_ = true;
      break;
    }
    if (prepareRace(race, criteria_, options_)) return true;
  }
  return false;
}

}  // namespace stridewell

namespace stridewell {

bool scorePreparedRaces(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                        SimModel& model, const ProfitLossOptions& options, UserInteraction& ui,
                        ProgressSink& progress, bool* damaged,
                        const std::function<void(const ScoredField&)>& judge) {
  PreparedRaces races(dataset, datasetFile, criteria, options, progress);
  auto race = std::make_unique<Race>();
  std::vector<ScoredField> batch(kBatchRaces);
  ScoringCrew crew(model, scoringThreads(options.threads));
  bool more = true;
  while (more) {
    size_t pending = 0;
    while (pending < batch.size()) {
      if (!races.next(*race)) {
        if (races.cancelled()) return false;
        more = false;
        break;
      }
      ScoredField& next = batch[pending++];
      next.profile = race->profile;
      next.result = race->result;
      next.scored = false;
    }
    const std::span<ScoredField> scoring = std::span(batch).first(pending);
    const bool finished = crew.forEach(
        pending,
        [scoring](SimModel& sim, size_t i) {
          ScoredField& field = scoring[i];
          field.scored = scoreRaceHorses(sim, field.profile, field.scores);
        },
        progress);
    if (!finished) return false;
    for (const ScoredField& field : scoring) judge(field);
  }
  if (races.damaged()) ui.warning(races.problem() + "; the report covers the races before it.");
  if (damaged != nullptr) *damaged = races.damaged();
  return true;
}

}  // namespace stridewell
