// The selection line of the Delete and Combine lists and the entry a
// dataset list starts at for a remembered name.
#include "datasets/dataset_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stridewell {
namespace {

TEST(DatasetChoice, SelectionLineIsSingularOnlyForOne) {
  struct Case {
    int count;
    const char* text;
  };
  const Case cases[] = {
      {0, "0 datasets selected."},
      {1, "1 dataset selected."},
      {2, "2 datasets selected."},
      {11, "11 datasets selected."},
  };
  for (const Case& c : cases) EXPECT_EQ(datasetSelectionText(c.count), c.text) << c.count;
}

TEST(DatasetChoice, RememberedEntryIgnoresCaseAndTakesTheFirst) {
  const std::vector<std::string> names{"Alpha", "beta", "BETA", "Gamma 2"};
  struct Case {
    const char* wanted;
    int index;
  };
  const Case cases[] = {
      {"Alpha", 0},    // exact
      {"ALPHA", 0},    // letter case differs
      {"Beta", 1},     // two entries match: the first
      {"gamma 2", 3},  // blanks are part of the name
      {"Gamma", -1},   // only the start of a name
      {"", -1},        // nothing remembered
      {"Delta", -1},   // no longer listed
  };
  for (const Case& c : cases) EXPECT_EQ(findDatasetEntry(names, c.wanted), c.index) << c.wanted;
  EXPECT_EQ(findDatasetEntry({}, "Alpha"), -1);
}

}  // namespace
}  // namespace stridewell
