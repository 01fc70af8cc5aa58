#include "operations/listing_details.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/workspace.h"
#include "model/sim_list.h"

namespace stridewell {

SimDetails simDetails(const Workspace& workspace, std::string_view name) {
  SimDetails details;
  details.name = std::string(name);
  details.weightsPath = simWeightsPath(workspace, name);
  struct stat status {};
  if (::stat(details.weightsPath.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    details.fileFound = true;
    details.bytes = static_cast<uint64_t>(status.st_size);
    details.modified = recordTimeText(status.st_mtime);
  }
  details.recordRead = readSimRecord(simRecordPath(details.weightsPath), details.record);
  return details;
}

std::string groupedNumber(uint64_t number) {
  std::string digits = std::to_string(number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

std::string fileSizeText(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double size = static_cast<double>(bytes) / 1024.0;
  size_t unit = 0;
  while (size >= 1024.0 && unit + 1 < std::size(units)) {
    size /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
  return text;
}

std::string simDetailsLine(const SimDetails& details) {
  if (!details.fileFound) return "weights file not found";
  std::string line = groupedNumber(details.bytes) + " bytes";
  if (!details.modified.empty()) line += ", changed " + details.modified;
  if (details.recordRead == SimRecordRead::kRead) {
    const std::string summary = simRecordSummary(details.record);
    if (!summary.empty()) line += "; " + summary;
  }
  return line;
}

std::string datasetDetailsLine(const DatasetSummary& summary) {
  if (!summary.opened) return "cannot be read";
  std::string line =
      groupedNumber(static_cast<uint64_t>(summary.races)) + (summary.races == 1 ? " race" : " races");
  if (summary.firstDate != 0) {
    line += ", " + packedDateText(summary.firstDate);
    if (summary.lastDate != summary.firstDate) line += " to " + packedDateText(summary.lastDate);
  }
  line += ", " + fileSizeText(summary.bytes);
  if (summary.damaged) line += "; damaged after the races counted";
  return line;
}

std::string simInfoText(const SimDetails& details) {
  std::string text = "SIM:                    " + details.name + "\n";
  text += "Weights file:           " + details.weightsPath + "\n";
  if (details.fileFound) {
    text += "Size:                   " + groupedNumber(details.bytes) + " bytes\n";
    text += "Changed:                " +
            (details.modified.empty() ? std::string("not known") : details.modified) + "\n";
  } else {
    text += "Size:                  weights file not found\n";
  }
  return text + describeSimRecord(details.record, details.recordRead);
}

}  // namespace stridewell
