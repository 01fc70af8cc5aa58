// What the benchmarks that need racing data share: generated card and
// results files written into a folder, and a user interaction that stays
// silent, so that only the work itself is timed.
#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

#include "base/interaction.h"
#include "sample_generator.h"

namespace stridewell::bench {

class Silent final : public UserInteraction {
 public:
  void error(std::string_view) override {}
  void warning(std::string_view) override {}
  bool query(std::string_view) override { return true; }
  void notice(std::string_view, std::string_view) override {}
};

// The days `options` describes, as plain .TCF and .XRD files in `folder`
// (made when missing).
inline void writeSampleFolder(const std::filesystem::path& folder, const gen::SampleOptions& options) {
  std::filesystem::create_directories(folder);
  for (const gen::SampleDay& day : gen::generateSampleDays(options)) {
    std::ofstream(folder / (day.baseName + ".TCF"), std::ios::binary) << day.cardText;
    std::ofstream(folder / (day.baseName + ".XRD"), std::ios::binary) << day.resultsText;
  }
}

}  // namespace stridewell::bench
