// `stridewell card`: prints what card files hold, race by race, as a
// handicapper reads a program: the race conditions, a row per starter and,
// on request, each starter's past races and the form factors derived from
// them. The race writer is exposed so that other reports and the tests can
// print a race without a file.
#pragma once

#include <ostream>

#include "cli/command.h"
#include "race/race.h"

namespace stridewell::cli {

struct CardView {
  bool showPastRaces = false;
  bool showFormFactors = false;
};

// The race header: track, date, race number, distance, surface, class,
// restriction, simulcast host, comment lines.
void writeRaceHeader(const Race& race, std::ostream& out);
// The header, then one row per horse (and its past races when asked).
void writeCardRace(const Race& race, const CardView& view, std::ostream& out);

class CardCommand : public Command {
 public:
  std::string_view name() const override { return "card"; }
  std::string_view summary() const override { return "Show the races and horses of card files (.TCF)."; }
  std::string_view operandsSynopsis() const override { return "FILE..."; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
