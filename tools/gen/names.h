// Invented names for the sample data: horses (unique within a race day, at
// most 18 characters as racing rules allow), jockeys ("Surname F." style) and
// stakes races. Every name is built from word lists, so any likeness to a
// real horse or person is chance.
#pragma once

#include <set>
#include <string>

#include "random_source.h"

namespace stridewell::gen {

// A horse name not yet in `used`; it is added to `used`.
std::string horseName(RandomSource& random, std::set<std::string>& used);

// A jockey's name as the data service prints it, e.g. "Delgado R".
std::string jockeyName(RandomSource& random);

// The name part of a stakes race, e.g. "Copper Canyon".
std::string stakesName(RandomSource& random);

}  // namespace stridewell::gen
