// The ".SIM" weights file: for each non-input unit in ascending number, its
// bias and then its connection weights in list order, as little-endian IEEE
// doubles with no header. 8,625 doubles (69,000 bytes) for the 425-20-5 net.
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

#include "base/replacement_file.h"
#include "model/sim_model.h"

namespace stridewell {

static_assert(std::endian::native == std::endian::little, "weights files hold little-endian doubles");
static_assert(sizeof(double) == 8);

namespace {

std::string valueText(double value) {
  if (std::isnan(value)) return "NaN (not a number)";
  return value > 0 ? "+infinity" : "-infinity";
}

}  // namespace

void SimModel::fillFileBuffer() {
  size_t next = 0;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    fileBuffer_[next++] = bias_[slot(unit)];
    for (double weight : connectionWeights(unit)) fileBuffer_[next++] = weight;
  }
}

std::string SimModel::weightsFileBytes() {
  if (!defined()) return {};
  fillFileBuffer();
  return std::string(reinterpret_cast<const char*>(fileBuffer_.data()), fileBuffer_.size() * sizeof(double));
}

bool SimModel::saveWeights(const std::filesystem::path& path, FileSystem& fileSystem) {
  logFormatted("Saving weights/biases to %s", path.string().c_str());
  if (!defined()) return false;
  fillFileBuffer();
  std::string reason;
  if (!replaceFileContents(path.string(), fileBuffer_.data(), fileBuffer_.size() * sizeof(double), reason,
                           fileSystem)) {
    logMessage(reason);
    return false;
  }
  return true;
}

bool SimModel::failLoad(LoadFault fault, std::string problem) {
  loadFault_ = fault;
  loadProblem_ = std::move(problem);
  logMessage(loadProblem_);
  return false;
}

std::string SimModel::describeParameter(size_t index) const {
  // The file holds, unit by unit, the bias and then the weights in
  // connection order.
  const auto unitName = [this](int32_t unit) {
    if (unit < inputCount_) return "input " + std::to_string(unit + 1);
    int32_t first = inputCount_;
    for (size_t layer = 0; layer < hiddenSizes_.size(); ++layer) {
      if (unit < first + hiddenSizes_[layer]) {
        std::string name = "hidden unit " + std::to_string(unit - first + 1);
        if (hiddenSizes_.size() > 1) name += " of hidden layer " + std::to_string(layer + 1);
        return name;
      }
      first += hiddenSizes_[layer];
    }
    return "output unit " + std::to_string(unit - first + 1);
  };
  size_t start = 0;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    const size_t values = 1 + static_cast<size_t>(fanIn(unit));
    if (index < start + values) {
      if (index == start) return "the bias of " + unitName(unit);
      const int32_t source = connectionSources(unit)[index - start - 1];
      return "the weight from " + unitName(source) + " to " + unitName(unit);
    }
    start += values;
  }
  return "past the last unit";
}

bool SimModel::loadWeights(const std::filesystem::path& path) {
  logFormatted("Loading weights/biases from %s", path.string().c_str());
  loadFault_ = LoadFault::kNone;
  loadProblem_.clear();
  if (!defined()) return failLoad(LoadFault::kCannotOpen, "No network to load " + path.string() + " into");
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return failLoad(LoadFault::kCannotOpen, "Cannot open " + path.string() + ": it is a folder");
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error = errno != 0 ? errno : ENOENT;
    return failLoad(LoadFault::kCannotOpen, "Cannot open " + path.string() + ": " + std::strerror(error));
  }
  // Read everything before storing anything, so that a short file leaves the
  // network as it was instead of half replaced.
  const auto wanted = static_cast<std::streamsize>(fileBuffer_.size() * sizeof(double));
  in.read(reinterpret_cast<char*>(fileBuffer_.data()), wanted);
  if (in.gcount() != wanted) {
    return failLoad(LoadFault::kDamaged, path.string() + " holds " + std::to_string(in.gcount()) +
                                             " bytes of the " + std::to_string(wanted) +
                                             " a weights file needs");
  }
  // One bad value poisons every output it reaches: the net would rank
  // nothing, or everything alike, and training from it learns nothing.
  for (size_t i = 0; i < fileBuffer_.size(); ++i) {
    if (!std::isfinite(fileBuffer_[i])) {
      return failLoad(LoadFault::kDamaged, path.string() + " is damaged: value " + std::to_string(i) +
                                               " of its " + std::to_string(fileBuffer_.size()) +
                                               " (at byte " + std::to_string(i * sizeof(double)) + ", " +
                                               describeParameter(i) + ") is " + valueText(fileBuffer_[i]));
    }
  }
  size_t next = 0;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    bias_[slot(unit)] = fileBuffer_[next++];
    for (double& weight : connectionWeights(unit)) weight = fileBuffer_[next++];
  }
  return true;
}

}  // namespace stridewell
