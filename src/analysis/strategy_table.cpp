// The 219 wager strategies in report order. Each row is one strategy: its
// label, its stake in dollars, the conditions a race must meet (checked in
// the order written) and how it collects. The report prints the rows in
// this order, so moving a row changes the report.
#include <iterator>
#include <string_view>

#include "analysis/strategy_rules.h"
#include "analysis/strategy_totals.h"

namespace stridewell {
namespace {

constexpr OddsReference kOdds1 = OddsReference::kOdds1;
constexpr OddsReference kAvg2 = OddsReference::kAvg2;
constexpr OddsReference kAvg3 = OddsReference::kAvg3;

// "nTO1": the odds are known and the reference odds are at least n to 1.
constexpr Condition toOne(float n, OddsReference reference) {
  return oddsAtLeast(n, reference);
}

constexpr Condition kExactaPaid = poolPaid(Pool::kExacta);
constexpr Condition kQuinellaPaid = poolPaid(Pool::kQuinella);
constexpr Condition kTrifectaPaid = poolPaid(Pool::kTrifecta);
constexpr Condition kSuperfectaPaid = poolPaid(Pool::kSuperfecta);

constexpr Leg win(uint8_t pick) {
  return {BetType::kWin, pick};
}
constexpr Leg place(uint8_t pick) {
  return {BetType::kPlace, pick};
}
constexpr Leg show(uint8_t pick) {
  return {BetType::kShow, pick};
}

constexpr Settlement legs(Leg a, Leg b = {}, Leg c = {}) {
  return {SettlementKind::kLegs, {a, b, c}};
}
constexpr Settlement eitherWins(uint8_t a, uint8_t b) {
  return {SettlementKind::kEitherWins, {win(a), win(b)}};
}
constexpr Settlement winnerInTop(uint8_t picks) {
  return {SettlementKind::kWinnerInTop, {}, picks};
}
constexpr Settlement exotic(ExoticHit hit, Pool pool) {
  return {SettlementKind::kExotic, {}, 0, hit, pool};
}
constexpr Settlement key(Pool pool, uint8_t others) {
  return {SettlementKind::kKey, {}, others, ExoticHit::kExacta, pool};
}

constexpr Settlement kWin1 = legs(win(1));
constexpr Settlement kWin2 = legs(win(2));
constexpr Settlement kWin3 = legs(win(3));
constexpr Settlement kPlace1 = legs(place(1));
constexpr Settlement kPlace2 = legs(place(2));
constexpr Settlement kPlace3 = legs(place(3));
constexpr Settlement kShow1 = legs(show(1));
constexpr Settlement kShow2 = legs(show(2));
constexpr Settlement kShow3 = legs(show(3));
constexpr Settlement kTop2Win = eitherWins(1, 2);
constexpr Settlement kBcWin = eitherWins(2, 3);
constexpr Settlement kTop2Place = legs(place(1), place(2));
constexpr Settlement kTop2Show = legs(show(1), show(2));
constexpr Settlement kBcPlace = legs(place(2), place(3));
constexpr Settlement kBcShow = legs(show(2), show(3));
constexpr Settlement kAcrossBoard1 = legs(win(1), place(1), show(1));
constexpr Settlement kAcrossBoard2 = legs(win(2), place(2), show(2));
constexpr Settlement kAcrossBoard3 = legs(win(3), place(3), show(3));
constexpr Settlement kPlaceAndShow1 = legs(place(1), show(1));
constexpr Settlement kExactaHit = exotic(ExoticHit::kExacta, Pool::kExacta);
// Picks 1 and 2 boxed in the exacta: the quinella outcome, the exacta pool.
constexpr Settlement kBox2Exacta = exotic(ExoticHit::kQuinella, Pool::kExacta);
constexpr Settlement kQuinellaHit = exotic(ExoticHit::kQuinella, Pool::kQuinella);
constexpr Settlement kBox3Exacta = exotic(ExoticHit::kBox3Exacta, Pool::kExacta);
constexpr Settlement kBox3Trifecta = exotic(ExoticHit::kBox3Trifecta, Pool::kTrifecta);
constexpr Settlement kBox4Trifecta = exotic(ExoticHit::kBox4Trifecta, Pool::kTrifecta);
constexpr Settlement kBox3Superfecta = exotic(ExoticHit::kBox3Superfecta, Pool::kSuperfecta);
constexpr Settlement kBox4Superfecta = exotic(ExoticHit::kBox4Superfecta, Pool::kSuperfecta);

// clang-format off
constexpr StrategyRule kStrategies[] = {
    // Pick 1 to win, on its own and under score, overlay and odds conditions.
    {"WIN", 2, {}, kWin1},  // 0
    {"WIN_SCORE30", 2, {score(30)}, kWin1},  // 1
    {"WIN_SCORE35", 2, {score(35)}, kWin1},  // 2
    {"WIN_SCORE40", 2, {score(40)}, kWin1},  // 3
    {"WIN_SCORE45", 2, {score(45)}, kWin1},  // 4
    {"WIN_SCORE50", 2, {score(50)}, kWin1},  // 5
    {"WIN_OVERLAY", 2, {overlay(1, 1)}, kWin1},  // 6
    {"WIN_OVERLAY2", 2, {overlay(1, 2)}, kWin1},  // 7
    {"WIN_OVERLAY3", 2, {overlay(1, 3)}, kWin1},  // 8
    {"WIN_OVERLAY4", 2, {overlay(1, 4)}, kWin1},  // 9
    {"WIN_QFAV", 2, {quickFav()}, kWin1},  // 10
    {"WIN_2TO1", 2, {toOne(2, kOdds1)}, kWin1},  // 11
    {"WIN_3TO1", 2, {toOne(3, kOdds1)}, kWin1},  // 12
    {"WIN_4TO1", 2, {toOne(4, kOdds1)}, kWin1},  // 13
    {"WIN_5TO1", 2, {toOne(5, kOdds1)}, kWin1},  // 14
    {"WIN_8TO1", 2, {toOne(8, kOdds1)}, kWin1},  // 15
    {"WIN_10TO1", 2, {toOne(10, kOdds1)}, kWin1},  // 16
    {"WIN_30P_QFAV", 2, {score(30), quickFav()}, kWin1},  // 17
    {"WIN_30P_2TO1", 2, {score(30), toOne(2, kOdds1)}, kWin1},  // 18
    {"WIN_30P_3TO1", 2, {score(30), toOne(3, kOdds1)}, kWin1},  // 19
    {"WIN_30P_4TO1", 2, {score(30), toOne(4, kOdds1)}, kWin1},  // 20
    {"WIN_30P_5TO1", 2, {score(30), toOne(5, kOdds1)}, kWin1},  // 21
    {"WIN_30P_8TO1", 2, {score(30), toOne(8, kOdds1)}, kWin1},  // 22
    {"WIN_30P_10TO1", 2, {score(30), toOne(10, kOdds1)}, kWin1},  // 23
    {"WIN_35P_QFAV", 2, {score(35), quickFav()}, kWin1},  // 24
    {"WIN_35P_2TO1", 2, {score(35), toOne(2, kOdds1)}, kWin1},  // 25
    {"WIN_35P_3TO1", 2, {score(35), toOne(3, kOdds1)}, kWin1},  // 26
    {"WIN_35P_4TO1", 2, {score(35), toOne(4, kOdds1)}, kWin1},  // 27
    {"WIN_35P_5TO1", 2, {score(35), toOne(5, kOdds1)}, kWin1},  // 28
    {"WIN_35P_8TO1", 2, {score(35), toOne(8, kOdds1)}, kWin1},  // 29
    {"WIN_35P_10TO1", 2, {score(35), toOne(10, kOdds1)}, kWin1},  // 30
    {"WIN_40P_QFAV", 2, {score(40), quickFav()}, kWin1},  // 31
    {"WIN_40P_2TO1", 2, {score(40), toOne(2, kOdds1)}, kWin1},  // 32
    {"WIN_40P_3TO1", 2, {score(40), toOne(3, kOdds1)}, kWin1},  // 33
    {"WIN_40P_4TO1", 2, {score(40), toOne(4, kOdds1)}, kWin1},  // 34
    {"WIN_40P_5TO1", 2, {score(40), toOne(5, kOdds1)}, kWin1},  // 35
    {"WIN_40P_8TO1", 2, {score(40), toOne(8, kOdds1)}, kWin1},  // 36
    {"WIN_40P_10TO1", 2, {score(40), toOne(10, kOdds1)}, kWin1},  // 37

    // The winner among the first 3, 4 or 5 picks: one win bet on each.
    {"WIN_TOP3", 6, {}, winnerInTop(3)},  // 38
    {"WIN_TOP4", 8, {}, winnerInTop(4)},  // 39
    {"WIN_TOP5", 10, {}, winnerInTop(5)},  // 40

    // Pick 1 to place.
    {"PLACE", 2, {}, kPlace1},  // 41
    {"PLACE_SCORE30", 2, {score(30)}, kPlace1},  // 42
    {"PLACE_SCORE35", 2, {score(35)}, kPlace1},  // 43
    {"PLACE_SCORE40", 2, {score(40)}, kPlace1},  // 44
    {"PLACE_SCORE45", 2, {score(45)}, kPlace1},  // 45
    {"PLACE_SCORE50", 2, {score(50)}, kPlace1},  // 46
    {"PLACE_QFAV", 2, {quickFav()}, kPlace1},  // 47
    {"PLACE_2TO1", 2, {toOne(2, kOdds1)}, kPlace1},  // 48
    {"PLACE_3TO1", 2, {toOne(3, kOdds1)}, kPlace1},  // 49
    {"PLACE_4TO1", 2, {toOne(4, kOdds1)}, kPlace1},  // 50
    {"PLACE_5TO1", 2, {toOne(5, kOdds1)}, kPlace1},  // 51
    {"PLACE_8TO1", 2, {toOne(8, kOdds1)}, kPlace1},  // 52
    {"PLACE_10TO1", 2, {toOne(10, kOdds1)}, kPlace1},  // 53
    {"PLACE_30P_QFAV", 2, {score(30), quickFav()}, kPlace1},  // 54
    {"PLACE_30P_2TO1", 2, {score(30), toOne(2, kOdds1)}, kPlace1},  // 55
    {"PLACE_30P_3TO1", 2, {score(30), toOne(3, kOdds1)}, kPlace1},  // 56
    {"PLACE_30P_4TO1", 2, {score(30), toOne(4, kOdds1)}, kPlace1},  // 57
    {"PLACE_30P_5TO1", 2, {score(30), toOne(5, kOdds1)}, kPlace1},  // 58
    {"PLACE_30P_8TO1", 2, {score(30), toOne(8, kOdds1)}, kPlace1},  // 59
    {"PLACE_30P_10TO1", 2, {score(30), toOne(10, kOdds1)}, kPlace1},  // 60
    {"PLACE_35P_QFAV", 2, {score(35), quickFav()}, kPlace1},  // 61
    {"PLACE_35P_2TO1", 2, {score(35), toOne(2, kOdds1)}, kPlace1},  // 62
    {"PLACE_35P_3TO1", 2, {score(35), toOne(3, kOdds1)}, kPlace1},  // 63
    {"PLACE_35P_4TO1", 2, {score(35), toOne(4, kOdds1)}, kPlace1},  // 64
    {"PLACE_35P_5TO1", 2, {score(35), toOne(5, kOdds1)}, kPlace1},  // 65
    {"PLACE_35P_8TO1", 2, {score(35), toOne(8, kOdds1)}, kPlace1},  // 66
    {"PLACE_35P_10TO1", 2, {score(35), toOne(10, kOdds1)}, kPlace1},  // 67
    {"PLACE_40P_QFAV", 2, {score(40), quickFav()}, kPlace1},  // 68
    {"PLACE_40P_2TO1", 2, {score(40), toOne(2, kOdds1)}, kPlace1},  // 69
    {"PLACE_40P_3TO1", 2, {score(40), toOne(3, kOdds1)}, kPlace1},  // 70
    {"PLACE_40P_4TO1", 2, {score(40), toOne(4, kOdds1)}, kPlace1},  // 71
    {"PLACE_40P_5TO1", 2, {score(40), toOne(5, kOdds1)}, kPlace1},  // 72
    {"PLACE_40P_8TO1", 2, {score(40), toOne(8, kOdds1)}, kPlace1},  // 73
    {"PLACE_40P_10TO1", 2, {score(40), toOne(10, kOdds1)}, kPlace1},  // 74

    // Pick 1 to show.
    {"SHOW", 2, {}, kShow1},  // 75
    {"SHOW_SCORE30", 2, {score(30)}, kShow1},  // 76
    {"SHOW_SCORE35", 2, {score(35)}, kShow1},  // 77
    {"SHOW_SCORE40", 2, {score(40)}, kShow1},  // 78
    {"SHOW_SCORE45", 2, {score(45)}, kShow1},  // 79
    {"SHOW_SCORE50", 2, {score(50)}, kShow1},  // 80
    {"SHOW_QFAV", 2, {quickFav()}, kShow1},  // 81
    {"SHOW_2TO1", 2, {toOne(2, kOdds1)}, kShow1},  // 82
    {"SHOW_3TO1", 2, {toOne(3, kOdds1)}, kShow1},  // 83
    {"SHOW_4TO1", 2, {toOne(4, kOdds1)}, kShow1},  // 84
    {"SHOW_5TO1", 2, {toOne(5, kOdds1)}, kShow1},  // 85
    {"SHOW_8TO1", 2, {toOne(8, kOdds1)}, kShow1},  // 86
    {"SHOW_10TO1", 2, {toOne(10, kOdds1)}, kShow1},  // 87
    {"SHOW_30P_QFAV", 2, {score(30), quickFav()}, kShow1},  // 88
    {"SHOW_30P_2TO1", 2, {score(30), toOne(2, kOdds1)}, kShow1},  // 89
    {"SHOW_30P_3TO1", 2, {score(30), toOne(3, kOdds1)}, kShow1},  // 90
    {"SHOW_30P_4TO1", 2, {score(30), toOne(4, kOdds1)}, kShow1},  // 91
    {"SHOW_30P_5TO1", 2, {score(30), toOne(5, kOdds1)}, kShow1},  // 92
    {"SHOW_30P_8TO1", 2, {score(30), toOne(8, kOdds1)}, kShow1},  // 93
    {"SHOW_30P_10TO1", 2, {score(30), toOne(10, kOdds1)}, kShow1},  // 94
    {"SHOW_35P_QFAV", 2, {score(35), quickFav()}, kShow1},  // 95
    {"SHOW_35P_2TO1", 2, {score(35), toOne(2, kOdds1)}, kShow1},  // 96
    {"SHOW_35P_3TO1", 2, {score(35), toOne(3, kOdds1)}, kShow1},  // 97
    {"SHOW_35P_4TO1", 2, {score(35), toOne(4, kOdds1)}, kShow1},  // 98
    {"SHOW_35P_5TO1", 2, {score(35), toOne(5, kOdds1)}, kShow1},  // 99
    {"SHOW_35P_8TO1", 2, {score(35), toOne(8, kOdds1)}, kShow1},  // 100
    {"SHOW_35P_10TO1", 2, {score(35), toOne(10, kOdds1)}, kShow1},  // 101
    {"SHOW_40P_QFAV", 2, {score(40), quickFav()}, kShow1},  // 102
    {"SHOW_40P_2TO1", 2, {score(40), toOne(2, kOdds1)}, kShow1},  // 103
    {"SHOW_40P_3TO1", 2, {score(40), toOne(3, kOdds1)}, kShow1},  // 104
    {"SHOW_40P_4TO1", 2, {score(40), toOne(4, kOdds1)}, kShow1},  // 105
    {"SHOW_40P_5TO1", 2, {score(40), toOne(5, kOdds1)}, kShow1},  // 106
    {"SHOW_40P_8TO1", 2, {score(40), toOne(8, kOdds1)}, kShow1},  // 107
    {"SHOW_40P_10TO1", 2, {score(40), toOne(10, kOdds1)}, kShow1},  // 108

    // Picks 2 (B) and 3 (C) straight.
    {"BWIN", 2, {}, kWin2},  // 109
    {"BWIN_OVERLAY", 2, {overlay(2, 1)}, kWin2},  // 110
    {"BWIN_OVERLAY2", 2, {overlay(2, 2)}, kWin2},  // 111
    {"BWIN_OVERLAY3", 2, {overlay(2, 3)}, kWin2},  // 112
    {"BWIN_OVERLAY4", 2, {overlay(2, 4)}, kWin2},  // 113
    {"BPLACE", 2, {}, kPlace2},  // 114
    {"BSHOW", 2, {}, kShow2},  // 115
    {"CWIN", 2, {}, kWin3},  // 116
    {"CWIN_OVERLAY", 2, {overlay(3, 1)}, kWin3},  // 117
    {"CWIN_OVERLAY2", 2, {overlay(3, 2)}, kWin3},  // 118
    {"CWIN_OVERLAY3", 2, {overlay(3, 3)}, kWin3},  // 119
    {"CWIN_OVERLAY4", 2, {overlay(3, 4)}, kWin3},  // 120
    {"CPLACE", 2, {}, kPlace3},  // 121
    {"CSHOW", 2, {}, kShow3},  // 122

    // Two or three straight bets on the same race.
    {"TOP2WIN", 4, {}, kTop2Win},  // 123
    {"TOP2WIN_BOTH30", 4, {both(30)}, kTop2Win},  // 124
    {"TOP2WIN_BOTH35", 4, {both(35)}, kTop2Win},  // 125
    {"TOP2WIN_SCORE30", 4, {score(30)}, kTop2Win},  // 126
    {"TOP2WIN_SCORE35", 4, {score(35)}, kTop2Win},  // 127
    {"TOP2WIN_SCORE40", 4, {score(40)}, kTop2Win},  // 128
    {"TOP2WIN_2TO1", 4, {toOne(2, kAvg2)}, kTop2Win},  // 129
    {"TOP2WIN_3TO1", 4, {toOne(3, kAvg2)}, kTop2Win},  // 130
    {"TOP2WIN_4TO1", 4, {toOne(4, kAvg2)}, kTop2Win},  // 131
    {"TOP2WIN_5TO1", 4, {toOne(5, kAvg2)}, kTop2Win},  // 132
    {"TOP2WIN_8TO1", 4, {toOne(8, kAvg2)}, kTop2Win},  // 133
    {"TOP2WIN_10TO1", 4, {toOne(10, kAvg2)}, kTop2Win},  // 134
    {"TOP2PLACE", 4, {}, kTop2Place},  // 135
    {"TOP2PLACE_BOTH30", 4, {both(30)}, kTop2Place},  // 136
    {"TOP2PLACE_BOTH35", 4, {both(35)}, kTop2Place},  // 137
    {"TOP2PLACE_SCORE30", 4, {score(30)}, kTop2Place},  // 138
    {"TOP2PLACE_SCORE35", 4, {score(35)}, kTop2Place},  // 139
    {"TOP2PLACE_SCORE40", 4, {score(40)}, kTop2Place},  // 140
    {"TOP2SHOW", 4, {}, kTop2Show},  // 141
    {"ACROSS_BOARD", 6, {}, kAcrossBoard1},  // 142
    {"ACROSS_BOARD_QFAV", 6, {quickFav()}, kAcrossBoard1},  // 143
    {"PLACE_N_SHOW", 4, {}, kPlaceAndShow1},  // 144
    {"PLACE_N_SHOW_QFAV", 4, {quickFav()}, kPlaceAndShow1},  // 145
    {"B_ACROSS_BOARD", 6, {}, kAcrossBoard2},  // 146
    {"C_ACROSS_BOARD", 6, {}, kAcrossBoard3},  // 147
    {"BC_WIN", 4, {}, kBcWin},  // 148
    {"BC_PLACE", 4, {}, kBcPlace},  // 149
    {"BC_SHOW", 4, {}, kBcShow},  // 150

    // Exacta and quinella on the top two, keyed, and boxed.
    {"EXACTA", 2, {kExactaPaid}, kExactaHit},  // 151
    {"EXACTA_BOTH30", 2, {kExactaPaid, both(30)}, kExactaHit},  // 152
    {"EXACTA_BOTH35", 2, {kExactaPaid, both(35)}, kExactaHit},  // 153
    {"EXACTA_SCORE30", 2, {kExactaPaid, score(30)}, kExactaHit},  // 154
    {"EXACTA_SCORE35", 2, {kExactaPaid, score(35)}, kExactaHit},  // 155
    {"EXACTA_SCORE40", 2, {kExactaPaid, score(40)}, kExactaHit},  // 156
    {"EXACTA_KEY2", 4, {kExactaPaid}, key(Pool::kExacta, 2)},  // 157
    {"EXACTA_KEY3", 6, {kExactaPaid}, key(Pool::kExacta, 3)},  // 158
    {"EXACTA_KEY4", 8, {kExactaPaid}, key(Pool::kExacta, 4)},  // 159
    {"EXACTA_2TO1", 2, {kExactaPaid, toOne(2, kAvg2)}, kExactaHit},  // 160
    {"EXACTA_3TO1", 2, {kExactaPaid, toOne(3, kAvg2)}, kExactaHit},  // 161
    {"EXACTA_4TO1", 2, {kExactaPaid, toOne(4, kAvg2)}, kExactaHit},  // 162
    {"EXACTA_5TO1", 2, {kExactaPaid, toOne(5, kAvg2)}, kExactaHit},  // 163
    {"EXACTA_8TO1", 2, {kExactaPaid, toOne(8, kAvg2)}, kExactaHit},  // 164
    {"EXACTA_10TO1", 2, {kExactaPaid, toOne(10, kAvg2)}, kExactaHit},  // 165
    {"BOX2EXACTA", 4, {kExactaPaid}, kBox2Exacta},  // 166
    {"BOX2EXACTA_BOTH30", 4, {kExactaPaid, both(30)}, kBox2Exacta},  // 167
    {"BOX2EXACTA_BOTH35", 4, {kExactaPaid, both(35)}, kBox2Exacta},  // 168
    {"BOX2EXACTA_SCORE30", 4, {kExactaPaid, score(30)}, kBox2Exacta},  // 169
    {"BOX2EXACTA_SCORE35", 4, {kExactaPaid, score(35)}, kBox2Exacta},  // 170
    {"BOX2EXACTA_SCORE40", 4, {kExactaPaid, score(40)}, kBox2Exacta},  // 171
    {"BOX2EXACTA_2TO1", 4, {kExactaPaid, toOne(2, kAvg2)}, kBox2Exacta},  // 172
    {"BOX2EXACTA_3TO1", 4, {kExactaPaid, toOne(3, kAvg2)}, kBox2Exacta},  // 173
    {"BOX2EXACTA_4TO1", 4, {kExactaPaid, toOne(4, kAvg2)}, kBox2Exacta},  // 174
    {"BOX2EXACTA_5TO1", 4, {kExactaPaid, toOne(5, kAvg2)}, kBox2Exacta},  // 175
    {"BOX2EXACTA_8TO1", 4, {kExactaPaid, toOne(8, kAvg2)}, kBox2Exacta},  // 176
    {"BOX2EXACTA_10TO1", 4, {kExactaPaid, toOne(10, kAvg2)}, kBox2Exacta},  // 177
    {"QUINELLA", 2, {kQuinellaPaid}, kQuinellaHit},  // 178
    {"QUINELLA_BOTH30", 2, {kQuinellaPaid, both(30)}, kQuinellaHit},  // 179
    {"QUINELLA_BOTH35", 2, {kQuinellaPaid, both(35)}, kQuinellaHit},  // 180
    {"QUINELLA_SCORE30", 2, {kQuinellaPaid, score(30)}, kQuinellaHit},  // 181
    {"QUINELLA_SCORE35", 2, {kQuinellaPaid, score(35)}, kQuinellaHit},  // 182
    {"QUINELLA_SCORE40", 2, {kQuinellaPaid, score(40)}, kQuinellaHit},  // 183
    {"QUINELLA_KEY2", 4, {kQuinellaPaid}, key(Pool::kQuinella, 2)},  // 184
    {"QUINELLA_KEY3", 6, {kQuinellaPaid}, key(Pool::kQuinella, 3)},  // 185
    {"QUINELLA_KEY4", 8, {kQuinellaPaid}, key(Pool::kQuinella, 4)},  // 186
    {"QUINELLA_2TO1", 2, {kQuinellaPaid, toOne(2, kAvg2)}, kQuinellaHit},  // 187
    {"QUINELLA_3TO1", 2, {kQuinellaPaid, toOne(3, kAvg2)}, kQuinellaHit},  // 188
    {"QUINELLA_4TO1", 2, {kQuinellaPaid, toOne(4, kAvg2)}, kQuinellaHit},  // 189
    {"QUINELLA_5TO1", 2, {kQuinellaPaid, toOne(5, kAvg2)}, kQuinellaHit},  // 190
    {"QUINELLA_8TO1", 2, {kQuinellaPaid, toOne(8, kAvg2)}, kQuinellaHit},  // 191
    {"QUINELLA_10TO1", 2, {kQuinellaPaid, toOne(10, kAvg2)}, kQuinellaHit},  // 192

    // Three- and four-horse boxes, trifecta and superfecta keys.
    {"BOX3EXACTA", 12, {kExactaPaid}, kBox3Exacta},  // 193
    {"BOX3EXACTA_SCORE30", 12, {kExactaPaid, score(30)}, kBox3Exacta},  // 194
    {"BOX3EXACTA_SCORE35", 12, {kExactaPaid, score(35)}, kBox3Exacta},  // 195
    {"BOX3EXACTA_SCORE40", 12, {kExactaPaid, score(40)}, kBox3Exacta},  // 196
    {"BOX3EXACTA_SUM50", 12, {kExactaPaid, scoreSum(50)}, kBox3Exacta},  // 197
    {"BOX3EXACTA_SUM60", 12, {kExactaPaid, scoreSum(60)}, kBox3Exacta},  // 198
    {"BOX3EXACTA_SUM70", 12, {kExactaPaid, scoreSum(70)}, kBox3Exacta},  // 199
    {"BOX3EXACTA_SUM80", 12, {kExactaPaid, scoreSum(80)}, kBox3Exacta},  // 200
    {"TRIFECTA_KEY3", 12, {kTrifectaPaid}, key(Pool::kTrifecta, 3)},  // 201
    {"TRIFECTA_KEY4", 24, {kTrifectaPaid}, key(Pool::kTrifecta, 4)},  // 202
    {"BOX3TRIFECTA", 12, {kTrifectaPaid}, kBox3Trifecta},  // 203
    {"BOX3TRIFECTA_2TO1", 12, {kTrifectaPaid, toOne(2, kAvg3)}, kBox3Trifecta},  // 204
    {"BOX3TRIFECTA_3TO1", 12, {kTrifectaPaid, toOne(3, kAvg3)}, kBox3Trifecta},  // 205
    {"BOX3TRIFECTA_4TO1", 12, {kTrifectaPaid, toOne(4, kAvg3)}, kBox3Trifecta},  // 206
    {"BOX3TRIFECTA_5TO1", 12, {kTrifectaPaid, toOne(5, kAvg3)}, kBox3Trifecta},  // 207
    {"BOX3TRIFECTA_8TO1", 12, {kTrifectaPaid, toOne(8, kAvg3)}, kBox3Trifecta},  // 208
    {"BOX3TRIFECTA_10TO1", 12, {kTrifectaPaid, toOne(10, kAvg3)}, kBox3Trifecta},  // 209
    {"BOX3TRIFECTA_SUM50", 12, {kTrifectaPaid, scoreSum(50)}, kBox3Trifecta},  // 210
    {"BOX3TRIFECTA_SUM60", 12, {kTrifectaPaid, scoreSum(60)}, kBox3Trifecta},  // 211
    {"BOX3TRIFECTA_SUM70", 12, {kTrifectaPaid, scoreSum(70)}, kBox3Trifecta},  // 212
    {"BOX3TRIFECTA_SUM80", 12, {kTrifectaPaid, scoreSum(80)}, kBox3Trifecta},  // 213
    {"BOX4TRIFECTA", 48, {kTrifectaPaid}, kBox4Trifecta},  // 214
    {"SUPERFECTA_KEY3", 12, {kSuperfectaPaid}, key(Pool::kSuperfecta, 3)},  // 215
    {"SUPERFECTA_KEY4", 48, {kSuperfectaPaid}, key(Pool::kSuperfecta, 4)},  // 216
    {"BOX3SUPERFECTA", 12, {kSuperfectaPaid}, kBox3Superfecta},  // 217
    {"BOX4SUPERFECTA", 48, {kSuperfectaPaid}, kBox4Superfecta},  // 218
};
// clang-format on

static_assert(std::size(kStrategies) == kStrategyCount);

// The short report drops the odds-driven strategies.
constexpr bool dropsInShortReport(std::string_view name) {
  return name.find("TO1") != std::string_view::npos || name.find("OVERLAY") != std::string_view::npos;
}

constexpr int countShortReportRows() {
  int kept = 0;
  for (const StrategyRule& rule : kStrategies) {
    if (!dropsInShortReport(rule.name)) ++kept;
  }
  return kept;
}

static_assert(countShortReportRows() == kShortStrategyCount);

bool inTable(int index) {
  return index >= 0 && index < kStrategyCount;
}

}  // namespace

const StrategyRule* strategyRule(int index) {
  return inTable(index) ? &kStrategies[index] : nullptr;
}

std::string_view strategyName(int index) {
  return inTable(index) ? kStrategies[index].name : std::string_view();
}

bool skippedInShortMode(int index) {
  return inTable(index) && dropsInShortReport(kStrategies[index].name);
}

}  // namespace stridewell
