// Trimming of typed and stored text. Which characters count as blanks
// differs by caller (a settings line, a typed name, a terminal reply), so
// every caller names its set. Plain functions; anyone may call them.
#pragma once

#include <string_view>

namespace stridewell {

inline constexpr std::string_view kSpaceTab = " \t";
// What the C library's isspace takes in the "C" locale.
inline constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";

// `text` without the characters of `blanks` at its start / its end / both.
inline std::string_view trimmedFront(std::string_view text, std::string_view blanks) {
  const size_t first = text.find_first_not_of(blanks);
  return first == std::string_view::npos ? text.substr(text.size()) : text.substr(first);
}
inline std::string_view trimmedBack(std::string_view text, std::string_view blanks) {
  const size_t last = text.find_last_not_of(blanks);
  return last == std::string_view::npos ? text.substr(0, 0) : text.substr(0, last + 1);
}
inline std::string_view trimmed(std::string_view text, std::string_view blanks) {
  return trimmedBack(trimmedFront(text, blanks), blanks);
}

}  // namespace stridewell
