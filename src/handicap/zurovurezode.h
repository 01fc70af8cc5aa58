// The ZuroVurezode: a check of a race's field that needs no SIM. It looks at
// 21 of a horse's 85 network inputs, finds horses that stand more than two
// standard deviations beyond the field in the good direction, and names up
// to three horses that collected the largest share of such findings. Pure
// function of the RaceProfile; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "patterns/horse_inputs.h"
#include "race/race_profile.h"

namespace stridewell {

// The labelled inputs, by input number; an empty label means the input is
// not looked at. A label's first character gives the good direction: '+'
// high values are good, '-' low ones.
std::string_view zuroVurezodeLabel(int input);

struct ZuroVurezodeReport {
  // What the race report prints, every line ending in "\n": nothing for a
  // field of fewer than 5 or more than 64 horses; "ZuroVurezode found no
  // alerts for this race." when no horse stands out; else one ALERT block
  // per alerted horse.
  std::string text;
  // Slots of the alerted horses, in the order of their blocks (at most 3).
  std::vector<int> alerts;
  // An encoding of the wrong width: the text is "INTERNAL ERROR\n" and the
  // caller shows the error box "INTERNAL"; the report goes on.
  bool internalError = false;
};

ZuroVurezodeReport analyzeRace(const RaceProfile& profile);

// The same with another horse encoder; the tests use it to reach the
// wrong-width path, which encodeHorse itself never takes.
using HorseEncoder = int (*)(const HorseProfile& horse, HorseInputs& inputs);
ZuroVurezodeReport analyzeRace(const RaceProfile& profile, HorseEncoder encode);

}  // namespace stridewell
