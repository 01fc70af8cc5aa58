// One running copy of the desktop program per Workspace: a lock file in
// the Workspace base folder, held for the life of the program. A lock left
// by a copy that crashed is recognised (its process is gone) and taken
// over, so a crash never locks the user out.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "base/program_name.h"

class QLockFile;

namespace stridewell::gui {

// What a second copy says before it leaves.
inline std::string alreadyRunningText() {
  return std::string(kProgramName) + " is already running.";
}

class SingleInstance {
 public:
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  enum class Outcome {
    kAcquired,
    kHeldElsewhere,  // another running copy holds it
    kNoLock,         // the folder cannot be made or cannot hold a lock file
  };
  // Takes the lock in `folder` (made when missing). Only kHeldElsewhere
  // refuses a start: when the folder cannot hold a lock, the start-up
  // sequence names the folder that cannot be made.
  Outcome acquire(const QString& folder);
  bool held() const;

  static QString lockFileName() { return QStringLiteral("stridewell-gui.lock"); }

 private:
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace stridewell::gui
