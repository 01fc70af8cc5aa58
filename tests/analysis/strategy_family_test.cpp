// Strategy families: each strategy falls in the family its label names
// (checked against the labels, which are written independently of the
// settlement rules), the per-family sums, and the profit percentage.
#include "analysis/strategy_family.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace stridewell {
namespace {

int indexOf(std::string_view name) {
  for (int i = 0; i < kStrategyCount; ++i) {
    if (strategyName(i) == name) return i;
  }
  return -1;
}

bool holds(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

// The family a reader of the report would give a label.
StrategyFamily familyByLabel(std::string_view name) {
  for (std::string_view exotic : {"EXACTA", "QUINELLA", "TRIFECTA", "SUPERFECTA"}) {
    if (holds(name, exotic)) return StrategyFamily::kExotic;
  }
  if (holds(name, "ACROSS") || holds(name, "_N_")) return StrategyFamily::kCombination;
  if (holds(name, "SHOW")) return StrategyFamily::kShow;
  if (holds(name, "PLACE")) return StrategyFamily::kPlace;
  return StrategyFamily::kWin;
}

TEST(StrategyFamilyTest, NamedStrategies) {
  struct Case {
    const char* name;
    StrategyFamily family;
  };
  const Case cases[] = {
      {"WIN", StrategyFamily::kWin},
      {"TOP2WIN", StrategyFamily::kWin},  // either of two picks to win
      {"BC_WIN", StrategyFamily::kWin},
      {"PLACE", StrategyFamily::kPlace},
      {"TOP2PLACE", StrategyFamily::kPlace},  // two place bets
      {"SHOW", StrategyFamily::kShow},
      {"TOP2SHOW", StrategyFamily::kShow},
      {"ACROSS_BOARD", StrategyFamily::kCombination},
      {"C_ACROSS_BOARD", StrategyFamily::kCombination},
      {"PLACE_N_SHOW", StrategyFamily::kCombination},
      {"EXACTA", StrategyFamily::kExotic},
      {"BOX3TRIFECTA", StrategyFamily::kExotic},
      {"BOX4SUPERFECTA", StrategyFamily::kExotic},
      {"QUINELLA", StrategyFamily::kExotic},
  };
  for (const Case& c : cases) {
    const int index = indexOf(c.name);
    ASSERT_GE(index, 0) << c.name;
    EXPECT_EQ(strategyFamily(index), c.family) << c.name;
  }
}

TEST(StrategyFamilyTest, EveryStrategyFallsInTheFamilyItsLabelNames) {
  int counts[kStrategyFamilyCount] = {};
  for (int i = 0; i < kStrategyCount; ++i) {
    const std::string_view name = strategyName(i);
    EXPECT_EQ(strategyFamily(i), familyByLabel(name)) << name;
    ++counts[static_cast<int>(strategyFamily(i))];
  }
  for (int family = 0; family < kStrategyFamilyCount; ++family) EXPECT_GT(counts[family], 0) << family;
  EXPECT_EQ(strategyFamily(-1), StrategyFamily::kExotic);
  EXPECT_EQ(strategyFamily(kStrategyCount), StrategyFamily::kExotic);
}

TEST(StrategyFamilyTest, Names) {
  EXPECT_EQ(familyName(StrategyFamily::kWin), "WIN");
  EXPECT_EQ(familyName(StrategyFamily::kPlace), "PLACE");
  EXPECT_EQ(familyName(StrategyFamily::kShow), "SHOW");
  EXPECT_EQ(familyName(StrategyFamily::kCombination), "COMBINED");
  EXPECT_EQ(familyName(StrategyFamily::kExotic), "EXOTICS");
}

TEST(StrategyFamilyTest, SumsPerFamily) {
  StrategyTotalsTable table{};
  auto set = [&](const char* name, int bets, int bet, float paid) {
    const int index = indexOf(name);
    ASSERT_GE(index, 0) << name;
    table[static_cast<size_t>(index)] = {bets, 0, bet, paid};
  };
  set("WIN", 10, 20, 30.5f);
  set("TOP2WIN", 5, 20, 8.0f);
  set("SHOW", 4, 8, 9.0f);
  set("EXACTA", 3, 6, 0.0f);
  const auto sums = familyTotals(table);
  const FamilyTotals& win = sums[static_cast<size_t>(StrategyFamily::kWin)];
  EXPECT_EQ(win.betCount, 15);
  EXPECT_EQ(win.amountBet, 40);
  EXPECT_DOUBLE_EQ(win.amountPaid, 38.5);
  EXPECT_DOUBLE_EQ(profitPercent(win), -3.75);  // 1.50 lost on 40 staked
  const FamilyTotals& show = sums[static_cast<size_t>(StrategyFamily::kShow)];
  EXPECT_DOUBLE_EQ(profitPercent(show), 12.5);  // 1.00 won on 8 staked
  EXPECT_DOUBLE_EQ(profitPercent(sums[static_cast<size_t>(StrategyFamily::kExotic)]), -100.0);
  // Nothing bet: no profit and no loss.
  EXPECT_EQ(sums[static_cast<size_t>(StrategyFamily::kPlace)].amountBet, 0);
  EXPECT_DOUBLE_EQ(profitPercent(sums[static_cast<size_t>(StrategyFamily::kPlace)]), 0.0);
}

TEST(StrategyFamilyTest, SummaryLine) {
  const FamilyTotals win{1234, 2468, 2100.40};  // 367.60 lost on 2468: -14.89%
  EXPECT_EQ(familySummaryLine(StrategyFamily::kWin, win),
            std::string("WIN") + std::string(13, ' ') + " " + "   1234" + " bets  $" + "    2468" +
                " bet  $" + "    2100.40" + " back  " + "  -14.89" + "%");
  const FamilyTotals none{};
  EXPECT_EQ(familySummaryLine(StrategyFamily::kCombination, none),
            std::string("COMBINED") + std::string(8, ' ') + " " + "      0" + " bets  $" + "       0" +
                " bet  $" + "       0.00" + " back  " + "    0.00" + "%");
  // Sums a damaged dataset could produce still give one whole line.
  const FamilyTotals huge{1, 2, 1e300};
  const std::string line = familySummaryLine(StrategyFamily::kExotic, huge);
  EXPECT_EQ(line.rfind("EXOTICS", 0), 0u);
  EXPECT_EQ(line.back(), '%');
}

}  // namespace
}  // namespace stridewell
