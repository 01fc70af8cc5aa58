#include "base/file_moves.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace stridewell {

// renameat2 is refused with EINVAL by file systems that lack
// RENAME_NOREPLACE (and ENOSYS on old kernels); link + unlink is then the
// no-replace move, since link never replaces an existing name.
bool moveWithoutReplacing(const std::string& from, const std::string& to, std::error_code* error) {
  const auto failed = [error](int code) {
    if (error != nullptr) *error = std::error_code(code, std::generic_category());
    return false;
  };
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return failed(errno);
  if (::link(from.c_str(), to.c_str()) != 0) return failed(errno);
  if (::unlink(from.c_str()) == 0) return true;
  const int code = errno;
  // Both names now lead to the file; drop the new one so nothing changed.
  ::unlink(to.c_str());
  return failed(code);
}

std::string moveFailureDetail(const std::string& from, const std::string& to, const std::error_code& error) {
  return from + " -> " + to + ": " + error.message();
}

}  // namespace stridewell
