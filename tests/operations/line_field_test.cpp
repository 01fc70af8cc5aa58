// lineField: fields counted across quoted commas, quotes kept or dropped,
// white space trimmed, missing fields empty.
#include "operations/line_field.h"

#include <gtest/gtest.h>

#include "race/card_line_builder.h"

namespace stridewell {
namespace {

TEST(LineField, Fields) {
  struct Case {
    const char* line;
    int field;
    bool dropQuotes;
    const char* expected;
  };
  const Case kCases[] = {
      {"a,b,c", 1, true, "a"},
      {"a,b,c", 2, true, "b"},
      {"a,b,c", 3, true, "c"},
      {"a,b,c", 4, true, ""},  // fewer fields
      {"a,b,c", 0, true, ""},  // no field 0
      {"a,b,c", -1, true, ""},
      {"", 1, true, ""},
      {"a,,c", 2, true, ""},
      {"a,b,", 3, true, ""},
      // A comma inside quotes belongs to the field and does not count.
      {"\"x,y\",z", 1, true, "x,y"},
      {"\"x,y\",z", 1, false, "\"x,y\""},
      {"\"x,y\",z", 2, true, "z"},
      {"1,\"S\",3", 2, false, "\"S\""},
      {"1,\"S\",3", 2, true, "S"},
      // Doubled quotes toggle twice.
      {"a,\"b\"\"c\",d", 2, true, "bc"},
      {"a,\"b\"\"c\",d", 2, false, "\"b\"\"c\""},
      {"a,\"b\"\"c\",d", 3, true, "d"},
      // An unclosed quote runs to the end of the line.
      {"a,\"b,c,d", 2, true, "b,c,d"},
      {"a,\"b,c,d", 3, true, ""},
      // White space around the text goes; inside it stays.
      {"  pad  ,q", 1, true, "pad"},
      {"a,\t two words \r", 2, true, "two words"},
      {"a,\" quoted \",b", 2, true, "quoted"},
      {"a,\" quoted \",b", 2, false, "\" quoted \""},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(lineField(c.line, c.field, c.dropQuotes), c.expected)
        << "'" << c.line << "' field " << c.field << (c.dropQuotes ? " without quotes" : " with quotes");
  }
}

TEST(LineField, FarFieldsOfACardLine) {
  test::CardLineBuilder builder;
  builder.set(3, "7").set(5, "\"s\"").set(13, "\"Dancer, Jr\"").set(1140, "1A").set(1495, "last");
  const std::string line = builder.build();
  EXPECT_EQ(lineField(line, 3, true), "7");
  EXPECT_EQ(lineField(line, 5, true), "s");
  EXPECT_EQ(lineField(line, 13, true), "Dancer, Jr");
  EXPECT_EQ(lineField(line, 1140, true), "1A");
  EXPECT_EQ(lineField(line, 1141, true), "");
  EXPECT_EQ(lineField(line, 1495, true), "last");
  // After the last comma: the filler and the check code.
  EXPECT_EQ(lineField(line, 1496, true).substr(0, 2), "00");
  EXPECT_EQ(lineField(line, 1497, true), "");
}

}  // namespace
}  // namespace stridewell
