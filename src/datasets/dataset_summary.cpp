#include "datasets/dataset_summary.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "datasets/dataset_file.h"
#include "race/card_values.h"
#include "race/race.h"

namespace stridewell {
namespace {

// Dates compare as year, month, day; the packed form puts the day before the month.
int64_t dateOrder(int32_t date) {
  return int64_t{packedYear(date)} * 10000 + packedMonth(date) * 100 + packedDay(date);
}

constexpr size_t kDateEnd = offsetof(RaceCard, date) + sizeof(int32_t);

}  // namespace

DatasetSummary summarizeDataset(std::istream& in) {
  DatasetSummary summary;
  if (!in) return summary;
  const std::istream::pos_type start = in.tellg();
  in.seekg(0, std::ios::end);
  const std::istream::pos_type end = in.tellg();
  if (start == std::istream::pos_type(-1) || end == std::istream::pos_type(-1)) return summary;
  summary.opened = true;
  const auto size = static_cast<uint64_t>(std::streamoff(end));
  uint64_t at = static_cast<uint64_t>(std::streamoff(start));
  summary.bytes = size;
  const std::array<size_t, 3> limits = {sizeof(RaceCard), sizeof(RaceProfile), sizeof(RaceResult)};
  while (at < size) {
    // The same checks as the reader: the header and all three stored
    // lengths whole and possible, every stored byte inside the file.
    if (size - at < kRaceHeaderBytes) {
      summary.damaged = true;
      break;
    }
    std::array<unsigned char, kRaceHeaderBytes + kDateEnd> head{};
    in.clear();
    in.seekg(static_cast<std::streamoff>(at));
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(head.size(), size - at));
    if (!in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(wanted))) {
      summary.damaged = true;
      break;
    }
    uint64_t stored = 0;
    size_t cardLength = 0;
    bool possible = true;
    for (size_t i = 0; i < limits.size(); ++i) {
      const size_t length = static_cast<size_t>(head[2 * i] | (head[2 * i + 1] << 8));
      if (length == 0 || length > limits[i]) possible = false;
      if (i == 0) cardLength = length;
      stored += length;
    }
    if (!possible || size - at - kRaceHeaderBytes < stored) {
      summary.damaged = true;
      break;
    }
    // A card stored shorter than its date has a date of 0 (its bytes were zeros).
    int32_t date = 0;
    if (cardLength >= kDateEnd) {
      std::memcpy(&date, head.data() + kRaceHeaderBytes + offsetof(RaceCard, date), sizeof date);
    } else if (cardLength > offsetof(RaceCard, date)) {
      unsigned char bytes[sizeof date] = {};
      std::memcpy(bytes, head.data() + kRaceHeaderBytes + offsetof(RaceCard, date),
                  cardLength - offsetof(RaceCard, date));
      std::memcpy(&date, bytes, sizeof date);
    }
    if (date != 0) {
      if (summary.firstDate == 0 || dateOrder(date) < dateOrder(summary.firstDate)) summary.firstDate = date;
      if (summary.lastDate == 0 || dateOrder(date) > dateOrder(summary.lastDate)) summary.lastDate = date;
    }
    ++summary.races;
    at += kRaceHeaderBytes + stored;
  }
  return summary;
}

DatasetSummary summarizeDatasetFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return summarizeDataset(in);
}

std::string packedDateText(int32_t date) {
  if (date == 0) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", packedYear(date), packedMonth(date), packedDay(date));
  return text;
}

}  // namespace stridewell
