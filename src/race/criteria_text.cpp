#include "race/criteria_text.h"

#include <cstring>

namespace stridewell {
namespace {

constexpr size_t kDistanceLineWidth = 60;
constexpr uint16_t kFullBandMask = 0x3ff;
constexpr int kBandBits = 10;

// The boundary each mask bit stands for. The inner bands hold two bits, the
// lower one naming where the band starts and the upper one where it ends,
// so a run of set bits reads from its first bit's label to its last's.
constexpr std::string_view kBoundaryLabels[kBandBits] = {"$0",      "$10,000",        "$20,000", "$20,000",
                                                         "$30,000", "$30,000",        "$40,000", "$40,000",
                                                         "$50,000", "$50,000 or more"};
constexpr uint16_t kBandBitsOf[kPriceBandCount] = {0x001, 0x006, 0x018, 0x060, 0x180, 0x200};

constexpr std::string_view kStakesKinds[] = {"Grade I", "Grade II", "Grade III", "Non-Graded"};
static_assert(kStakesFirst + std::size(kStakesKinds) == kCriteriaClassCount);

unsigned checkedBands(const RaceCriteria& criteria, int firstEntry) {
  unsigned bands = 0;
  for (int k = 0; k < kPriceBandCount; ++k) {
    if (classChecked(criteria, firstEntry + k)) bands |= 1u << k;
  }
  return bands;
}

void appendBandLine(std::string& out, std::string_view label, unsigned bands) {
  if (bands == 0) return;
  out += describePriceBands(label, priceBandMask(bands));
  out += '\n';
}

}  // namespace

uint16_t priceBandMask(unsigned bandFlags) {
  uint16_t mask = 0;
  for (int k = 0; k < kPriceBandCount; ++k) {
    if (bandFlags >> k & 1u) mask |= kBandBitsOf[k];
  }
  return mask;
}

std::string describePriceBands(std::string_view label, uint16_t mask) {
  mask &= kFullBandMask;
  std::string out(label);
  if (mask == kFullBandMask) return out + ": Any price";
  out += ": ";
  bool firstRange = true;
  for (int b = 0; b < kBandBits;) {
    if (!(mask >> b & 1u)) {
      ++b;
      continue;
    }
    int last = b;
    while (last + 1 < kBandBits && (mask >> (last + 1) & 1u)) ++last;
    if (!firstRange) out += "; ";
    firstRange = false;
    if (last > b) {
      out += kBoundaryLabels[b];
      out += '-';
      out += kBoundaryLabels[last];
    } else if (b == 0) {
      out += "Under $10,000";
    } else if (b == kBandBits - 1) {
      out += "Over $50,000";
    } else {
      out += kBoundaryLabels[b];  // not produced by any band; see the header
    }
    b = last + 1;
  }
  return out;
}

std::string describeDistanceChecks(const RaceCriteria& criteria) {
  const bool* checks = criteria.distanceChecks;
  bool all = true;
  for (int i = 0; i < kCriteriaDistanceCount; ++i) all = all && checks[i];
  if (all) return "Distance: Any\n";

  std::string joined;
  bool broken = false;
  for (int i = 0; i < kCriteriaDistanceCount; ++i) {
    if (!checks[i]) continue;
    int last = i;
    while (last + 1 < kCriteriaDistanceCount && checks[last + 1]) ++last;
    std::string item(kCriteriaDistances[i].shortLabel);
    if (last > i) {
      item += " - ";
      item += kCriteriaDistances[last].shortLabel;
    }
    if (!joined.empty()) joined += "; ";
    // The separator stays on the first line; the break goes before the item.
    if (!broken && joined.size() + item.size() > kDistanceLineWidth) {
      joined += '\n';
      broken = true;
    }
    joined += item;
    i = last;
  }
  return "Distance: " + joined + "\n";
}

std::string describeClassChecks(const RaceCriteria& criteria) {
  std::string out;
  appendBandLine(out, "Maiden", checkedBands(criteria, kMaidenBandsFirst));
  if (classChecked(criteria, kMaidenSpecialWeightEntry)) out += "Maiden Special Weight\n";
  appendBandLine(out, "Claiming", checkedBands(criteria, kClaimingBandsFirst));
  appendBandLine(out, "Allowance", checkedBands(criteria, kAllowanceBandsFirst));

  std::string stakes;
  int stakesChecked = 0;
  for (size_t k = 0; k < std::size(kStakesKinds); ++k) {
    if (!classChecked(criteria, kStakesFirst + static_cast<int>(k))) continue;
    if (stakesChecked++ > 0) stakes += "; ";
    stakes += kStakesKinds[k];
  }
  if (stakesChecked == static_cast<int>(std::size(kStakesKinds))) stakes = "Any type";
  if (stakesChecked > 0) out += "Stakes: " + stakes + "\n";
  return out;
}

std::string describeCriteria(const RaceCriteria& criteria) {
  std::string out;
  const uint8_t distance = criteria.distanceFlags;
  if (distance & RaceCriteria::kCustomDistances) {
    out += describeDistanceChecks(criteria);
  } else {
    if (distance & RaceCriteria::kSprintsOnly) out += "Sprints only.\n";
    if (distance & RaceCriteria::kRoutesOnly) out += "Routes only.\n";
  }

  const uint8_t raceClass = criteria.classFlags;
  if (raceClass & RaceCriteria::kCustomClasses) {
    out += describeClassChecks(criteria);
  } else {
    if (raceClass & RaceCriteria::kMaidenClaimingOnly) out += "Maiden Claiming races only.\n";
    if (raceClass & RaceCriteria::kMaidenSpecialWeightOnly) out += "Maiden Special Weight races only.\n";
    if (raceClass & RaceCriteria::kClaimingOnly) out += "Claiming races only.\n";
    if (raceClass & RaceCriteria::kAllowanceOnly) out += "Allowance races only.\n";
    if (raceClass & RaceCriteria::kStakesOnly) out += "Stakes races only.\n";
  }

  if (criteria.surfaceFlags & RaceCriteria::kTurfOnly) out += "Turf only.\n";
  if (criteria.surfaceFlags & RaceCriteria::kDirtOnly) out += "Dirt tracks only.\n";
  if (criteria.surfaceFlags & RaceCriteria::kSyntheticOnly) out += "Synthetic tracks only.\n";

  if (criteria.conditionFlags & RaceCriteria::kWetOnly) out += "Wet (Sloppy/Muddy) tracks only.\n";
  if (criteria.conditionFlags & RaceCriteria::kDryOnly) out += "Dry tracks only.\n";

  if (!(criteria.trackFlags & RaceCriteria::kAllTracks)) {
    out += "Track Code '";
    out.append(criteria.trackCode, strnlen(criteria.trackCode, sizeof criteria.trackCode));
    out += "' only.\n";
  }
  return out;
}

}  // namespace stridewell
