// Opening card and results files that may be plain files or packed in their
// archives (ABC1234.TCF in ABC1234M.ZIP, see card_file_names.h): the plain
// file is opened when it is there, by its name on disk in whatever letter
// case; otherwise its archive is unpacked into the Workspace's UNZIP folder
// and the unpacked copy is opened. Used by the handicap run, the dataset
// build and the scratch editor; safe from any thread.
#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "app/card_file_names.h"

namespace stridewell {

struct Workspace;

struct OpenedFile {
  // Open for reading in binary mode (the readers handle CR LF themselves);
  // null when the file could not be opened.
  std::unique_ptr<std::ifstream> stream;
  // The file actually opened: the plain file as named on disk, or the copy
  // unpacked into UNZIP (named as the archive holds it).
  std::string path;
  // The archive the copy came from; empty for a plain file.
  std::string archivePath;
  // Why nothing was opened, naming the file; empty on success.
  std::string problem;

  explicit operator bool() const { return stream != nullptr; }
  bool fromArchive() const { return !archivePath.empty(); }
};

// `path` names the plain file (ABC1234.TCF) or its archive (ABC1234M.ZIP,
// which stands for the file it holds). A missing archive, a failed unpack
// and an archive without the file all end without a stream; a copy left in
// UNZIP by an earlier unpack is never taken for the file. Messages are the
// caller's to show. `workspace` gives the program folder (for unzip) and
// UNZIP, which is created when missing.
OpenedFile openCardFile(const std::string& path, const Workspace& workspace);
OpenedFile openResultsFile(const std::string& path, const Workspace& workspace);

// Either of the above, for files of `kind`.
OpenedFile openArchivedFile(const std::string& path, const ArchivedFileKind& kind,
                            const Workspace& workspace);

// The regular file in `folder` called `name` whatever the letter case of
// either: `name` itself when it exists as given, else the first such name
// in sorted order. Empty when there is none.
std::string findFileIgnoringCase(const std::string& folder, const std::string& name);

}  // namespace stridewell
