// Moving a user's file to a new name without ever replacing another file
// of that name: renaming a dataset or a SIM must not destroy the one the
// new name already belongs to.
#pragma once

#include <string>
#include <system_error>

#include "base/file_system.h"

namespace stridewell {

// Moves `from` to `to` unless `to` exists, atomically where the file system
// allows. False, with nothing changed, when `to` exists or the move fails;
// `error` then receives the system's reason, when given.
bool moveWithoutReplacing(const std::string& from, const std::string& to, std::error_code* error = nullptr,
                          FileSystem& fileSystem = realFileSystem());

// "<from> -> <to>: <reason>", the line that follows a failed move's message.
std::string moveFailureDetail(const std::string& from, const std::string& to, const std::error_code& error);

}  // namespace stridewell
