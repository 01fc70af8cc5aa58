// Opening card and results files that may be plain files or packed in their
// archives (ABC1234.TCF in ABC1234M.ZIP, see card_file_names.h): the plain
// file is opened when it is there, by its name on disk in whatever letter
// case; otherwise its archive is unpacked into the Workspace's UNZIP folder
// and the unpacked copy is opened. The copy, and whatever else the unpack
// placed in UNZIP, is removed when the OpenedFile goes, so UNZIP holds
// nothing once a file's use ends, however it ended. Used by the handicap
// run, the dataset build, the scratch editor and the card and results
// commands; safe from any thread.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/card_file_names.h"

namespace stridewell {

struct Workspace;

// Files an unpack placed in a folder, removed when the object goes (or on
// release()); a moved-from object removes nothing.
class UnpackedFiles {
 public:
  UnpackedFiles() = default;
  UnpackedFiles(std::string folder, std::vector<std::string> names)
      : folder_(std::move(folder)), names_(std::move(names)) {}
  UnpackedFiles(UnpackedFiles&& other) noexcept;
  UnpackedFiles& operator=(UnpackedFiles&& other) noexcept;
  UnpackedFiles(const UnpackedFiles&) = delete;
  UnpackedFiles& operator=(const UnpackedFiles&) = delete;
  ~UnpackedFiles() { release(); }

  // Removes the files now.
  void release();

 private:
  std::string folder_;
  std::vector<std::string> names_;
};

struct OpenedFile {
  // Declared first so that it goes last, after the stream on the copy closed.
  UnpackedFiles unpacked;
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
  // The archive that was to hold the file is no zip archive at all.
  bool notAnArchive = false;

  explicit operator bool() const { return stream != nullptr; }
  bool fromArchive() const { return !archivePath.empty(); }
};

// `path` names the plain file (ABC1234.TCF) or its archive (ABC1234M.ZIP,
// which stands for the file it holds). A missing archive, a failed unpack
// and an archive without the file all end without a stream; a copy left in
// UNZIP by an earlier unpack is never taken for the file. Messages are the
// caller's to show. `workspace` gives the program folder (for unzip) and
// UNZIP, which is created when missing. A file that is not a zip archive is
// reported as such before unzip runs.
OpenedFile openCardFile(const std::string& path, const Workspace& workspace);
OpenedFile openResultsFile(const std::string& path, const Workspace& workspace);

// Either of the above, for files of `kind`.
OpenedFile openArchivedFile(const std::string& path, const ArchivedFileKind& kind,
                            const Workspace& workspace);

// The regular file in `folder` called `name` whatever the letter case of
// either: `name` itself when it exists as given, else the first such name
// in sorted order. Empty when there is none.
std::string findFileIgnoringCase(const std::string& folder, const std::string& name);

// Whether the file starts as a zip archive does ("PK\3\4", or "PK\5\6" for
// an empty one); `problem` names the file and says why when it does not, or
// cannot be read.
enum class ZipCheck { kZipArchive, kNotZipArchive, kUnreadable };
ZipCheck checkZipArchive(const std::string& path, std::string& problem);

}  // namespace stridewell
