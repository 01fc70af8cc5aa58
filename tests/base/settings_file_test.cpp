// The settings file's text form: what a damaged file still yields, and that
// whatever the writer produces reads back exactly.
#include "base/settings_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace stridewell {
namespace {

using namespace std::string_literals;

struct Key {
  std::string section;
  std::string key;
  std::string value;
};

std::vector<Key> flatten(const SettingsSections& sections) {
  std::vector<Key> keys;
  for (const auto& [section, values] : sections) {
    for (const auto& [key, value] : values) keys.push_back({section, key, value});
  }
  return keys;
}

std::string describe(const std::vector<Key>& keys) {
  std::string text;
  for (const Key& key : keys) text += "[" + key.section + "] " + key.key + "=" + key.value + "\n";
  return text;
}

TEST(SettingsFile, ReadsWhatItCanOfAFile) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Key> keys;
    int badLines;
    int firstBadLine;
  };
  const Case kCases[] = {
      {"plain", "[S]\nA=1\nB=two\n", {{"S", "A", "1"}, {"S", "B", "two"}}, 0, 0},
      {"CR LF line ends", "[S]\r\nA=1\r\n", {{"S", "A", "1"}}, 0, 0},
      {"blanks around the syntax", "  [ S ]  \n  A  =  x y  \n", {{"S", "A", "x y"}}, 0, 0},
      {"comments and blank lines", "; note\n\n# note\n[S]\n\n;A=1\nB=2\n", {{"S", "B", "2"}}, 0, 0},
      {"no final line end", "[S]\nA=1", {{"S", "A", "1"}}, 0, 0},
      {"empty value", "[S]\nA=\n", {{"S", "A", ""}}, 0, 0},
      {"only the first '=' separates", "[S]\nA=b=c\n", {{"S", "A", "b=c"}}, 0, 0},
      {"a key given twice keeps the last", "[S]\nA=1\nA=2\n", {{"S", "A", "2"}}, 0, 0},
      {"a section given twice is one section",
       "[S]\nA=1\n[T]\nB=2\n[S]\nC=3\n",
       {{"S", "A", "1"}, {"S", "C", "3"}, {"T", "B", "2"}},
       0,
       0},
      {"escapes", "[S]\nA=a\\nb\\\\c\\x3D\\t\n", {{"S", "A", "a\nb\\c=\t"}}, 0, 0},
      // Damage: the line is skipped and counted, the rest is kept.
      {"line without '='", "[S]\nA=1\nBROKEN\nC=3\n", {{"S", "A", "1"}, {"S", "C", "3"}}, 1, 3},
      {"truncated mid-key", "[S]\nA=1\nLONGKE", {{"S", "A", "1"}}, 1, 3},
      {"key before any section", "A=1\n[S]\nB=2\n", {{"S", "B", "2"}}, 1, 1},
      {"empty key", "[S]\n=1\nB=2\n", {{"S", "B", "2"}}, 1, 2},
      // The keys under a broken header belong to no known section: they
      // must not be filed under the section before it.
      {"header without ']'", "[S]\nA=1\n[T\nB=2\n[U]\nC=3\n", {{"S", "A", "1"}, {"U", "C", "3"}}, 1, 3},
      {"header with text after ']'", "[S] x\nA=1\n[U]\nC=3\n", {{"U", "C", "3"}}, 1, 1},
      {"empty header", "[]\nA=1\n", {}, 1, 1},
      {"unknown escape", "[S]\nA=\\q\nB=2\n", {{"S", "B", "2"}}, 1, 2},
      {"cut hex escape", "[S]\nA=\\x4\n", {}, 1, 2},
      {"bad hex digit", "[S]\nA=\\x4G\n", {}, 1, 2},
      {"backslash at the end", "[S]\nA=end\\\n", {}, 1, 2},
      {"raw NUL byte", "[S]\nA=x\0y\nB=2\n"s, {{"S", "B", "2"}}, 1, 2},
      {"raw escape character", "[S]\nA=\x1b[2J\nB=2\n", {{"S", "B", "2"}}, 1, 2},
      {"a lone CR ends a line", "[S]\nA=x\ry\n", {{"S", "A", "x"}}, 1, 3},
      {"CR line ends", "[S]\rA=1\rB=2\r", {{"S", "A", "1"}, {"S", "B", "2"}}, 0, 0},
      {"CR line ends counted as lines", "[S]\r\rA=1\rjunk\rB=2", {{"S", "A", "1"}, {"S", "B", "2"}}, 1, 4},
      {"CR, CR LF and LF mixed", "[S]\r\nA=1\rB=2\n\r\nbad\r", {{"S", "A", "1"}, {"S", "B", "2"}}, 1, 5},
      {"several damaged lines", "junk\n[S]\nA=1\nmore junk\n\x01\x02\n", {{"S", "A", "1"}}, 3, 1},
  };
  for (const Case& c : kCases) {
    const SettingsParse parse = parseSettingsText(c.text);
    const std::vector<Key> keys = flatten(parse.sections);
    EXPECT_EQ(describe(keys), describe(c.keys)) << c.name;
    EXPECT_EQ(parse.badLines, c.badLines) << c.name;
    EXPECT_EQ(parse.firstBadLine, c.firstBadLine) << c.name;
  }
}

// Texts that collide with the syntax in one way or another.
const std::vector<std::string>& oddTexts() {
  static const std::vector<std::string> texts = {
      "",
      "plain",
      "a=b",
      "=",
      "==x==",
      ";not a comment",
      "#not a comment",
      "[Settings]",
      "[",
      "]",
      "x]",
      "line one\nline two",
      "\r\n",
      "\n",
      "ends in a backslash\\",
      "\\n is not a line end",
      "\\x41",
      " leading blank",
      "trailing blank ",
      "  ",
      " ",
      "\t",
      "\ttab\t",
      "nul\0inside"s,
      "\0"s,
      "\x7f\x01\x1f",
      "Caf\xc3\xa9 \xe2\x80\x93 \xc3\xbc",
      "\xff\xfe binary high bytes",
      "C:\\CARDS\\",
      "/home/user/Cards With Blanks/",
      std::string(5000, 'x') + "=" + std::string(5000, ';'),
  };
  return texts;
}

TEST(SettingsFile, AnyTextSurvivesAsValueKeyOrSectionName) {
  for (const std::string& text : oddTexts()) {
    SettingsSections sections;
    sections["Settings"]["VALUE"] = text;
    if (!text.empty()) {
      sections["Settings"][text] = "as key";
      sections[text]["KEY"] = "in section";
    }
    const std::string file = settingsText(sections);
    const SettingsParse parse = parseSettingsText(file);
    EXPECT_EQ(parse.badLines, 0) << testing::PrintToString(text) << "\n" << file;
    EXPECT_EQ(parse.sections, sections) << testing::PrintToString(text) << "\n" << file;
  }
}

TEST(SettingsFile, EscapesAreReadBackAndRejectedWhenBroken) {
  struct Case {
    std::string escaped;
    bool valid;
    std::string text;
  };
  const Case kCases[] = {
      {"abc", true, "abc"},
      {"\\\\", true, "\\"},
      {"\\n\\r\\t", true, "\n\r\t"},
      {"\\x00\\x7f\\x7F\\xff", true, "\0\x7f\x7f\xff"s},
      {"a\tb", true, "a\tb"},  // a raw tab from a hand edit is taken as it is
      {"\\", false, ""},
      {"\\x", false, ""},
      {"\\x1", false, ""},
      {"\\xZZ", false, ""},
      {"\\a", false, ""},
      {"a\nb", false, ""},
      {"a\x7f", false, ""},
  };
  for (const Case& c : kCases) {
    std::string text;
    EXPECT_EQ(unescapeSettingsField(c.escaped, text), c.valid) << testing::PrintToString(c.escaped);
    if (c.valid) {
      EXPECT_EQ(text, c.text) << testing::PrintToString(c.escaped);
    }
  }
  // What the writer escapes stays on one line with the syntax characters
  // of its field hidden.
  EXPECT_EQ(escapeSettingsField("a=b", SettingsField::kKey), "a\\x3Db");
  EXPECT_EQ(escapeSettingsField("a=b", SettingsField::kValue), "a=b");
  EXPECT_EQ(escapeSettingsField("[x]", SettingsField::kSection), "[x\\x5D");
  EXPECT_EQ(escapeSettingsField(";k", SettingsField::kKey), "\\x3Bk");
  EXPECT_EQ(escapeSettingsField(" v ", SettingsField::kValue), "\\x20v\\x20");
  EXPECT_EQ(escapeSettingsField("a b", SettingsField::kValue), "a b");
}

TEST(SettingsFile, RandomDamageNeverBreaksTheReaderAndWhatItReadsIsWrittenBackExactly) {
  // Bytes weighted towards the syntax, so that the reader meets many
  // near-valid lines.
  const std::string alphabet = "[]=;#\\\n\r\t xnrt0123456789ABCDEFabcdef \x01\x7f\xc3\xa9"s + "\0"s;
  std::mt19937 random(20240605);
  for (int round = 0; round < 3000; ++round) {
    std::uniform_int_distribution<size_t> length(0, 200);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string text = round % 2 == 0 ? "[S]\n" : "";
    const size_t size = length(random);
    for (size_t i = 0; i < size; ++i) text += alphabet[pick(random)];

    const SettingsParse first = parseSettingsText(text);
    EXPECT_LE(first.badLines, static_cast<int>(text.size()) + 1);
    const SettingsParse second = parseSettingsText(settingsText(first.sections));
    ASSERT_EQ(second.badLines, 0) << testing::PrintToString(text);
    ASSERT_EQ(second.sections, first.sections) << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace stridewell
