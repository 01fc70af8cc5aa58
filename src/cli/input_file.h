// Opening the files a subcommand reads: a path, or "-" for standard input.
// Files are opened in binary mode because the readers handle CR LF
// themselves; a path that is a folder is refused up front, since a stream on
// a folder opens but fails on the first read.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "base/card_archives.h"
#include "base/card_file_names.h"

namespace stridewell::cli {

struct InputFile {
  // A copy unpacked from an archive, removed when the file is done with.
  // Declared first so that it goes after the stream on it.
  UnpackedFiles unpacked;
  std::unique_ptr<std::istream> stream;  // null when the file could not be opened
  std::string displayName;               // the path, or "<stdin>" for "-"
  std::string error;                     // "Cannot open PATH: reason" when stream is null
  // The file is there but is not what it should be (a .ZIP that is no zip
  // archive): bad input rather than a file that cannot be opened.
  bool damaged = false;
};

InputFile openInputFile(const std::string& path);

// A card or results file (by `kind`): "-", a plain file, or the file in its
// archive as the handicap run opens it (ABC1234M.ZIP holds ABC1234.TCF,
// ABC1234X.ZIP holds ABC1234.XRD; naming either form serves, and the archive
// is used when the plain file is not there). Archives are unpacked into the
// Workspace's UNZIP folder, and the copy goes with the InputFile. Any other
// file named .ZIP is refused.
InputFile openRaceInputFile(const std::string& path, const ArchivedFileKind& kind);

}  // namespace stridewell::cli
