#include "base/file_moves.h"

namespace stridewell {

bool moveWithoutReplacing(const std::string& from, const std::string& to, std::error_code* error,
                          FileSystem& fileSystem) {
  const std::error_code failure = fileSystem.renameWithoutReplacing(from, to);
  if (!failure) return true;
  if (error != nullptr) *error = failure;
  return false;
}

std::string moveFailureDetail(const std::string& from, const std::string& to, const std::error_code& error) {
  return from + " -> " + to + ": " + error.message();
}

}  // namespace stridewell
