// Letter case: only the 26 ASCII letters change case; the bytes beside them
// ('@', '[', '`', '{'), digits and bytes beyond ASCII are left alone, so a
// name never matches another that differs in any such byte, whatever the
// process locale.
#include "base/text_case.h"

#include <gtest/gtest.h>

#include <string>

namespace stridewell {
namespace {

using namespace std::string_literals;

TEST(TextCase, OnlyTheAsciiLettersChangeCase) {
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const bool upperLetter = byte >= 'A' && byte <= 'Z';
    const bool lowerLetter = byte >= 'a' && byte <= 'z';
    EXPECT_EQ(upperAscii(c), lowerLetter ? static_cast<char>(byte - 32) : c) << "byte " << byte;
    EXPECT_EQ(lowerAscii(c), upperLetter ? static_cast<char>(byte + 32) : c) << "byte " << byte;
  }
}

TEST(TextCase, EqualityIgnoresTheCaseOfLettersOnly) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const Case kCases[] = {
      {"", "", true},
      {"SAR", "sar", true},
      {"Default.SIM", "dEFAULT.sim", true},
      {"y", "Y", true},
      {"yes", "YeS", true},
      {"SAR", "SARX", false},
      {"SAR", "SA", false},
      {"@", "`", false},  // 0x40 and 0x60 differ by the case bit, yet are no letters
      {"[", "{", false},
      {"^", "~", false},
      {"1", "1", true},
      {"\xc9", "\xe9", false},          // Latin-1 capital and small E acute
      {"\xc3\x89", "\xc3\xa9", false},  // the same in UTF-8
      {"a\0b"s, "A\0B"s, true},
      {"a\0b"s, "a\0c"s, false},
      {"a"s, "a\0"s, false},
  };
  for (const Case& c : kCases) {
    const std::string shown = testing::PrintToString(c.a) + " and " + testing::PrintToString(c.b);
    EXPECT_EQ(equalsIgnoreCase(c.a, c.b), c.equal) << shown;
    EXPECT_EQ(equalsIgnoreCase(c.b, c.a), c.equal) << shown;
  }
}

TEST(TextCase, UpperCaseTextKeepsEveryOtherByte) {
  EXPECT_EQ(upperAscii("abc1234m.zip"), "ABC1234M.ZIP");
  EXPECT_EQ(upperAscii("@[`{\xe9z"s), "@[`{\xe9Z"s);
  EXPECT_EQ(upperAscii("a\0b"s), "A\0B"s);
  EXPECT_EQ(upperAscii(""), "");
}

}  // namespace
}  // namespace stridewell
