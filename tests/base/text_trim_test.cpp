// Trimming: each blank set takes its own characters from either end, and
// nothing else (not inner blanks, not a NUL); the result is a view into the
// text, so a caller can still tell where the kept part began.
#include "base/text_trim.h"

#include <gtest/gtest.h>

#include <string>

namespace stridewell {
namespace {

using namespace std::string_literals;

TEST(TextTrim, EachBlankSetTakesItsOwnCharactersFromBothEnds) {
  struct Case {
    std::string text;
    std::string_view blanks;
    std::string both, front, back;
  };
  const Case kCases[] = {
      {"", kSpaceTab, "", "", ""},
      {" \t ", kSpaceTab, "", "", ""},
      {"  a b\t", kSpaceTab, "a b", "a b\t", "  a b"},
      {"\ta\t\t", kSpaceTab, "a", "a\t\t", "\ta"},
      {"\r\na\r\n", kSpaceTab, "\r\na\r\n", "\r\na\r\n", "\r\na\r\n"},
      {" \r\n\v\fa b\f\v\n\r\t ", kWhiteSpace, "a b", "a b\f\v\n\r\t ", " \r\n\v\fa b"},
      {"\v\f", kWhiteSpace, "", "", ""},
      {" \t1\t ", " ", "\t1\t", "\t1\t ", " \t1\t"},
      {" \0 "s, kSpaceTab, "\0"s, "\0 "s, " \0"s},
      {"x", kSpaceTab, "x", "x", "x"},
  };
  for (const Case& c : kCases) {
    const std::string shown = testing::PrintToString(c.text) + " blanks " + testing::PrintToString(c.blanks);
    EXPECT_EQ(trimmed(c.text, c.blanks), c.both) << shown;
    EXPECT_EQ(trimmedFront(c.text, c.blanks), c.front) << shown;
    EXPECT_EQ(trimmedBack(c.text, c.blanks), c.back) << shown;
  }
}

TEST(TextTrim, TheResultIsAViewIntoTheText) {
  const std::string text = "  ab  ";
  const std::string_view kept = trimmed(text, kSpaceTab);
  EXPECT_EQ(kept.data(), text.data() + 2);
  EXPECT_EQ(trimmedFront(text, kSpaceTab).data(), text.data() + 2);
  EXPECT_EQ(trimmedBack(text, kSpaceTab).data(), text.data());
}

}  // namespace
}  // namespace stridewell
