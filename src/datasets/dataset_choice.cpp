#include "datasets/dataset_choice.h"

#include "datasets/dataset_name.h"

namespace stridewell {

std::string datasetSelectionText(int count) {
  if (count == 1) return "1 dataset selected.";
  return std::to_string(count) + " datasets selected.";
}

int findDatasetEntry(const std::vector<std::string>& names, std::string_view wanted) {
  if (wanted.empty()) return -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (sameDatasetName(names[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace stridewell
