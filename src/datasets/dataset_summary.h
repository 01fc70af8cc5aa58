// What a dataset list shows of each dataset: its size, how many races it
// holds and the dates of its first and last race. The races are counted
// from their stored lengths alone, with only each card's date read and the
// rest skipped, so a list of large datasets stays quick. A damaged dataset
// gives what could be counted before the damage. One stream per call; any
// thread.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace stridewell {

struct DatasetSummary {
  bool opened = false;  // false: the file could not be read at all
  uint64_t bytes = 0;
  int races = 0;
  int32_t firstDate = 0;  // packed dates of the earliest and latest race; 0 when none has a date
  int32_t lastDate = 0;
  bool damaged = false;  // counting stopped at a race that is cut short or has an impossible length
};

// The summary of the dataset stream from its position to its end (which must
// be seekable, as a file is).
DatasetSummary summarizeDataset(std::istream& in);
DatasetSummary summarizeDatasetFile(const std::string& path);

// "YYYY-MM-DD" of a packed date; "-" for 0.
std::string packedDateText(int32_t date);

}  // namespace stridewell
