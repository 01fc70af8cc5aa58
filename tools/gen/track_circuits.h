// Where horses race: the circuits of tracks whose horses meet, the codes the
// data service writes for them ("SA" for SAX), and whether a track runs
// for big purses. Used to give past races believable tracks and to pick the
// host of a simulcast race.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "random_source.h"

namespace stridewell::gen {

// The track code as the data service writes it: a code ending in X loses
// the X ("SAX" -> "SA"), except FPX, whose two-letter form reads as FMP.
std::string serviceTrackCode(std::string_view normalisedCode);

// Normalised three-letter codes of the circuit that `normalisedCode` belongs
// to, itself first; an unknown track gets a circuit of its own with the
// western tracks as neighbours.
std::vector<std::string> circuitOf(std::string_view normalisedCode);

// A major track: large purses and graded stakes.
bool isMajorTrack(std::string_view normalisedCode);

// A major track of another circuit, for a simulcast race.
std::string simulcastHost(RandomSource& random, std::string_view normalisedCode);

// Any track of any circuit.
std::string anyTrack(RandomSource& random);

}  // namespace stridewell::gen
