// The ".SIM" weights file: for each non-input unit in ascending number, its
// bias and then its connection weights in list order, as little-endian IEEE
// doubles with no header. 8,625 doubles (69,000 bytes) for the 425-20-5 net.
#include <bit>
#include <fstream>
#include <string>

#include "app/replacement_file.h"
#include "model/sim_model.h"

namespace stridewell {

static_assert(std::endian::native == std::endian::little, "weights files hold little-endian doubles");
static_assert(sizeof(double) == 8);

bool SimModel::saveWeights(const std::filesystem::path& path) {
  logFormatted("Saving weights/biases to %s", path.string().c_str());
  if (!defined()) return false;
  size_t next = 0;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    fileBuffer_[next++] = bias_[slot(unit)];
    for (double weight : connectionWeights(unit)) fileBuffer_[next++] = weight;
  }
  std::string reason;
  if (!replaceFileContents(path.string(), fileBuffer_.data(), fileBuffer_.size() * sizeof(double), reason)) {
    logMessage(reason);
    return false;
  }
  return true;
}

bool SimModel::loadWeights(const std::filesystem::path& path) {
  logFormatted("Loading weights/biases from %s", path.string().c_str());
  if (!defined()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // Read everything before storing anything, so that a short file leaves the
  // network as it was instead of half replaced.
  const auto wanted = static_cast<std::streamsize>(fileBuffer_.size() * sizeof(double));
  in.read(reinterpret_cast<char*>(fileBuffer_.data()), wanted);
  if (in.gcount() != wanted) {
    logFormatted("%s holds %lld bytes of the %lld a weights file needs", path.string().c_str(),
                 static_cast<long long>(in.gcount()), static_cast<long long>(wanted));
    return false;
  }
  size_t next = 0;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    bias_[slot(unit)] = fileBuffer_[next++];
    for (double& weight : connectionWeights(unit)) weight = fileBuffer_[next++];
  }
  return true;
}

}  // namespace stridewell
