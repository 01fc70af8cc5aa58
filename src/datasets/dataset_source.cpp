#include "datasets/dataset_source.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace stridewell {

namespace {

constexpr size_t kStreamBufferBytes = 32768;

}  // namespace

DatasetSource::DatasetSource() : buffer_(kStreamBufferBytes) {}

bool DatasetSource::open(const std::string& path) {
  const auto fail = [&](int code) {
    problem_ = path + ": " + std::error_code(code, std::generic_category()).message();
    return false;
  };
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return fail(errno);
  if (S_ISDIR(info.st_mode)) return fail(EISDIR);
  if (!S_ISREG(info.st_mode)) return fail(EINVAL);
  // The buffer must be set before the file is opened to take effect.
  stream_.rdbuf()->pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  errno = 0;
  stream_.open(path, std::ios::binary | std::ios::in);
  if (!stream_.is_open()) return fail(errno != 0 ? errno : EIO);
  stream_.seekg(0, std::ios::end);
  const std::streamoff end = stream_.tellg();
  stream_.seekg(0, std::ios::beg);
  if (end < 0 || !stream_) {
    stream_.close();
    return fail(EIO);
  }
  size_ = static_cast<uint64_t>(end);
  return true;
}

int DatasetSource::percentAt(uint64_t position) const {
  if (size_ == 0) return 0;
  const double percent = static_cast<double>(position) * 100.0 / static_cast<double>(size_);
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}

}  // namespace stridewell
