// Moving a user's file to a new name without ever replacing another file
// of that name: renaming a dataset or a SIM must not destroy the one the
// new name already belongs to.
#pragma once

#include <string>

namespace stridewell {

// Moves `from` to `to` unless `to` exists, atomically where the file system
// allows. False, with nothing changed, when `to` exists or the move fails.
bool moveWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace stridewell
