// A quick fingerprint of a pattern file, so that processes on several
// machines can tell that they read the same preparation: its size and a
// hash of 64 pieces of 4,096 bytes spread evenly over it (the first and the
// last among them). Reading it costs a few milliseconds whatever the size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace stridewell {

struct PatternFingerprint {
  uint64_t size = 0;
  uint64_t hash = 0;
  bool operator==(const PatternFingerprint&) const = default;
};

// False, with `problem` naming the file and the reason, when it cannot be
// read.
bool fingerprintPatternFile(const std::filesystem::path& file, PatternFingerprint& fingerprint,
                            std::string& problem);

}  // namespace stridewell
