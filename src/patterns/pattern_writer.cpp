#include "patterns/pattern_writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "datasets/dataset_file.h"
#include "patterns/field_standardization.h"
#include "patterns/horse_encoding.h"
#include "race/race.h"

namespace stridewell {
namespace {

static_assert(std::endian::native == std::endian::little,
              "pattern records are written as their memory image");
static_assert(sizeof(HorseInputs) == sizeof(PatternHorse::inputs));

// Byte offsets into the packed record: its floats may sit at addresses no
// float pointer may take, so values are copied in by offset.
constexpr size_t slotOffset(int slot) {
  return offsetof(PatternRecord, horses) + static_cast<size_t>(slot) * sizeof(PatternHorse);
}

void putSlot(PatternRecord& record, int slot, const HorseInputs& inputs, int32_t finish) {
  auto* bytes = reinterpret_cast<unsigned char*>(&record) + slotOffset(slot);
  std::memcpy(bytes + offsetof(PatternHorse, inputs), inputs.data(), sizeof inputs);
  std::memcpy(bytes + offsetof(PatternHorse, finishPosition), &finish, sizeof finish);
}

}  // namespace

PatternBuild buildPattern(const RaceProfile& profile, const RaceResult& result, PatternRecord& record) {
  std::memset(static_cast<void*>(&record), 0, sizeof record);
  const int n = result.finisherCount;
  // A count above 12 is checked before any finisher is read: the result
  // holds at most 63 entries, and such a race gives no pattern anyway.
  if (n < kFewestPatternHorses || n > kPatternSlots) return PatternBuild::kNoPattern;
  const int horses = std::min<int>(profile.horseCount, kMaxHorses);
  std::array<HorseInputs, kPatternSlots> raw{};
  std::array<int32_t, kPatternSlots> finishes{};
  for (int i = 0; i < n; ++i) {
    const FinisherEntry& finisher = result.finishers[i];
    if (finisher.finishPosition == 0 || finisher.finishPosition > kHighestPatternFinish) {
      return PatternBuild::kNoPattern;
    }
    if (finisher.cardIndex >= horses) return PatternBuild::kNoPattern;
    if (encodeHorse(profile.horses[finisher.cardIndex], raw[static_cast<size_t>(i)]) != kHorseInputCount) {
      return PatternBuild::kInternal;
    }
    finishes[static_cast<size_t>(i)] = finisher.finishPosition;
  }
  std::array<HorseInputs, kPatternSlots> standardized{};
  const auto count = static_cast<size_t>(n);
  standardizeWholeField(std::span(raw).first(count), std::span(standardized).first(count));
  record.horseCount = n;
  for (size_t i = 0; i < count; ++i) putSlot(record, static_cast<int>(i), standardized[i], finishes[i]);
  return PatternBuild::kBuilt;
}

PatternRun writePatterns(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                         ReplacementFile& out, UserInteraction& ui, ProgressSink& progress) {
  PatternRun run;
  if (!out.ok()) {
    ui.error(std::string(kCannotCreatePatternFile) + "\n" + out.problem());
    return run;
  }
  dataset.seekg(0, std::ios::end);
  const std::streamoff end = dataset.tellg();
  dataset.seekg(0, std::ios::beg);
  const uint64_t size = end > 0 ? static_cast<uint64_t>(end) : 0;

  DatasetReader reader(dataset, datasetFile);
  // A Race holds a whole card (tens of kilobytes): kept off the stack.
  auto race = std::make_unique<Race>();
  auto record = std::make_unique<PatternRecord>();
  int64_t written = 0;
  while (reader.next(*race)) {
    const uint64_t position = std::min(reader.position(), size);
    progress.setPercent(size > 0 ? static_cast<int>(position * 100 / size) : 100);
    if (progress.cancelled()) {
      run.cancelled = true;
      return run;
    }
    if (!matchesCriteria(criteria, race->profile, race->result) || race->result.condition == 0) continue;
    switch (buildPattern(race->profile, race->result, *record)) {
      case PatternBuild::kBuilt:
        out.write(std::string_view(reinterpret_cast<const char*>(record.get()), sizeof *record));
        ++written;
        break;
      case PatternBuild::kInternal:
        ui.error(kInternalError);
        break;
      case PatternBuild::kNoPattern:
        break;
    }
    ++run.races;
    if (!out.ok()) {
      ui.error(std::string(kPatternFileWriteFailed) + "\n" + out.problem());
      return run;
    }
  }
  run.damage = reader.problem();
  run.racesRead = reader.racesRead();
  run.patterns = written;
  return run;
}

}  // namespace stridewell
