// One field of a comma-separated card or results line, for code that needs a
// few fields of a line rather than a whole race (the scratch editor). Commas
// inside double quotes belong to the field. Pure; safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace stridewell {

// Field `fieldNumber` (counted from 1) of `line`. Every double quote toggles
// the quoted state over the whole line; a comma outside quotes ends a field.
// The quotes stay in the text unless `dropQuotes` is set. The result has its
// leading and trailing white space removed; a line with fewer fields (or a
// field number below 1) gives "".
std::string lineField(std::string_view line, int fieldNumber, bool dropQuotes);

}  // namespace stridewell
