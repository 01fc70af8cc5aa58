// SimModel, one SIM network: a layered feed-forward net that reads the
// inputs of five horses side by side and answers with one output per horse.
// Arrays are allocated once by defineNet and never during a forward pass.
// An instance belongs to one thread at a time; nothing inside it locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "model/mwc_random.h"

namespace stridewell {

// One more connection beyond the layer scheme: unit `source` feeds `target`.
struct ExtraConnection {
  int32_t source;
  int32_t target;
};

class SimModel {
 public:
  using MessageCallback = std::function<void(const std::string&)>;

  // Starts from the fixed random seeds with no network defined.
  explicit SimModel(bool adjustFanIn);

  SimModel(const SimModel&) = delete;
  SimModel& operator=(const SimModel&) = delete;

  // Lays out the units (inputs, each hidden layer, outputs) and their
  // connections, allocates every array and either loads `weightsPath` or,
  // when it is empty, draws random weights. Returns the number of units, or
  // 0 when the shape is unusable or the weights file cannot be loaded.
  int32_t defineNet(int32_t inputCount, int32_t outputCount, std::span<const int32_t> hiddenSizes,
                    const std::filesystem::path& weightsPath, bool forwardOnly,
                    std::span<const ExtraConnection> extraConnections = {});

  // Reseeds from the clock and then waits 10 ms, so that two seedings in a
  // row never see the same tick.
  void seedFromClock();

  // Every bias and weight gets a small random value, unit by unit in
  // ascending number, the bias before the unit's weights.
  void randomizeWeights();

  // The weights file: each non-input unit's bias and then its weights, as
  // little-endian doubles. Saving replaces the file only after the new one
  // is completely written; a failed save leaves the old file as it was.
  bool saveWeights(const std::filesystem::path& path, FileSystem& fileSystem = realFileSystem());
  // A failed load (missing, short or damaged file) changes nothing; bytes
  // after the last weight are ignored. A file holding a value that is not a
  // finite number (NaN, infinity) is damaged: such a net scores nothing.
  bool loadWeights(const std::filesystem::path& path);
  // Why the last load failed, naming the file (and for a damaged file the
  // first bad value and where it sits); empty after a good load.
  enum class LoadFault { kNone, kCannotOpen, kDamaged };
  LoadFault loadFault() const { return loadFault_; }
  const std::string& loadProblem() const { return loadProblem_; }
  // The weights file's bytes for the current weights (empty without a net),
  // for a caller that puts them in place itself.
  std::string weightsFileBytes();

  // Runs the network over `inputs` (inputCount floats, read in place) and
  // returns the output activations, valid until the next pass. Empty when
  // no network is defined or `inputs` is too short.
  std::span<const double> forward(std::span<const float> inputs);

  // The diagnostic sink: written to the log stream (with a line end, then
  // flushed) and handed to the callback, each only when attached.
  void logMessage(std::string_view text);
  void setLogStream(std::ostream* stream) { logStream_ = stream; }
  void setMessageCallback(MessageCallback callback) { callback_ = std::move(callback); }

  // Shape.
  int32_t inputCount() const { return inputCount_; }
  int32_t outputCount() const { return outputCount_; }
  int32_t unitCount() const { return unitCount_; }
  bool defined() const { return unitCount_ > 0; }
  const std::vector<int32_t>& hiddenSizes() const { return hiddenSizes_; }
  int32_t extraConnectionCount() const { return extraConnectionCount_; }
  bool isOutputUnit(int32_t unit) const { return unit >= unitCount_ - outputCount_; }
  double meanFanIn() const { return meanFanIn_; }
  bool adjustFanIn() const { return adjustFanIn_; }
  bool forwardOnly() const { return forwardOnly_; }
  // Biases plus weights: the number of doubles in a weights file.
  size_t parameterCount() const { return bias_.size() + weights_.size(); }

  // Per non-input unit (inputCount() <= unit < unitCount()).
  double bias(int32_t unit) const { return bias_[slot(unit)]; }
  void setBias(int32_t unit, double value) { bias_[slot(unit)] = value; }
  int32_t fanIn(int32_t unit) const { return fanIn_[slot(unit)]; }
  std::span<const int32_t> connectionSources(int32_t unit) const {
    return {sources_.data() + firstConnection_[slot(unit)], static_cast<size_t>(fanIn(unit))};
  }
  std::span<const double> connectionWeights(int32_t unit) const {
    return {weights_.data() + firstConnection_[slot(unit)], static_cast<size_t>(fanIn(unit))};
  }
  std::span<double> connectionWeights(int32_t unit) {
    return {weights_.data() + firstConnection_[slot(unit)], static_cast<size_t>(fanIn(unit))};
  }
  double activation(int32_t unit) const { return activation_[slot(unit)]; }

  // The random source; tests and callers that want a known start set it.
  const MwcRandom& random() const { return random_; }
  void setRandom(const MwcRandom& random) { random_ = random; }

  // Training arithmetic state, allocated unless the net is forward-only.
  // Per connection (parallel to the weights) and per non-input unit.
  struct TrainingState {
    std::vector<double> slope, previousSlope, previousChange;
    std::vector<double> biasSlope, previousBiasSlope, previousBiasChange, error, delta;
  };
  bool hasTrainingState() const { return defined() && !forwardOnly_; }
  TrainingState& trainingState() { return training_; }
  const TrainingState& trainingState() const { return training_; }

  // Training primitives; each needs the training state (a net defined
  // without forwardOnly). trainPattern runs one forward and backward pass
  // for `inputs` (inputCount floats) against `targets` (outputCount
  // floats), adds the gradient to the slopes and returns the squared error.
  double trainPattern(std::span<const float> inputs, std::span<const float> targets);
  // Begins a pass: with `reset` the slopes and previous changes start from
  // 0; the slopes move into the previous slopes, then clearSlopes.
  void startEpoch(bool reset);
  // Every slope becomes the weight decay, -0.0001 times its weight or bias.
  void clearSlopes();
  // One quickprop step for every weight and bias from the pass's slopes.
  void quickpropUpdate(double epsilon, double growthLimit);

 private:
  size_t slot(int32_t unit) const { return static_cast<size_t>(unit - inputCount_); }
  bool messagesWanted() const { return logStream_ != nullptr || static_cast<bool>(callback_); }
  [[gnu::format(printf, 2, 3)]] void logFormatted(const char* format, ...);
  void fillFileBuffer();
  bool failLoad(LoadFault fault, std::string problem);
  // Where the value at `index` of the weights file sits, in words.
  std::string describeParameter(size_t index) const;

  MwcRandom random_;
  MessageCallback callback_;
  std::ostream* logStream_ = nullptr;
  double meanFanIn_ = 0;
  bool adjustFanIn_;
  bool forwardOnly_ = false;
  int32_t inputCount_ = 0;
  int32_t outputCount_ = 0;
  int32_t unitCount_ = 0;
  int32_t extraConnectionCount_ = 0;
  std::vector<int32_t> hiddenSizes_;

  // Indexed by unit number minus inputCount_.
  std::vector<double> activation_;
  std::vector<double> bias_;
  std::vector<int32_t> fanIn_;
  std::vector<size_t> firstConnection_;
  // Every unit's connections, contiguous per unit, in unit order.
  std::vector<int32_t> sources_;
  std::vector<double> weights_;
  TrainingState training_;
  // Holds a weights file's doubles until all of them have been read.
  std::vector<double> fileBuffer_;
  LoadFault loadFault_ = LoadFault::kNone;
  std::string loadProblem_;
};

}  // namespace stridewell
