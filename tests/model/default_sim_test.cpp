// The Default SIM shipped beside the program: the file in the source tree
// and its copy in the program's folder are the same trained network, one
// the program can load and score with. (How well it picks winners is
// checked with the profit/loss tests, over generated races.)
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "model_test_support.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DefaultSim, ShippedFilesAreOneTrainedNetwork) {
  const fs::path source = fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM";
  const fs::path installed = fs::path(STRIDEWELL_PROGRAM_DIR) / "Default.SIM";
  const std::string bytes = readBytes(source);
  ASSERT_EQ(bytes.size(), kSimWeightsFileBytes);
  EXPECT_TRUE(readBytes(installed) == bytes) << installed << " differs from " << source;

  SimModel shipped(true);
  ASSERT_EQ(defineSimShape(shipped, source), 450);
  for (uint64_t bits : test::parameterBits(shipped)) {
    ASSERT_TRUE(std::isfinite(std::bit_cast<double>(bits)));
  }

  // Not the untrained network a fresh model draws from the fixed seeds,
  // which is what shipped before a trained SIM existed.
  SimModel fresh(true);
  ASSERT_EQ(defineSimShape(fresh), 450);
  EXPECT_NE(test::parameterBits(shipped), test::parameterBits(fresh));
}

}  // namespace
}  // namespace stridewell
