#include "race/line_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "race/card_line.h"
#include "race/check_code.h"
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
      {"a CR on its own ends the line", "ab,c\r", "ab", "c"},
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
      {"sa", "saX"},  {" FP ", "FMP"},        {"\"FP\"", "FMP"}, {"fp", "fpX"},
      {"AQU", "AQU"}, {"SANTA ANITA", "SAN"}, {"S", "S"},        {"", ""},
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
  const auto inside = scan(
      "a\x01"
      "b,c\n");
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0].f1,
            "a\x01"
            "b");

  // Trailing control characters at the end of the file make no extra line.
  const auto trailing = scan("a\n\r\n\x01\n");
  ASSERT_EQ(trailing.size(), 1u);
  EXPECT_TRUE(trailing[0].last);

  // A CR on its own ends a line (old Mac files) and counts as one.
  const auto bareCr = scan("a\rb\rc\nd\n");
  ASSERT_EQ(bareCr.size(), 4u);
  EXPECT_EQ(bareCr[0].f1, "a");
  EXPECT_EQ(bareCr[2].f1, "c");
  EXPECT_EQ(bareCr[3].number, 4);
}

TEST(LineScanner, EveryKindOfLineEnd) {
  // The same three lines, the second after a blank one, with each kind of
  // line end and with them mixed: same fields, same line numbers.
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"LF", "a,1\n\nb,2\nc,3\n"},      {"CR LF", "a,1\r\n\r\nb,2\r\nc,3\r\n"},
      {"CR", "a,1\r\rb,2\rc,3\r"},      {"CR without a last line end", "a,1\r\rb,2\rc,3"},
      {"mixed", "a,1\r\n\rb,2\nc,3\r"}, {"quoted field open at a CR", "a,\"1\r\rb,2\rc,3\n"},
  };
  for (const Case& c : cases) {
    const auto lines = scan(c.text);
    ASSERT_EQ(lines.size(), 3u) << c.what;
    const char* names[] = {"a", "b", "c"};
    const int numbers[] = {1, 3, 4};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(lines[i].f1, names[i]) << c.what << ", line " << i;
      EXPECT_EQ(lines[i].f2, std::to_string(i + 1)) << c.what << ", line " << i;
      EXPECT_EQ(lines[i].raw.find('\r'), std::string::npos) << c.what << ", line " << i;
      EXPECT_EQ(lines[i].number, numbers[i]) << c.what << ", line " << i;
    }
    EXPECT_TRUE(lines[2].last) << c.what;
  }
}

TEST(LineScanner, FieldsAreCountedUpToALimit) {
  struct Case {
    std::string line;
    int limit;
    int counted;
  };
  const Case cases[] = {
      {"a", 10, 1},
      {",,,", 10, 4},
      {"a,b,c,d,e,f,g,h,i,j", 10, 10},
      {"a,b,c,d,e,f,g,h,i,j,k", 10, 11},
      {std::string(5000, ','), 10, 11},
      {std::string(5000, ','), 4000, 4001},
      {"a,\",,,,\",b", 10, 3},  // commas in quotes separate nothing
      {"x,y,z" + std::string(3000, ',') + "\r", 3003, 3003},
  };
  for (const Case& c : cases) {
    for (const char* end : {"\n", "\r\n", "\r", ""}) {
      const bool lastLine = *end == '\0';
      std::istringstream in(c.line + end + (lastLine ? "" : "next,line\n"));
      FieldSlots slots(testLayout());
      LineScanner scanner(in, slots, 0);
      scanner.countFieldsTo(c.limit);
      ASSERT_TRUE(scanner.readLine());
      EXPECT_EQ(scanner.fieldCount(), c.counted) << c.line.substr(0, 20) << " up to " << c.limit;
      if (lastLine) continue;
      ASSERT_TRUE(scanner.readLine());
      EXPECT_EQ(slots[1], "next");
      EXPECT_EQ(scanner.fieldCount(), 2);
    }
  }
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
  ASSERT_EQ(expected.size(), 6u);  // the leading empty line counts
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
      ASSERT_EQ(bare.size(), 2u) << "bare CR after " << length;
      EXPECT_EQ(bare[0].raw.size(), length) << "a CR line end is no character";
      EXPECT_EQ(bare[1].f1, "c");
      EXPECT_EQ(bare[1].number, 2);
    }
  }
}

// ---- The scanner against a plain second reading of the lexical rules ----
// The scanner reads most fields eight bytes at a time and only some of them
// character by character; these tests hold it to a character-by-character
// reading of the rules, kept apart from the product's code, over lines made
// of the awkward pieces real and damaged files hold.

// What a line leaves behind: every kept field's slot text, the raw line and
// where its check commas lie.
struct LineResult {
  std::vector<std::string> slots;  // by field number; empty for fields not kept
  std::string raw;
  int number = 0;
  bool empty = false;
  bool last = false;
  CheckCommas commas;
};

// A kept field's slot text from the field's characters (quotes already
// gone), read from the description: leading blanks go; trailing blanks go
// when what is left fits the slot, else the text is cut to the capacity;
// the slot holds a C string, so a NUL ends the text; track codes are cut to
// three characters, "FP" becomes "FMP" and a two-letter code gets an "X".
std::string referenceSlotText(const std::string& field, size_t capacity, bool trackCode) {
  const size_t first = field.find_first_not_of(' ');
  const std::string full = first == std::string::npos ? "" : field.substr(first);
  const size_t last = full.find_last_not_of(' ');
  const std::string trimmed = last == std::string::npos ? "" : full.substr(0, last + 1);
  std::string text = trimmed.size() <= capacity ? trimmed : full.substr(0, capacity);
  text = text.substr(0, text.find('\0'));
  if (trackCode) {
    if (text.size() > 3) text.resize(3);
    if (text == "FP") {
      text = "FMP";
    } else if (text.size() == 2) {
      text += 'X';
    }
  }
  return text;
}

// The separator commas the check uses, counted over the whole line.
CheckCommas referenceCheckCommas(const std::string& line) {
  CheckCommas at;
  bool quoted = false;
  int commas = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] != ',' || quoted) continue;
    ++commas;
    if (commas == kCrcFirstComma) at.crcFirst = i;
    if (commas == kCrcLastComma) at.crcLast = i;
    if (commas == kCheckCodeComma) at.code = i;
  }
  return at;
}

// Applies one line's fields to the slots.
void referenceFields(const std::string& line, const FieldLayout& layout, std::vector<std::string>& slots) {
  int field = 1;
  std::string text;
  bool quoted = false;
  auto store = [&] {
    if (layout.offsetOf(field) >= 0) {
      slots[field] = referenceSlotText(text, layout.capacityOf(field), layout.isTrackCode(field));
    }
  };
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      store();
      ++field;
      text.clear();
    } else {
      text += c;
    }
  }
  store();  // the field the line ends in, even when it is empty
}

std::vector<LineResult> referenceScan(const std::string& text, const FieldLayout& layout,
                                      size_t rawCapacity) {
  std::vector<LineResult> lines;
  std::vector<std::string> slots(layout.maxField() + 1);
  size_t at = 0;
  int number = 1;
  for (;;) {
    // LF, CR LF and a CR on its own end a line.
    const size_t lineEnd = text.find_first_of("\r\n", at);
    std::string line = text.substr(at, lineEnd == std::string::npos ? std::string::npos : lineEnd - at);
    referenceFields(line, layout, slots);
    LineResult result{slots, line.substr(0, rawCapacity), number, line.empty(),
                      false, referenceCheckCommas(line)};
    if (lineEnd != std::string::npos) {
      at = lineEnd + 1;
      if (text[lineEnd] == '\r' && at < text.size() && text[at] == '\n') ++at;
      ++number;
      // Control characters after a line end vanish; every line end among
      // them counts a line, a CR LF once.
      while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x20) {
        const char c = text[at++];
        if (c == '\r' || (c == '\n' && text[at - 2] != '\r')) ++number;
      }
    }
    result.last = lineEnd == std::string::npos || at == text.size();
    lines.push_back(std::move(result));
    if (result.last) break;
  }
  return lines;
}

std::vector<LineResult> scanWithChecks(std::istream& in, const FieldLayout& layout, size_t rawCapacity) {
  FieldSlots slots(layout);
  LineScanner scanner(in, slots, rawCapacity, LineScanner::CheckCommaSearch::kOn);
  std::vector<LineResult> lines;
  while (scanner.readLine() && lines.size() < 1000) {
    LineResult result;
    result.slots.resize(layout.maxField() + 1);
    for (int field = 1; field <= layout.maxField(); ++field) {
      result.slots[field] = std::string(slots[field]);
      // The length kept beside each slot agrees with its C string.
      if (layout.offsetOf(field) >= 0) {
        EXPECT_EQ(slots[field].size(), std::strlen(slots.slot(field))) << "field " << field;
      }
    }
    result.raw = std::string(scanner.rawLine());
    result.number = scanner.lineNumber();
    result.empty = scanner.lineEmpty();
    result.last = scanner.fileEnded();
    result.commas = scanner.checkCommas();
    lines.push_back(std::move(result));
  }
  return lines;
}

// Reports the first difference, naming the line and the field.
void expectSameLines(const std::vector<LineResult>& seen, const std::vector<LineResult>& expected,
                     const std::string& what) {
  ASSERT_EQ(seen.size(), expected.size()) << what;
  for (size_t i = 0; i < seen.size(); ++i) {
    const LineResult& a = seen[i];
    const LineResult& b = expected[i];
    for (size_t field = 1; field < b.slots.size(); ++field) {
      ASSERT_EQ(a.slots[field], b.slots[field]) << what << ", line " << i + 1 << ", field " << field;
    }
    EXPECT_EQ(a.raw, b.raw) << what << ", line " << i + 1;
    EXPECT_EQ(a.number, b.number) << what << ", line " << i + 1;
    EXPECT_EQ(a.empty, b.empty) << what << ", line " << i + 1;
    EXPECT_EQ(a.last, b.last) << what << ", line " << i + 1;
    EXPECT_EQ(a.commas.crcFirst, b.commas.crcFirst) << what << ", line " << i + 1;
    EXPECT_EQ(a.commas.crcLast, b.commas.crcLast) << what << ", line " << i + 1;
    EXPECT_EQ(a.commas.code, b.commas.code) << what << ", line " << i + 1;
  }
}

// One field's text as written in a file, drawn from the kinds of text that
// take different ways through the scanner.
std::string randomField(std::mt19937& rng) {
  auto pick = [&](std::string_view from) { return from[rng() % from.size()]; };
  auto plain = [&](size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += pick("0123456789ABCXYZabcxyz.-/:@~");
    return text;
  };
  static constexpr char kAnyBytes[] = "ab9 .-\"',\t\r\0\x01\x7f\x80\xff+$";  // a NUL among them
  auto anyText = [&](size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += pick(std::string_view(kAnyBytes, sizeof kAnyBytes - 1));
    return text;
  };
  switch (rng() % 16) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
      return "";
    case 5:
    case 6:
      return plain(1 + rng() % 17);  // around the 8- and 16-byte edges
    case 7:
      return "\"" + plain(rng() % 17) + "\"";  // quoted plain text
    case 8:
      return std::string(rng() % 4, ' ') + plain(1 + rng() % 6) + std::string(rng() % 4, ' ');
    case 9:
      return "\"" + plain(2) + " " + plain(3) + ", " + plain(2) + "\"";  // blanks and a comma in quotes
    case 10:
      return plain(rng() % 3) + "\"" + plain(rng() % 3) + "," + plain(1) + "\"" + plain(rng() % 3);
    case 11:
      return anyText(1 + rng() % 12);  // control bytes, NULs, bare CRs, stray quotes
    case 12:
      return "\"-" + plain(1 + rng() % 4) + "\"";  // a byte just above the plain-text limit after a quote
    case 13:
      return plain(20 + rng() % 120);  // longer than the short cut, often than the slot
    case 14:
      return "\"" + plain(1 + rng() % 5);  // a quote left open
    default:
      return std::string(1 + rng() % 30, ' ');
  }
}

// A line of `fields` fields; now and then the fields around the ones the
// check notes (10, 200, 1495) and around the last kept field are reached.
std::string randomLine(std::mt19937& rng) {
  const int lengths[] = {1, 3, 9, 10, 11, 40, 199, 200, 201, 1149, 1150, 1151, 1494, 1495, 1496, 1503};
  const int fields = lengths[rng() % std::size(lengths)];
  std::string line;
  for (int field = 1; field <= fields; ++field) {
    if (field > 1) line += ',';
    if (rng() % 3 != 0) line += randomField(rng);  // many fields empty, as in real lines
  }
  return line;
}

std::string randomText(std::mt19937& rng) {
  const char* ends[] = {"\n", "\r\n", "\r\r\n", "\n\n\x01\t", "\r\n\r\n"};
  std::string text;
  const int lines = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < lines; ++i) {
    text += randomLine(rng);
    if (i + 1 < lines || rng() % 2 == 0) text += ends[rng() % std::size(ends)];
  }
  return text;
}

TEST(LineScanner, CardLayoutMatchesAPlainReadingOfTheRules) {
  std::mt19937 rng(20260315);
  const FieldLayout& layout = cardFieldLayout();
  for (int round = 0; round < 300; ++round) {
    const std::string text = randomText(rng);
    const size_t rawCapacity = round % 5 == 0 ? 50 : 20479;
    const auto expected = referenceScan(text, layout, rawCapacity);
    std::istringstream whole(text);
    expectSameLines(scanWithChecks(whole, layout, rawCapacity), expected, "round " + std::to_string(round));
    // Refills at every place a field can be cut.
    for (size_t step : {1u, 5u, 8u, 13u}) {
      if (round % 4 != 0 && step != 13u) continue;  // keeps the test quick
      TrickleBuf buf(text, step);
      std::istream in(&buf);
      expectSameLines(scanWithChecks(in, layout, rawCapacity), expected,
                      "round " + std::to_string(round) + ", step " + std::to_string(step));
    }
    if (HasFatalFailure()) return;
  }
}

// Every capacity from 0 to 18 for fields of every length around it, plain,
// quoted, and with blanks, each kept and each next to fields not kept.
TEST(LineScanner, EveryFieldLengthAroundEveryCapacity) {
  const FieldLayout layout{{1, 1, 0},    {2, 2, 1},    {3, 3, 2},    {4, 4, 3, true},
                           {5, 5, 4},    {6, 6, 5},    {7, 7, 6},    {8, 8, 7},
                           {9, 9, 8},    {10, 10, 9},  {11, 11, 14}, {12, 12, 15},
                           {13, 13, 16}, {15, 15, 17}, {17, 17, 18}, {30, 30, 7}};
  for (int length = 0; length <= 20; ++length) {
    const std::string text = std::string("0123456789ABCDEFGHIJKLMN").substr(0, static_cast<size_t>(length));
    for (const std::string& written :
         {text, "\"" + text + "\"", " " + text, text + " ", "\"" + text + " \""}) {
      std::string line;
      for (int field = 1; field <= 31; ++field) line += written + ",";
      for (const char* end : {"\n", "\r\n", ""}) {
        const std::string all = line + end + written + "\n";
        const auto expected = referenceScan(all, layout, 100);
        std::istringstream in(all);
        expectSameLines(scanWithChecks(in, layout, 100), expected, "written \"" + written + "\"");
      }
    }
  }
}

}  // namespace
}  // namespace stridewell
