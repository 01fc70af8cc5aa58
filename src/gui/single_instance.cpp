#include "gui/single_instance.h"

#include <QDir>
#include <QLockFile>

namespace stridewell::gui {

SingleInstance::SingleInstance() = default;
SingleInstance::~SingleInstance() = default;

SingleInstance::Outcome SingleInstance::acquire(const QString& folder) {
  if (held()) return Outcome::kAcquired;
  if (folder.isEmpty() || !QDir().mkpath(folder)) return Outcome::kNoLock;
  auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(lockFileName()));
  // A lock never goes stale by age: the program may run for days. Only a
  // lock whose process is gone is taken over (QLockFile checks the pid).
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) {
    return lock->error() == QLockFile::LockFailedError ? Outcome::kHeldElsewhere : Outcome::kNoLock;
  }
  lock_ = std::move(lock);
  return Outcome::kAcquired;
}

bool SingleInstance::held() const {
  return lock_ && lock_->isLocked();
}

}  // namespace stridewell::gui
