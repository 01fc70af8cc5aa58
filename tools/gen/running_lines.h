// How races are run in the sample data: distances and track conditions a
// track cards, the time a speed figure stands for, beaten lengths as charts
// write them, and the running line of one horse at the five calls.
#pragma once

#include <string>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

bool isSprintYards(int yards);
// Sloppy and muddy dirt, yielding and soft turf.
bool isWetCondition(const std::string& condition);

// Speed-figure points that one length is worth at a distance.
double pointsPerLength(int yards);
// The horse's own time, in hundredths of a second, for a figure.
int finalTime100(int yards, double figure, char surface, bool wet);
// Lengths in hundredths: nose 5, head 10, neck 25, then quarters, then halves.
int quantizeLengths100(double lengths);

int drawYards(RandomSource& random, char surface, bool sprint);
std::string drawCondition(RandomSource& random, char surface, bool wetDay);

// Positions and lengths behind at the five calls of one horse whose finish
// is known; the early calls follow its running style (1 front runner).
Calls singleHorseCalls(RandomSource& random, int fieldSize, int finish, int finishLengths100,
                       double earlySpeed);

}  // namespace stridewell::gen
