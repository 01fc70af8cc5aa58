// The Default SIM shipped beside the program is, until a trained one
// replaces it, exactly the network a fresh model defines from the fixed
// seeds: the file in the source tree and its copy in the program's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "model_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DefaultSim, ShippedFilesHoldAFreshNetworksWeights) {
  SimModel fresh(true);
  ASSERT_EQ(defineSimShape(fresh), 450);
  test::TempFolder folder;
  ASSERT_TRUE(fresh.saveWeights(folder.path() / "fresh.SIM"));
  const std::string expected = readBytes(folder.path() / "fresh.SIM");
  ASSERT_EQ(expected.size(), kSimWeightsFileBytes);

  for (const fs::path& path : {fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM",
                               fs::path(STRIDEWELL_PROGRAM_DIR) / "Default.SIM"}) {
    SCOPED_TRACE(path.string());
    EXPECT_TRUE(readBytes(path) == expected);
    SimModel loaded(true);
    loaded.seedFromClock();
    ASSERT_EQ(defineSimShape(loaded, path), 450);
    EXPECT_EQ(test::parameterBits(loaded), test::parameterBits(fresh));
  }
}

}  // namespace
}  // namespace stridewell
