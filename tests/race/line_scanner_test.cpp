#include "race/line_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "race/field_slots.h"

namespace stridewell {
namespace {

// Field 1: 10 characters, field 2: 4, field 3: a track code of 7, field 4: 6.
const FieldLayout& testLayout() {
  static const FieldLayout layout{{1, 1, 10}, {2, 2, 4}, {3, 3, 7, true}, {4, 4, 6}};
  return layout;
}

struct LineSeen {
  std::string f1, f2, f3, f4;
  std::string raw;
  int number = 0;
  bool empty = false;
  bool last = false;
};

std::vector<LineSeen> scan(std::istream& in, size_t rawCapacity) {
  FieldSlots slots(testLayout());
  LineScanner scanner(in, slots, rawCapacity);
  std::vector<LineSeen> lines;
  while (scanner.readLine() && lines.size() < 1000) {
    lines.push_back({std::string(slots[1]), std::string(slots[2]), std::string(slots[3]),
                     std::string(slots[4]), std::string(scanner.rawLine()), scanner.lineNumber(),
                     scanner.lineEmpty(), scanner.fileEnded()});
  }
  return lines;
}

std::vector<LineSeen> scan(const std::string& text, size_t rawCapacity = 100) {
  std::istringstream in(text);
  return scan(in, rawCapacity);
}

bool operator==(const LineSeen& a, const LineSeen& b) {
  return a.f1 == b.f1 && a.f2 == b.f2 && a.f3 == b.f3 && a.f4 == b.f4 && a.raw == b.raw &&
         a.number == b.number && a.empty == b.empty && a.last == b.last;
}

// Hands out at most `step` bytes per read, so that every byte sequence
// meets a refill somewhere.
class TrickleBuf : public std::streambuf {
 public:
  TrickleBuf(std::string text, size_t step) : text_(std::move(text)), step_(step) {}

 protected:
  std::streamsize xsgetn(char* out, std::streamsize n) override {
    const size_t count = std::min({static_cast<size_t>(n), step_, text_.size() - pos_});
    text_.copy(out, count, pos_);
    pos_ += count;
    return static_cast<std::streamsize>(count);
  }
  int_type underflow() override {
    return pos_ < text_.size() ? traits_type::to_int_type(text_[pos_]) : traits_type::eof();
  }
  int_type uflow() override {
    return pos_ < text_.size() ? traits_type::to_int_type(text_[pos_++]) : traits_type::eof();
  }

 private:
  std::string text_;
  size_t step_;
  size_t pos_ = 0;
};

TEST(LineScanner, OneLineFieldRules) {
  struct Case {
    const char* what;
    std::string text;
    std::string f1, f2;
  };
  const Case cases[] = {
      {"plain fields", "abc,de\n", "abc", "de"},
      {"quotes are not part of the text", "\"abc\",\"de\"\n", "abc", "de"},
      {"a comma inside quotes is text", "\"a,b\",c\n", "a,b", "c"},
      {"a doubled quote toggles twice", "a\"\"b,c\n", "ab", "c"},
      {"quotes in the middle of a field", "a\"b,c\"d,e\n", "ab,cd", "e"},
      {"blanks trimmed on both sides", "  ab  ,  c \n", "ab", "c"},
      {"blanks inside quotes trimmed too", " \" ab \" ,c\n", "ab", "c"},
      {"inner blanks kept", "a  b,c\n", "a  b", "c"},
      {"a tab is not a blank", "\tab\t,c\n", "\tab\t", "c"},
      {"cut to capacity", "0123456789XYZ,abcdefg\n", "0123456789", "abcd"},
      {"trimmed, then cut: blanks inside the kept part stay", "x,  ab  cd  \n", "x", "ab  "},
      {"trailing blanks beyond the capacity go", "x,ab        \n", "x", "ab"},
      {"leading blanks do not count against the capacity", "x,          wxyz\n", "x", "wxyz"},
      {"CR LF ends the line", "abc,de\r\n", "abc", "de"},
      {"a bare CR is a character", "a\rb,c\n", "a\rb", "c"},
      {"no final line end", "abc,de", "abc", "de"},
      {"an empty field", ",de\n", "", "de"},
  };
  for (const Case& c : cases) {
    const auto lines = scan(c.text);
    ASSERT_EQ(lines.size(), 1u) << c.what;
    EXPECT_EQ(lines[0].f1, c.f1) << c.what;
    EXPECT_EQ(lines[0].f2, c.f2) << c.what;
    EXPECT_TRUE(lines[0].last) << c.what;
  }
}

TEST(LineScanner, TrackCodeFieldsAreNormalisedAfterTrimAndCut) {
  struct Case {
    std::string field;
    std::string stored;
  };
  const Case cases[] = {
      {"sa", "saX"}, {" FP ", "FMP"}, {"\"FP\"", "FMP"}, {"fp", "fpX"}, {"AQU", "AQU"},
      {"SANTA ANITA", "SAN"}, {"S", "S"}, {"", ""},
  };
  for (const Case& c : cases) {
    const auto lines = scan("a,b," + c.field + "\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].f3, c.stored) << "field \"" << c.field << "\"";
  }
}

TEST(LineScanner, LineEndsAndControlCharacters) {
  // Control characters after a line end vanish, blank lines among them; the
  // line numbers still count every LF.
  const auto lines = scan("a1\n\x01\x02\r\n\n\tb1,x\r\n\x1f c1\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].f1, "a1");
  EXPECT_EQ(lines[0].number, 1);
  EXPECT_EQ(lines[1].f1, "b1");  // the tab right after the line end was skipped
  EXPECT_EQ(lines[1].number, 4);
  EXPECT_EQ(lines[2].f1, "c1");
  EXPECT_EQ(lines[2].number, 5);
  EXPECT_FALSE(lines[1].last);
  EXPECT_TRUE(lines[2].last);

  // Control characters inside a line are ordinary characters.
  const auto inside = scan("a\x01" "b,c\n");
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0].f1, "a\x01" "b");

  // Trailing control characters at the end of the file make no extra line.
  const auto trailing = scan("a\n\r\n\x01\n");
  ASSERT_EQ(trailing.size(), 1u);
  EXPECT_TRUE(trailing[0].last);

  // A bare CR does not end a line and is not counted as one.
  const auto bareCr = scan("a\rb\rc\nd\n");
  ASSERT_EQ(bareCr.size(), 2u);
  EXPECT_EQ(bareCr[0].f1, "a\rb\rc");
  EXPECT_EQ(bareCr[1].number, 2);
}

TEST(LineScanner, QuotedStateEndsWithTheLine) {
  const auto lines = scan("\"ab,cd\nef,gh\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].f1, "ab,cd");
  EXPECT_EQ(lines[1].f1, "ef");  // the open quote does not reach the next line
  EXPECT_EQ(lines[1].f2, "gh");
}

TEST(LineScanner, SlotsKeepTheirTextUntilReadAgain) {
  const auto lines = scan("a,b,sa,d\ne,f\ng\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].f1, "e");
  EXPECT_EQ(lines[1].f2, "f");
  EXPECT_EQ(lines[1].f3, "saX");  // left from line 1
  EXPECT_EQ(lines[1].f4, "d");
  EXPECT_EQ(lines[2].f1, "g");
  EXPECT_EQ(lines[2].f2, "f");
}

TEST(LineScanner, FieldNumbersRestartOnEveryLine) {
  const auto lines = scan("a,b,c,d,e,f,g,h\n1,2\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].f4, "d");  // field 8 ("h") did not land in any slot
  EXPECT_EQ(lines[1].f1, "1");
  EXPECT_EQ(lines[1].f2, "2");
}

TEST(LineScanner, RawLineKeepsQuotesAndIsCapped) {
  const auto lines = scan("\"a\", b ,c\r\n", 100);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].raw, "\"a\", b ,c");  // quotes, blanks and commas; no line end

  const auto capped = scan("abcdefgh,wxyz\n", 5);
  ASSERT_EQ(capped.size(), 1u);
  EXPECT_EQ(capped[0].raw, "abcde");
  EXPECT_EQ(capped[0].f2, "wxyz");  // still parsed beyond the raw capacity

  const auto none = scan("abc\n", 0);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].raw, "");
  EXPECT_FALSE(none[0].empty);
}

TEST(LineScanner, EmptyInput) {
  EXPECT_TRUE(scan("").size() <= 1u);
  for (const auto& line : scan("")) EXPECT_TRUE(line.empty);

  const auto leadingLineEnd = scan("\nabc\n");
  ASSERT_EQ(leadingLineEnd.size(), 2u);
  EXPECT_TRUE(leadingLineEnd[0].empty);
  EXPECT_EQ(leadingLineEnd[1].f1, "abc");
  EXPECT_EQ(leadingLineEnd[1].number, 2);
  EXPECT_FALSE(leadingLineEnd[1].empty);
}

TEST(LineScanner, NulBytesDoNotDerail) {
  const std::string text("a\0b,cd\n\0\0ef,gh\n", 15);
  const auto lines = scan(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].f2, "cd");
  EXPECT_EQ(lines[1].f1, "ef");  // NULs after a line end are control characters
  EXPECT_EQ(lines[1].f2, "gh");
}

TEST(LineScanner, ShortReadsGiveTheSameLines) {
  const std::string text =
      "\n\"a,b\", c ,sa,\"d\"\r\n\r\n\x01x\ry,\"\"z\r\r\n  long field beyond capacity  ,q\n\tlast,\"open";
  const auto expected = scan(text);
  ASSERT_EQ(expected.size(), 5u);  // the leading empty line counts
  for (size_t step : {1u, 2u, 3u, 7u}) {
    TrickleBuf buf(text, step);
    std::istream in(&buf);
    const auto lines = scan(in, 100);
    ASSERT_EQ(lines.size(), expected.size()) << "step " << step;
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_TRUE(lines[i] == expected[i]) << "step " << step << ", line " << i;
    }
  }
}

TEST(LineScanner, LineEndsAcrossBufferBoundaries) {
  // Put the CR of a CR LF, or a bare CR, on each side of every likely
  // buffer boundary.
  for (int k = 10; k <= 17; ++k) {
    for (size_t length = (size_t{1} << k) - 2; length <= (size_t{1} << k) + 1; ++length) {
      const std::string first = "ab," + std::string(length - 3, 'x');
      const auto crlf = scan(first + "\r\nc,d\n", 1 << 18);
      ASSERT_EQ(crlf.size(), 2u) << "CR LF after " << length;
      EXPECT_EQ(crlf[0].raw.size(), length) << "the CR of CR LF is no character";
      EXPECT_EQ(crlf[1].f1, "c");
      EXPECT_EQ(crlf[1].number, 2);

      const auto bare = scan(first + "\rc,d\n", 1 << 18);
      ASSERT_EQ(bare.size(), 1u) << "bare CR after " << length;
      EXPECT_EQ(bare[0].raw.size(), length + 4);
      EXPECT_EQ(bare[0].f2, "xxxx");  // field 2 runs on through the CR, cut to 4
    }
  }
}

}  // namespace
}  // namespace stridewell
