// The strategy labels are the report's rows: their order and spelling are
// what users compare between runs, and the short report's selection
// follows from them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "analysis/strategy_totals.h"

namespace stridewell {
namespace {

TEST(StrategyTableTest, LabelsSitAtTheirReportPositions) {
  struct Case {
    int index;
    std::string_view name;
  };
  // Group boundaries of the report, where a slipped row would show first.
  const Case cases[] = {{0, "WIN"},
                        {5, "WIN_SCORE50"},
                        {6, "WIN_OVERLAY"},
                        {10, "WIN_QFAV"},
                        {16, "WIN_10TO1"},
                        {17, "WIN_30P_QFAV"},
                        {37, "WIN_40P_10TO1"},
                        {38, "WIN_TOP3"},
                        {40, "WIN_TOP5"},
                        {41, "PLACE"},
                        {54, "PLACE_30P_QFAV"},
                        {74, "PLACE_40P_10TO1"},
                        {75, "SHOW"},
                        {88, "SHOW_30P_QFAV"},
                        {108, "SHOW_40P_10TO1"},
                        {109, "BWIN"},
                        {113, "BWIN_OVERLAY4"},
                        {116, "CWIN"},
                        {122, "CSHOW"},
                        {123, "TOP2WIN"},
                        {135, "TOP2PLACE"},
                        {142, "ACROSS_BOARD"},
                        {148, "BC_WIN"},
                        {151, "EXACTA"},
                        {157, "EXACTA_KEY2"},
                        {166, "BOX2EXACTA"},
                        {178, "QUINELLA"},
                        {186, "QUINELLA_KEY4"},
                        {193, "BOX3EXACTA"},
                        {201, "TRIFECTA_KEY3"},
                        {203, "BOX3TRIFECTA"},
                        {214, "BOX4TRIFECTA"},
                        {215, "SUPERFECTA_KEY3"},
                        {218, "BOX4SUPERFECTA"}};
  for (const Case& c : cases) EXPECT_EQ(strategyName(c.index), c.name) << "index " << c.index;
}

TEST(StrategyTableTest, OutsideTheTableThereIsNoLabel) {
  for (int index : {-1, kStrategyCount, 1000}) {
    EXPECT_TRUE(strategyName(index).empty()) << index;
    EXPECT_FALSE(skippedInShortMode(index)) << index;
  }
}

TEST(StrategyTableTest, LabelsAreDistinctAndPrintable) {
  std::set<std::string_view> seen;
  for (int i = 0; i < kStrategyCount; ++i) {
    const std::string_view name = strategyName(i);
    ASSERT_FALSE(name.empty()) << i;
    // The report pads labels to 20 columns.
    EXPECT_LE(name.size(), 20u) << name;
    for (char c : name) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') << name;
    EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
  }
}

TEST(StrategyTableTest, ShortReportDropsExactlyTheOddsDrivenStrategies) {
  int kept = 0;
  int oddsDriven = 0;
  for (int i = 0; i < kStrategyCount; ++i) {
    const std::string name(strategyName(i));
    const bool hasOddsTag =
        name.find("TO1") != std::string::npos || name.find("OVERLAY") != std::string::npos;
    EXPECT_EQ(skippedInShortMode(i), hasOddsTag) << name;
    oddsDriven += hasOddsTag ? 1 : 0;
    kept += skippedInShortMode(i) ? 0 : 1;
  }
  EXPECT_EQ(kept, 105);
  EXPECT_EQ(oddsDriven, 114);
  EXPECT_EQ(kept, kShortStrategyCount);
  // QFAV is odds-driven too, but the short report keeps it.
  EXPECT_FALSE(skippedInShortMode(10));  // WIN_QFAV
  EXPECT_TRUE(skippedInShortMode(6));    // WIN_OVERLAY
  EXPECT_TRUE(skippedInShortMode(18));   // WIN_30P_2TO1
}

}  // namespace
}  // namespace stridewell
