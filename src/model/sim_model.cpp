#include "model/sim_model.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <thread>

#include "model/activation.h"

namespace stridewell {
namespace {

// A bound on the connections a net may have, so that a mistaken shape fails
// instead of asking for gigabytes; the program's own net has 8,600.
constexpr int64_t kMaxConnections = int64_t{1} << 24;

}  // namespace

SimModel::SimModel(bool adjustFanIn) : adjustFanIn_(adjustFanIn) {}

void SimModel::logMessage(std::string_view text) {
  if (logStream_ != nullptr) {
    *logStream_ << text << '\n';
    logStream_->flush();
  }
  if (callback_) callback_(std::string(text));
}

void SimModel::logFormatted(const char* format, ...) {
  // Formatting costs time, and nobody reads the text without a sink.
  if (!messagesWanted()) return;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  logMessage(text);
}

int32_t SimModel::defineNet(int32_t inputCount, int32_t outputCount, std::span<const int32_t> hiddenSizes,
                            const std::filesystem::path& weightsPath, bool forwardOnly,
                            std::span<const ExtraConnection> extraConnections) {
  if (messagesWanted()) {
    std::string text = "net define: ninputs=" + std::to_string(inputCount) +
                       " noutputs=" + std::to_string(outputCount) + " [" +
                       std::to_string(hiddenSizes.size()) + " hidden layers";
    for (size_t i = 0; i < hiddenSizes.size(); ++i) {
      text += (i == 0 ? ": " : " ") + std::to_string(hiddenSizes[i]);
    }
    logMessage(text + "]");
  }

  // Check the whole shape before touching the current net, so that a
  // refused definition leaves the instance as it was.
  bool usable = inputCount > 0 && outputCount > 0;
  int64_t units = int64_t{inputCount} + outputCount;
  int64_t connections = 0;
  int64_t previousLayer = inputCount;
  for (int32_t size : hiddenSizes) {
    usable = usable && size > 0;
    units += size;
    connections += int64_t{size} * previousLayer;
    previousLayer = size;
  }
  connections += int64_t{outputCount} * previousLayer + static_cast<int64_t>(extraConnections.size());
  usable = usable && units <= INT32_MAX && connections <= kMaxConnections;
  if (!usable) {
    logFormatted("net define: unusable shape (%lld units, %lld connections)", static_cast<long long>(units),
                 static_cast<long long>(connections));
    return 0;
  }
  for (const ExtraConnection& extra : extraConnections) {
    // Units are computed in number order, so a source must come before its
    // target or the target would read a value from the previous pass.
    if (extra.source < 0 || extra.target < inputCount || extra.target >= units ||
        extra.source >= extra.target) {
      logFormatted("net define: extra connection %d -> %d is not a forward connection", extra.source,
                   extra.target);
      return 0;
    }
  }

  inputCount_ = inputCount;
  outputCount_ = outputCount;
  unitCount_ = static_cast<int32_t>(units);
  forwardOnly_ = forwardOnly;
  extraConnectionCount_ = static_cast<int32_t>(extraConnections.size());
  hiddenSizes_.assign(hiddenSizes.begin(), hiddenSizes.end());
  logFormatted("Total connections = %ld", static_cast<long>(connections));

  const size_t nonInput = static_cast<size_t>(unitCount_ - inputCount_);
  activation_.assign(nonInput, 0.0);
  bias_.assign(nonInput, 0.0);
  fanIn_.assign(nonInput, 0);
  firstConnection_.assign(nonInput, 0);
  sources_.assign(static_cast<size_t>(connections), 0);
  weights_.assign(static_cast<size_t>(connections), 0.0);

  // Layer connections first, in ascending source number, then the extra
  // connections aimed at the unit in the order they were given.
  size_t next = 0;
  int32_t layerStart = 0;
  int32_t layerSize = inputCount_;
  int32_t unit = inputCount_;
  const size_t layerCount = hiddenSizes_.size() + 1;
  for (size_t layer = 0; layer < layerCount; ++layer) {
    const int32_t size = layer < hiddenSizes_.size() ? hiddenSizes_[layer] : outputCount_;
    for (int32_t i = 0; i < size; ++i, ++unit) {
      const size_t k = slot(unit);
      firstConnection_[k] = next;
      for (int32_t source = layerStart; source < layerStart + layerSize; ++source) sources_[next++] = source;
      for (const ExtraConnection& extra : extraConnections) {
        if (extra.target == unit) sources_[next++] = extra.source;
      }
      fanIn_[k] = static_cast<int32_t>(next - firstConnection_[k]);
    }
    layerStart += layerSize;
    layerSize = size;
  }

  const size_t trainingConnections = forwardOnly ? 0 : static_cast<size_t>(connections);
  const size_t trainingUnits = forwardOnly ? 0 : nonInput;
  training_.slope.assign(trainingConnections, 0.0);
  training_.previousSlope.assign(trainingConnections, 0.0);
  training_.previousChange.assign(trainingConnections, 0.0);
  training_.biasSlope.assign(trainingUnits, 0.0);
  training_.previousBiasSlope.assign(trainingUnits, 0.0);
  training_.previousBiasChange.assign(trainingUnits, 0.0);
  training_.error.assign(trainingUnits, 0.0);
  training_.delta.assign(trainingUnits, 0.0);
  fileBuffer_.assign(parameterCount(), 0.0);

  meanFanIn_ = static_cast<double>(connections) / static_cast<double>(nonInput);
  logFormatted("Mean fan-in = %0.2f", meanFanIn_);
  logFormatted("adjustfanin=%d", adjustFanIn_ ? 1 : 0);

  if (!weightsPath.empty()) {
    if (!loadWeights(weightsPath)) {
      logFormatted("Cannot open weights file %s", weightsPath.string().c_str());
      return 0;
    }
  } else {
    randomizeWeights();
  }
  return unitCount_;
}

void SimModel::seedFromClock() {
  // A steady tick count rather than processor time: the wait below must move
  // it on, and a process that sleeps uses no processor time.
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  random_.z = static_cast<uint32_t>(ticks);
  random_.w = ~random_.z;
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void SimModel::randomizeWeights() {
  logMessage("Setting weights/biases to small random values");
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    const size_t k = slot(unit);
    double range = 1.0;
    if (adjustFanIn_) {
      range = 3.0 / std::sqrt(static_cast<double>(fanIn_[k]) + 1.0);
      if (range > 1.0) range = 1.0;
    }
    bias_[k] = random_.symmetric(range);
    double* weight = weights_.data() + firstConnection_[k];
    for (int32_t c = 0; c < fanIn_[k]; ++c) weight[c] = random_.symmetric(range);
  }
}

std::span<const double> SimModel::forward(std::span<const float> inputs) {
  if (unitCount_ == 0 || inputs.size() < static_cast<size_t>(inputCount_)) return {};
  const int32_t firstOutput = unitCount_ - outputCount_;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    const size_t k = slot(unit);
    const int32_t* source = sources_.data() + firstConnection_[k];
    const double* weight = weights_.data() + firstConnection_[k];
    double net = bias_[k];
    for (int32_t c = 0; c < fanIn_[k]; ++c) {
      const int32_t s = source[c];
      const double value =
          s < inputCount_ ? static_cast<double>(inputs[static_cast<size_t>(s)]) : activation_[slot(s)];
      net += value * weight[c];
    }
    activation_[k] = unit >= firstOutput ? outputActivation(net) : hiddenActivation(net);
  }
  return {activation_.data() + slot(firstOutput), static_cast<size_t>(outputCount_)};
}

}  // namespace stridewell
