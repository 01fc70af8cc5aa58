// The whole contents of a file as bytes, for tests that compare what a
// writer left on disk. An unreadable file reads as empty.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace stridewell::test {

inline std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace stridewell::test
