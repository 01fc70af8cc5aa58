// The facts the SIM and dataset lists show beside each name, for the
// command line and the desktop alike: a SIM's weights file (size, time of
// change) and its training record; a dataset's file size, race count and
// first and last race dates. Reads files only; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "datasets/dataset_summary.h"
#include "model/sim_record.h"

namespace stridewell {

struct Workspace;

struct SimDetails {
  std::string name;
  std::string weightsPath;
  bool fileFound = false;
  uint64_t bytes = 0;
  std::string modified;  // "YYYY-MM-DD HH:MM UTC", empty when not known
  SimRecord record;
  SimRecordRead recordRead = SimRecordRead::kMissing;
};

// The SIM `name` of the SIM list (its weights file found as the lists find
// it: the program folder first, then the SIM folder).
SimDetails simDetails(const Workspace& workspace, std::string_view name);

// A size for people: "812 bytes", "67.4 KB", "8.1 MB", "2.3 GB" (units of 1,024).
std::string fileSizeText(uint64_t bytes);
// A count with thousands separated: "69,000".
std::string groupedNumber(uint64_t number);

// One line each for a tooltip or a details line under a list:
// "69,000 bytes, changed 2026-12-09 06:41 UTC; dataset Sax, 50 passes".
std::string simDetailsLine(const SimDetails& details);
// "290 races, 2026-01-03 to 2026-02-01, 8.1 MB" (and "; damaged").
std::string datasetDetailsLine(const DatasetSummary& summary);

// `stridewell sim info`: the name, the file, its size and time of change,
// then the training record's lines (describeSimRecord).
std::string simInfoText(const SimDetails& details);

}  // namespace stridewell
