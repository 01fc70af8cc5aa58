#include "operations/prepared_races.h"

#include <algorithm>

#include "base/interaction.h"

namespace stridewell {
namespace {

constexpr size_t kDatasetBufferBytes = 32768;

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
