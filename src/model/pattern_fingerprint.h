// A fingerprint of a pattern file, so that processes on several machines
// can tell that they read the same preparation: its size and a 64-bit hash
// of every byte. Reading it costs a fraction of one training pass.
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
