// Opening the files a subcommand reads: a path, or "-" for standard input.
// Files are opened in binary mode because the readers handle CR LF
// themselves; a path that is a folder is refused up front, since a stream on
// a folder opens but fails on the first read.
#pragma once

#include <istream>
#include <memory>
#include <string>

namespace stridewell::cli {

struct InputFile {
  std::unique_ptr<std::istream> stream;  // null when the file could not be opened
  std::string displayName;               // the path, or "<stdin>" for "-"
  std::string error;                     // "Cannot open PATH: reason" when stream is null
};

InputFile openInputFile(const std::string& path);

}  // namespace stridewell::cli
