// Text in the other letter case ("mAIDEN sPECIAL wEIGHT"), for the tests of
// words that must be taken whatever their case.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace stridewell::test {

inline std::string swappedCase(std::string_view text) {
  std::string swapped(text);
  for (char& c : swapped) {
    const auto u = static_cast<unsigned char>(c);
    c = static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
  }
  return swapped;
}

}  // namespace stridewell::test
