// What the dataset dialogs show around their lists: the line that counts a
// multiple selection, and which entry a list starts at when a dataset was
// remembered from an earlier run. Plain functions; safe on any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

// "1 dataset selected." for one, "N datasets selected." for any other
// count, 0 included.
std::string datasetSelectionText(int count);

// The index of the first of `names` that equals `wanted` ignoring letter
// case; -1 when `wanted` is empty or not listed (the list then stays at its
// first entry).
int findDatasetEntry(const std::vector<std::string>& names, std::string_view wanted);

}  // namespace stridewell
