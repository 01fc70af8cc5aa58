// A file system for tests that passes every operation to the real one except
// the faults it is told to make: a full disk from the Nth write on, a short
// write, a failed flush to disk, close, rename or create. Writes are counted
// across every file it opens, so "the Nth write" is deterministic for one
// writer. Any thread may use it.
#pragma once

#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "base/file_system.h"

namespace stridewell::test {

class FaultyFileSystem final : public FileSystem {
 public:
  // Write calls from the `nth` on (1-based) fail with `error`, as on a disk
  // that has filled up.
  void failWritesFrom(int nth, int error = ENOSPC) {
    std::lock_guard lock(mutex_);
    failWritesFrom_ = nth;
    writeError_ = error;
  }
  // Write call `nth` takes only half of its bytes (at least one); the
  // writer must come back for the rest.
  void shortenWrite(int nth) {
    std::lock_guard lock(mutex_);
    shortWrite_ = nth;
  }
  void failSync(int error = EIO) { setError(syncError_, error); }
  void failClose(int error = EIO) { setError(closeError_, error); }
  // Both kinds of rename.
  void failRename(int error) { setError(renameError_, error); }
  void failCreate(int error) { setError(createError_, error); }

  int writeCalls() const {
    std::lock_guard lock(mutex_);
    return writeCalls_;
  }

  std::unique_ptr<WritableFile> createUnique(std::string& pathTemplate, std::error_code& error) override {
    if (refused(createError_, error)) return nullptr;
    return wrapped(real_.createUnique(pathTemplate, error));
  }
  std::unique_ptr<WritableFile> createFile(const std::string& path, std::error_code& error) override {
    if (refused(createError_, error)) return nullptr;
    return wrapped(real_.createFile(path, error));
  }
  std::unique_ptr<WritableFile> openForAppend(const std::string& path, std::error_code& error) override {
    if (refused(createError_, error)) return nullptr;
    return wrapped(real_.openForAppend(path, error));
  }
  std::error_code rename(const std::string& from, const std::string& to) override {
    std::error_code error;
    if (refused(renameError_, error)) return error;
    return real_.rename(from, to);
  }
  std::error_code renameWithoutReplacing(const std::string& from, const std::string& to) override {
    std::error_code error;
    if (refused(renameError_, error)) return error;
    return real_.renameWithoutReplacing(from, to);
  }
  std::error_code remove(const std::string& path) override { return real_.remove(path); }

 private:
  class File final : public WritableFile {
   public:
    File(FaultyFileSystem& owner, std::unique_ptr<WritableFile> real)
        : owner_(owner), real_(std::move(real)) {}

    size_t writeSome(std::string_view bytes, std::error_code& error) override {
      int failure = 0;
      bool shortened = false;
      {
        std::lock_guard lock(owner_.mutex_);
        const int call = ++owner_.writeCalls_;
        if (owner_.failWritesFrom_ > 0 && call >= owner_.failWritesFrom_) failure = owner_.writeError_;
        shortened = call == owner_.shortWrite_;
      }
      if (failure != 0) {
        error = std::error_code(failure, std::generic_category());
        return 0;
      }
      if (shortened && bytes.size() > 1) bytes = bytes.substr(0, bytes.size() / 2);
      return real_->writeSome(bytes, error);
    }
    std::error_code sync() override {
      std::error_code error;
      if (owner_.refused(owner_.syncError_, error)) return error;
      return real_->sync();
    }
    std::error_code close() override {
      const std::error_code closed = real_->close();
      std::error_code error;
      if (owner_.refused(owner_.closeError_, error)) return error;
      return closed;
    }
    std::error_code setMode(mode_t mode) override { return real_->setMode(mode); }
    std::error_code setOwner(uid_t owner, gid_t group) override { return real_->setOwner(owner, group); }

   private:
    FaultyFileSystem& owner_;
    std::unique_ptr<WritableFile> real_;
  };

  void setError(int& slot, int error) {
    std::lock_guard lock(mutex_);
    slot = error;
  }
  bool refused(const int& slot, std::error_code& error) const {
    std::lock_guard lock(mutex_);
    if (slot == 0) return false;
    error = std::error_code(slot, std::generic_category());
    return true;
  }
  std::unique_ptr<WritableFile> wrapped(std::unique_ptr<WritableFile> real) {
    if (!real) return nullptr;
    return std::make_unique<File>(*this, std::move(real));
  }

  FileSystem& real_ = realFileSystem();
  mutable std::mutex mutex_;
  int failWritesFrom_ = 0;
  int writeError_ = ENOSPC;
  int shortWrite_ = 0;
  int writeCalls_ = 0;
  int syncError_ = 0;
  int closeError_ = 0;
  int renameError_ = 0;
  int createError_ = 0;
};

}  // namespace stridewell::test
