#include "analysis/value_betting.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <tuple>

#include "race/card_values.h"

namespace stridewell {
namespace {

std::string format(const char* pattern, auto... values) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, pattern, values...);
  return buffer;
}

// No bet returns more than $100 billion: a damaged payoff or odds figure
// then cannot overflow the sums of a run.
constexpr double kMostCents = 1e13;

// Rounds half away from zero.
int64_t roundCents(double cents) {
  if (std::isnan(cents)) return 0;
  return static_cast<int64_t>(std::llround(std::clamp(cents, -kMostCents, kMostCents)));
}

// "$1,234.56", or "-$12.00" below 0.
std::string dollars(int64_t cents) {
  const std::string text = moneyText(cents);
  return text[0] == '-' ? "-$" + text.substr(1) : "$" + text;
}

std::string pointText(const BetRace& point) {
  return isoDateText(point.date) + " " + point.track + " race " + std::to_string(point.raceNumber);
}

}  // namespace

void sortRacesByDate(std::vector<ValueRace>& races) {
  // The packed date keeps the day above the month, so the parts are
  // compared one by one.
  auto key = [](const ValueRace& race) {
    return std::make_tuple(packedYear(race.date), packedMonth(race.date), packedDay(race.date),
                           std::string_view(race.track), race.raceNumber);
  };
  std::stable_sort(races.begin(), races.end(),
                   [&key](const ValueRace& a, const ValueRace& b) { return key(a) < key(b); });
}

double kellyShare(double chance, double odds) {
  if (!(odds > 0) || !std::isfinite(odds) || !std::isfinite(chance)) return 0;
  const double share = (chance * (odds + 1) - 1) / odds;
  return share > 0 ? share : 0;
}

bool isValueBet(const ValueHorse& horse, double margin) {
  if (!(horse.odds > 0) || !std::isfinite(horse.odds) || !std::isfinite(horse.chance)) return false;
  return horse.chance * (horse.odds + 1) > 1 + margin;
}

std::vector<int64_t> raceStakes(const ValueRace& race, const StakingRules& rules, int64_t bankroll) {
  std::vector<int64_t> stakes(race.horses.size(), 0);
  if (bankroll <= 0) return stakes;
  int64_t total = 0;
  for (size_t i = 0; i < race.horses.size(); ++i) {
    const ValueHorse& horse = race.horses[i];
    if (!isValueBet(horse, rules.margin)) continue;
    const double cents =
        rules.fraction * kellyShare(horse.chance, horse.odds) * static_cast<double>(bankroll);
    stakes[i] =
        cents > 0 ? static_cast<int64_t>(std::floor(std::min(cents, static_cast<double>(bankroll)))) : 0;
    total += stakes[i];
  }
  // Chances that sum to more than 1 could ask for more than there is.
  if (total > bankroll) {
    const double scale = static_cast<double>(bankroll) / static_cast<double>(total);
    for (int64_t& stake : stakes)
      stake = static_cast<int64_t>(std::floor(static_cast<double>(stake) * scale));
  }
  return stakes;
}

int64_t settleStake(const ValueHorse& horse, int64_t stake, bool* byOdds) {
  if (byOdds != nullptr) *byOdds = false;
  if (!horse.won || stake <= 0) return 0;
  if (horse.winPayoff > 0 && std::isfinite(horse.winPayoff))
    return roundCents(static_cast<double>(stake) * horse.winPayoff / 2);
  if (byOdds != nullptr) *byOdds = true;
  return roundCents(static_cast<double>(stake) * (horse.odds + 1));
}

Drawdown largestDrawdown(int64_t start, std::span<const BetRace> curve) {
  Drawdown worst;
  int64_t peak = start;
  int peakAt = -1;
  for (size_t i = 0; i < curve.size(); ++i) {
    const int64_t bankroll = curve[i].bankroll;
    if (bankroll > peak) {
      peak = bankroll;
      peakAt = static_cast<int>(i);
      continue;
    }
    const int64_t fall = peak - bankroll;
    if (fall <= 0 || peak <= 0) continue;
    const double percent = static_cast<double>(fall) * 100.0 / static_cast<double>(peak);
    if (percent > worst.percent) {
      worst.amount = fall;
      worst.percent = percent;
      worst.peak = peakAt;
      worst.trough = static_cast<int>(i);
    }
  }
  return worst;
}

double bootstrapPValue(std::span<const BetRace> curve, int resamples, uint64_t seed) {
  if (curve.empty() || resamples <= 0) return 1;
  std::vector<int64_t> nets;
  nets.reserve(curve.size());
  for (const BetRace& race : curve) nets.push_back(race.returned - race.staked);
  // The engine's output is fixed by the standard; the modulo's bias is
  // below 1e-9 for any count of races a dataset holds.
  std::mt19937_64 engine(seed);
  const auto count = static_cast<uint64_t>(nets.size());
  int atMostZero = 0;
  for (int r = 0; r < resamples; ++r) {
    int64_t net = 0;
    for (uint64_t k = 0; k < count; ++k) net += nets[static_cast<size_t>(engine() % count)];
    if (net <= 0) ++atMostZero;
  }
  return (1.0 + atMostZero) / (1.0 + resamples);
}

double ValueSummary::hitPercent() const {
  return bets > 0 ? hits * 100.0 / bets : 0.0;
}

double ValueSummary::roiPercent() const {
  return staked > 0 ? static_cast<double>(net()) * 100.0 / static_cast<double>(staked) : 0.0;
}

ValueSummary playValueRaces(std::span<const ValueRace> races, const StakingRules& rules, int resamples,
                            uint64_t seed) {
  ValueSummary summary;
  summary.startBankroll = rules.bankroll;
  int64_t bankroll = rules.bankroll;
  for (const ValueRace& race : races) {
    ++summary.races;
    const std::vector<int64_t> stakes = raceStakes(race, rules, bankroll);
    BetRace point;
    for (size_t i = 0; i < stakes.size(); ++i) {
      if (stakes[i] <= 0) continue;
      bool byOdds = false;
      const int64_t returned = settleStake(race.horses[i], stakes[i], &byOdds);
      ++point.bets;
      if (returned > 0) ++point.hits;
      if (byOdds) ++summary.settledByOdds;
      point.staked += stakes[i];
      point.returned += returned;
    }
    if (point.bets == 0) continue;
    bankroll += point.returned - point.staked;
    point.date = race.date;
    point.track = race.track;
    point.raceNumber = race.raceNumber;
    point.bankroll = bankroll;
    summary.bets += point.bets;
    summary.hits += point.hits;
    summary.staked += point.staked;
    summary.returned += point.returned;
    summary.curve.push_back(std::move(point));
  }
  summary.finalBankroll = bankroll;
  summary.drawdown = largestDrawdown(rules.bankroll, summary.curve);
  summary.resamples = resamples;
  summary.pValue = bootstrapPValue(summary.curve, resamples, seed);
  return summary;
}

std::string moneyText(int64_t cents) {
  const bool negative = cents < 0;
  // The magnitude as unsigned, so that the lowest value does not overflow.
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
  std::string whole = std::to_string(magnitude / 100);
  for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3)
    whole.insert(static_cast<size_t>(at), ",");
  return (negative ? "-" : "") + whole + format(".%02u", static_cast<unsigned>(magnitude % 100));
}

std::string isoDateText(int32_t packedDate) {
  if (packedDate == 0) return "-";
  return format("%04d-%02d-%02d", packedYear(packedDate), packedMonth(packedDate), packedDay(packedDate));
}

void writeValueReport(std::ostream& out, const ValueSummary& summary, const StakingRules& rules) {
  out << format("Staking:          %.2f of the Kelly stake, from a bankroll of %s\n", rules.fraction,
                dollars(rules.bankroll).c_str());
  out << format("Margin:           %.2f (a bet where chance x (odds + 1) > %.2f)\n", rules.margin,
                1 + rules.margin);
  out << "\n";
  out << format("Races:            %d with chances, %d left out\n", summary.races, summary.racesLeftOut);
  out << format("Races with bets:  %d\n", static_cast<int>(summary.curve.size()));
  out << format("Bets:             %d\n", summary.bets);
  out << format("Hits:             %d  (%.2f%%)\n", summary.hits, summary.hitPercent());
  if (summary.settledByOdds > 0)
    out << format("Settled by odds:  %d (the results gave no win payoff)\n", summary.settledByOdds);
  out << format("Money bet:        %s\n", dollars(summary.staked).c_str());
  out << format("Money returned:   %s\n", dollars(summary.returned).c_str());
  out << format("Net:              %s\n", dollars(summary.net()).c_str());
  out << format("Return on money:  %.2f%%\n", summary.roiPercent());
  out << format("Bankroll:         %s at the start, %s at the end\n", dollars(summary.startBankroll).c_str(),
                dollars(summary.finalBankroll).c_str());
  const Drawdown& drawdown = summary.drawdown;
  if (drawdown.trough < 0) {
    out << "Largest drawdown: none (the bankroll never fell below an earlier high)\n";
  } else {
    const int64_t peakBankroll = drawdown.peak < 0
                                     ? summary.startBankroll
                                     : summary.curve[static_cast<size_t>(drawdown.peak)].bankroll;
    const BetRace& trough = summary.curve[static_cast<size_t>(drawdown.trough)];
    out << format("Largest drawdown: %s  (%.2f%% of the peak)\n", dollars(drawdown.amount).c_str(),
                  drawdown.percent);
    const std::string from = drawdown.peak < 0 ? std::string("the start")
                                               : pointText(summary.curve[static_cast<size_t>(drawdown.peak)]);
    out << format("  from the peak    %s after %s\n", dollars(peakBankroll).c_str(), from.c_str());
    out << format("  to the low       %s after %s\n", dollars(trough.bankroll).c_str(),
                  pointText(trough).c_str());
  }
  if (summary.curve.empty()) {
    out << "Bootstrap p:      - (no bets)\n";
  } else {
    out << format("Bootstrap p:      %.4f  (%d resamples of the %d races with bets)\n", summary.pValue,
                  summary.resamples, static_cast<int>(summary.curve.size()));
    out << "  the share of resampled runs that made no money; small (below 0.05)\n"
           "  says a profit like this one is unlikely to be luck alone\n";
  }
}

void writeBankrollCurve(std::ostream& out, const ValueSummary& summary) {
  out << "date,track,race,bets,staked,returned,bankroll\n";
  auto plain = [](int64_t cents) {
    const bool negative = cents < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
    return (negative ? "-" : "") + std::to_string(magnitude / 100) +
           format(".%02u", static_cast<unsigned>(magnitude % 100));
  };
  for (const BetRace& point : summary.curve) {
    out << isoDateText(point.date) << ',' << point.track << ',' << point.raceNumber << ',' << point.bets
        << ',' << plain(point.staked) << ',' << plain(point.returned) << ',' << plain(point.bankroll) << '\n';
  }
}

}  // namespace stridewell
