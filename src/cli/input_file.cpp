#include "cli/input_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace stridewell::cli {

InputFile openInputFile(const std::string& path) {
  InputFile input;
  if (path == "-") {
    input.displayName = "<stdin>";
    // A second stream on the same buffer, so that the caller owns what it reads from.
    input.stream = std::make_unique<std::istream>(std::cin.rdbuf());
    return input;
  }
  input.displayName = path;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    input.error = "Cannot open " + path + ": it is a folder";
    return input;
  }
  errno = 0;
  auto file = std::make_unique<std::ifstream>(path, std::ios::in | std::ios::binary);
  if (!file->is_open()) {
    const int reason = errno;
    input.error = "Cannot open " + path;
    if (reason != 0) input.error += std::string(": ") + std::strerror(reason);
    return input;
  }
  input.stream = std::move(file);
  return input;
}

}  // namespace stridewell::cli
