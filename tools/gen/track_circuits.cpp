#include "track_circuits.h"

#include <algorithm>

namespace stridewell::gen {
namespace {

// Listed with the busiest tracks first: shippers come mostly from those.
const std::vector<std::vector<std::string>>& circuits() {
  static const std::vector<std::vector<std::string>> kCircuits = {
      {"SAX", "DMR", "HOL", "GGX", "BMX", "FPX", "PLN", "SAC", "SOL", "STK", "FNO"},
      {"AQU", "BEL", "SAR", "FLX"},
      {"CDX", "KEE", "ELP", "TPX"},
      {"LRL", "PIM", "DEL", "CTX", "PEN", "PHA", "MTH", "MED", "TIM", "ATL"},
      {"GPX", "TAM", "CRC", "HIA"},
      {"APX", "HAW", "SPT", "CBY", "PRM", "HOO", "BEU", "RDX", "TDN", "DET", "FMP"},
      {"FGX", "LAD", "OPX", "LSX", "RPX", "HOU", "EVD", "RET", "TRM"},
      {"WOX", "FEX", "HST", "EMD", "PMX", "YMX"},
  };
  return kCircuits;
}

constexpr std::string_view kMajorTracks[] = {
    "SAX", "DMR", "HOL", "AQU", "BEL", "SAR", "CDX", "KEE", "GPX",
    "OPX", "FGX", "PIM", "LRL", "MTH", "WOX", "DEL", "APX",
};

}  // namespace

std::string serviceTrackCode(std::string_view code) {
  if (code.size() == 3 && code[2] == 'X' && code.substr(0, 2) != "FP") return std::string(code.substr(0, 2));
  return std::string(code);
}

std::vector<std::string> circuitOf(std::string_view code) {
  for (const auto& circuit : circuits()) {
    if (std::find(circuit.begin(), circuit.end(), code) == circuit.end()) continue;
    std::vector<std::string> tracks{std::string(code)};
    for (const auto& track : circuit) {
      if (track != code) tracks.push_back(track);
    }
    return tracks;
  }
  std::vector<std::string> tracks{std::string(code)};
  for (const auto& track : circuits().front()) tracks.push_back(track);
  return tracks;
}

bool isMajorTrack(std::string_view code) {
  return std::find(std::begin(kMajorTracks), std::end(kMajorTracks), code) != std::end(kMajorTracks);
}

std::string simulcastHost(RandomSource& random, std::string_view code) {
  const std::vector<std::string> home = circuitOf(code);
  for (;;) {
    const std::string_view host = random.pick(kMajorTracks);
    if (std::find(home.begin(), home.end(), host) == home.end()) return std::string(host);
  }
}

std::string anyTrack(RandomSource& random) {
  const auto& circuit = random.pick(circuits());
  return random.pick(circuit);
}

}  // namespace stridewell::gen
