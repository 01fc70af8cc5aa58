#include "race_classes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace stridewell::gen {
namespace {

struct PricePar {
  int price;
  double par;
};

constexpr PricePar kClaimingPars[] = {
    {4000, 58},  {5000, 60},  {6250, 62},  {8000, 65},  {10000, 68}, {12500, 71}, {16000, 74},  {20000, 77},
    {25000, 80}, {32000, 83}, {40000, 86}, {50000, 88}, {62500, 90}, {80000, 92}, {100000, 94},
};

constexpr PricePar kMaidenClaimingPars[] = {
    {8000, 52}, {12500, 56}, {20000, 60}, {30000, 64}, {40000, 67}, {50000, 70}, {75000, 74},
};

constexpr double kMaidenSpecialPar = 80;
constexpr double kAllowanceBasePar = 86;  // at a purse of $50,000
constexpr double kStakesPar = 96;
constexpr double kGradedPars[] = {109, 104, 100};  // G1, G2, G3

int roundTo(double value, int step) {
  return static_cast<int>(std::floor(value / step + 0.5)) * step;
}

template <size_t N>
double parOfPrice(const PricePar (&table)[N], int price) {
  if (price <= table[0].price) return table[0].par;
  for (size_t i = 1; i < N; ++i) {
    if (price <= table[i].price) {
      const double t =
          static_cast<double>(price - table[i - 1].price) / (table[i].price - table[i - 1].price);
      return table[i - 1].par + t * (table[i].par - table[i - 1].par);
    }
  }
  return table[N - 1].par;
}

// The listed price whose par is nearest to `par`.
template <size_t N>
int priceOfPar(const PricePar (&table)[N], double par) {
  size_t best = 0;
  for (size_t i = 1; i < N; ++i) {
    if (std::fabs(table[i].par - par) < std::fabs(table[best].par - par)) best = i;
  }
  return table[best].price;
}

int claimingPurse(int price) {
  return std::max(12000, roundTo(price * 0.85 + 15000, 1000));
}
int maidenClaimingPurse(int price) {
  return roundTo(price * 0.6 + 18000, 1000);
}

}  // namespace

bool isMaidenClass(const RaceClass& c) {
  return c.type == "S" || c.type == "M";
}
bool isStakesClass(const RaceClass& c) {
  return c.type == "N" || (!c.type.empty() && c.type[0] == 'G');
}

double classPar(const RaceClass& c) {
  if (c.type == "S") return kMaidenSpecialPar;
  if (c.type == "M") return parOfPrice(kMaidenClaimingPars, c.claimingPrice);
  if (c.type == "C") return parOfPrice(kClaimingPars, c.claimingPrice);
  if (c.type == "A") return kAllowanceBasePar + (c.purse - 50000) / 6000.0;
  if (c.type == "R") return kAllowanceBasePar + 2 + (c.purse - 50000) / 6000.0;
  if (c.type == "N") return kStakesPar;
  if (c.type.size() == 2 && c.type[0] == 'G' && c.type[1] >= '1' && c.type[1] <= '3') {
    return kGradedPars[c.type[1] - '1'];
  }
  return kAllowanceBasePar;
}

RaceClass drawRaceClass(RandomSource& random, bool major, bool feature) {
  RaceClass c;
  if (feature) {
    const size_t grade = major ? random.weighted({0.45, 0.30, 0.17, 0.08}) : 0;
    static const char* const kStakes[] = {"N", "G3", "G2", "G1"};
    c.type = kStakes[grade];
  } else {
    static const char* const kTypes[] = {"M", "S", "C", "A", "R", "N"};
    c.type = kTypes[random.weighted({0.15, 0.17, 0.40, 0.14, 0.10, 0.04})];
  }
  // Smaller tracks card cheaper races for smaller purses.
  const double purseScale = major ? 1.0 : 0.4;
  if (c.type == "M") {
    static constexpr int kPrices[] = {20000, 30000, 40000, 50000};
    static constexpr int kSmallPrices[] = {8000, 12500, 20000};
    c.claimingPrice = major ? random.pick(kPrices) : random.pick(kSmallPrices);
    c.purse = roundTo(maidenClaimingPurse(c.claimingPrice) * (major ? 1.0 : 0.7), 500);
  } else if (c.type == "S") {
    c.purse = roundTo(random.between(56, 70) * 1000 * purseScale, 500);
  } else if (c.type == "C") {
    static constexpr int kPrices[] = {8000,  10000, 12500, 16000, 20000, 25000,
                                      32000, 40000, 50000, 62500, 80000};
    static constexpr int kSmallPrices[] = {4000, 5000, 6250, 8000, 10000, 12500, 16000, 20000, 25000};
    c.claimingPrice = major ? random.pick(kPrices) : random.pick(kSmallPrices);
    c.purse = roundTo(claimingPurse(c.claimingPrice) * (major ? 1.0 : 0.6), 500);
  } else if (c.type == "A") {
    c.purse = roundTo(random.between(55, 80) * 1000 * purseScale, 500);
  } else if (c.type == "R") {
    static constexpr int kPrices[] = {40000, 50000, 62500, 80000};
    c.claimingPrice = major ? random.pick(kPrices) : random.pick(kPrices) / 2;
    c.purse = roundTo(random.between(60, 85) * 1000 * purseScale, 500);
  } else if (c.type == "N") {
    c.purse = roundTo(random.between(3, 8) * 25000 * purseScale, 5000);
  } else if (c.type == "G3") {
    c.purse = random.between(4, 10) * 25000;
  } else if (c.type == "G2") {
    c.purse = random.between(4, 10) * 50000;
  } else {
    c.purse = random.between(3, 10) * 100000;
  }
  return c;
}

RaceClass classForPar(RandomSource& random, double par, bool maiden) {
  RaceClass c;
  if (maiden) {
    if (par >= 75 || random.chance(0.2)) {
      c.type = std::string("S");
      c.purse = random.between(56, 70) * 1000;
    } else {
      c.type = std::string("M");
      c.claimingPrice = priceOfPar(kMaidenClaimingPars, par + random.normal(0, 1.5));
      c.purse = maidenClaimingPurse(c.claimingPrice);
    }
    return c;
  }
  const bool claimingStyle = par < 86 || (par < 93 && random.chance(0.3));
  if (claimingStyle) {
    c.type = std::string("C");
    c.claimingPrice = priceOfPar(kClaimingPars, par + random.normal(0, 1.5));
    c.purse = claimingPurse(c.claimingPrice);
  } else if (par < 94) {
    const bool optional = random.chance(0.3);
    c.type = std::string(optional ? "R" : "A");
    if (optional) c.claimingPrice = random.chance(0.5) ? 62500 : 80000;
    const double base = optional ? kAllowanceBasePar + 2 : kAllowanceBasePar;
    c.purse = std::clamp(roundTo(50000 + (par - base) * 6000, 1000), 40000, 100000);
  } else if (par < 99) {
    c.type = std::string("N");
    c.purse = random.between(3, 8) * 25000;
  } else if (par < 103) {
    c.type = std::string("G3");
    c.purse = random.between(4, 10) * 25000;
  } else if (par < 107) {
    c.type = std::string("G2");
    c.purse = random.between(4, 10) * 50000;
  } else {
    c.type = std::string("G1");
    c.purse = random.between(3, 10) * 100000;
  }
  return c;
}

std::string dollars(int amount) {
  std::string digits = std::to_string(amount);
  std::string text;
  const int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) text += ',';
    text += digits[static_cast<size_t>(i)];
  }
  return "$" + text;
}

std::string classTitle(const RaceClass& c, const std::string& stakesName) {
  if (c.type == "S") return "MAIDEN SPECIAL WEIGHT";
  if (c.type == "M") return "MAIDEN CLAIMING " + dollars(c.claimingPrice);
  if (c.type == "C") return "CLAIMING " + dollars(c.claimingPrice);
  if (c.type == "A") return "ALLOWANCE";
  if (c.type == "R") return "ALLOWANCE OPTIONAL CLAIMING " + dollars(c.claimingPrice);
  std::string title = "THE " + stakesName + " STAKES";
  if (c.type == "G1") title += " (GRADE I)";
  if (c.type == "G2") title += " (GRADE II)";
  if (c.type == "G3") title += " (GRADE III)";
  return title;
}

}  // namespace stridewell::gen
