#include "race/field_slots.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace stridewell {
namespace {

// Fields 2-3 keep 4 characters, field 7 keeps 2.
const FieldLayout& smallLayout() {
  static const FieldLayout layout{{2, 3, 4}, {7, 7, 2}};
  return layout;
}

TEST(FieldSlots, SetKeepsWhatTheSlotsCStringHolds) {
  struct Case {
    const char* what;
    int field;
    std::string text;
    std::string_view seen;
  };
  const Case cases[] = {
      {"fits", 2, "abc", "abc"},
      {"cut to the capacity", 2, "abcdefg", "abcd"},
      {"empty", 3, "", ""},
      {"a NUL ends the text", 3, std::string("ab\0cd", 5), "ab"},
      {"a NUL beyond the capacity is cut off", 7, std::string("xy\0", 3), "xy"},
      {"a field no slot keeps stays empty", 4, "abc", ""},
      {"beyond the last kept field", 100, "abc", ""},
  };
  for (const Case& c : cases) {
    FieldSlots slots(smallLayout());
    slots.set(c.field, c.text);
    EXPECT_EQ(slots[c.field], c.seen) << c.what;
    if (char* slot = slots.slot(c.field)) {
      EXPECT_EQ(std::string_view(slot), c.seen) << c.what;
    }
  }
}

TEST(FieldSlots, SlotsKeepTheirTextUntilSetAgain) {
  FieldSlots slots(smallLayout());
  slots.set(2, "abcd");
  slots.set(3, "x");
  slots.set(2, "z");
  EXPECT_EQ(slots[2], "z");
  EXPECT_EQ(slots[3], "x");
  EXPECT_EQ(slots[7], "");
}

// The scanner passes whole runs of fields no slot keeps; each field's spec
// says how many fields from it on are not kept.
TEST(FieldSlots, RunsOfFieldsNotKept) {
  const FieldLayout& layout = smallLayout();
  EXPECT_EQ(layout.maxField(), 7);
  struct Case {
    int field;
    int32_t unkeptRun;
  };
  const Case cases[] = {
      {1, 1}, {4, 3}, {5, 2}, {6, 1}, {8, FieldSpec::kNoMoreKept}, {1000, FieldSpec::kNoMoreKept}};
  for (const Case& c : cases) {
    EXPECT_LT(layout.spec(c.field).offset, 0) << "field " << c.field;
    EXPECT_EQ(layout.spec(c.field).unkeptRun, c.unkeptRun) << "field " << c.field;
  }
  for (int field : {2, 3, 7}) {
    EXPECT_GE(layout.spec(field).offset, 0) << "field " << field;
    EXPECT_EQ(layout.spec(field).capacity, field == 7 ? 2 : 4);
  }
  // Every slot has room for an 8-byte store at its start.
  EXPECT_GE(layout.spec(3).offset - layout.spec(2).offset, kMinSlotBytes);
  EXPECT_GE(static_cast<int32_t>(layout.storageSize()) - layout.spec(7).offset, kMinSlotBytes);
}

}  // namespace
}  // namespace stridewell
