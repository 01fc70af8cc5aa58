// The training record a SIM keeps beside its weights file: a small text file
// of the same base name and the extension ".INFO", one "key=value" fact a
// line after a versioned first line. It says what the SIM learned from (the
// dataset, the criteria, the learning pressure), how far it was trained and
// how its last report card came out. The record is a help to the user, never
// a condition: a missing, damaged or foreign file reads as "no record" and
// unknown keys are skipped, so older and newer programs share the files.
// Pure functions and file reads and writes; any thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace stridewell {

inline constexpr std::string_view kSimRecordExtension = ".INFO";
// The first line of a record; the number after it is the layout's version.
inline constexpr std::string_view kSimRecordHeading = "stridewell-sim-record";
inline constexpr int kSimRecordVersion = 1;
// A record is a few hundred bytes; anything far larger is not one.
inline constexpr size_t kMostSimRecordBytes = 65536;

// The headline of a report card, as the last evaluation of the SIM left it.
struct SimCardHeadline {
  std::string dataset;
  std::string when;  // "YYYY-MM-DD HH:MM UTC"
  int races = 0;
  double topPickRate = 0;  // share of races the SIM's top pick won, 0 to 1
  double top3Rate = 0;     // share of races whose winner was among its first three
  double simLogLoss = 0;
  double simPseudoR2 = 0;
  std::optional<double> oddsPseudoR2;  // unknown when no race had final odds
};

struct SimRecord {
  // From the preparation.
  std::string simName;
  std::string dataset;                // empty when not known
  std::vector<std::string> criteria;  // the report header's lines; empty for every race
  bool criteriaKnown = false;         // false: the record does not say
  int passesPerRun = 0;               // the learning pressure; 0 when not known
  std::string startSim;               // the SIM the weights started from; empty for random
  bool startKnown = false;
  int64_t patterns = -1;  // -1 when not known
  int64_t races = -1;
  std::string preparedWhen;
  // From training.
  int passesTrained = 0;
  std::optional<double> finalError;  // the error "tss" of the last whole pass
  std::string trainedWhen;
  // From the last report card.
  std::optional<SimCardHeadline> card;
};

enum class SimRecordRead {
  kRead,
  kMissing,  // no file (or not a readable one)
  kDamaged,  // a file that is not a record: no heading, too large, unreadable
};

// The record beside a weights file: its extension (".SIM" in any letter
// case) replaced by ".INFO", or ".INFO" added when it has none.
std::string simRecordPath(const std::string& weightsPath);

// The file's text for `record`, and the record a text gives. Parsing skips
// unknown keys, lines without "=" and values that do not read (that fact is
// then unknown); only a text without the heading line is refused.
std::string simRecordText(const SimRecord& record);
bool parseSimRecord(std::string_view text, SimRecord& record);

SimRecordRead readSimRecord(const std::string& path, SimRecord& record);

// Written beside the file and renamed into place. False, with `problem`
// naming the file and the reason, when it could not be written.
bool writeSimRecord(const std::string& path, const SimRecord& record, std::string& problem,
                    FileSystem& fileSystem = realFileSystem());

// "YYYY-MM-DD HH:MM UTC" of a time.
std::string recordTimeText(std::time_t when);

// The labelled lines `stridewell sim info` prints and the desktop shows,
// each ending in "\n"; begins with "No training record" (or "Training
// record damaged") when `read` is not kRead.
std::string describeSimRecord(const SimRecord& record, SimRecordRead read);

// One line for lists: the dataset and the passes, "" when the record says
// neither.
std::string simRecordSummary(const SimRecord& record);

// The learning pressure's name for a number of passes a run ("High" for
// 25), or "" for a count no pressure gives.
std::string_view pressureName(int passesPerRun);

}  // namespace stridewell
