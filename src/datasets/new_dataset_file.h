// A dataset being written by a split or a combine: the races go to a hidden
// file beside the dataset (".<name>.DSI.new-<pid>", the name the create run
// uses too, which the dataset listing removes once its process is gone),
// and only commit() renames it to the dataset's name. A run that is
// cancelled, fails or is killed never leaves a partial dataset, and a
// dataset of that name stays as it was until the new one is complete. One
// object per output, on one thread.
#pragma once

#include <memory>
#include <string>

#include "base/file_system.h"

namespace stridewell {

struct Race;
struct Workspace;

class NewDatasetFile {
 public:
  // Creates the hidden file for dataset `name` (a valid name) in DATASETS.
  // ok() is false when that fails or when the dataset's path is a folder,
  // which no rename could replace. Everything is written through
  // `fileSystem`.
  NewDatasetFile(const Workspace& workspace, const std::string& name,
                 FileSystem& fileSystem = realFileSystem());
  // Removes the hidden file unless commit() succeeded.
  ~NewDatasetFile();
  NewDatasetFile(const NewDatasetFile&) = delete;
  NewDatasetFile& operator=(const NewDatasetFile&) = delete;

  bool ok() const { return ok_; }
  // The file that failed and the system's reason, once ok() or commit()
  // turned false; empty before.
  const std::string& problem() const { return problem_; }

  // Adds one race record. False once any write has failed (the disk is
  // full, the file cannot be written); the failure may show a few races
  // after the one that met it, since the file is written in 32 KiB blocks.
  bool write(const Race& race);

  // Writes out the rest, flushes it to disk and renames it to the dataset
  // path, replacing any file of that name; an append journal left there by
  // an interrupted append of the old dataset is settled first, so that it
  // can never cut the new dataset back. False on any failure; the hidden
  // file is then removed and the dataset path left as it was.
  bool commit();

 private:
  bool flush();
  bool fail(const std::string& path, int code);
  bool fail(const std::string& path, std::error_code error);

  FileSystem& fileSystem_;
  std::string target_;
  std::string path_;
  std::unique_ptr<WritableFile> file_;
  std::string buffer_;
  bool ok_ = false;
  bool committed_ = false;
  std::string problem_;
};

}  // namespace stridewell
