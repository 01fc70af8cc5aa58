// `stridewell results`: prints what results files hold, race by race: the
// finishers in finish order with their odds and win, place and show payoffs,
// and the exotic payoffs the race paid. The race writer is exposed for tests
// and for reports that show a stored result.
#pragma once

#include <ostream>

#include "cli/command.h"
#include "race/race_result.h"

namespace stridewell::cli {

void writeRaceResult(const RaceResult& result, std::ostream& out);

class ResultsCommand : public Command {
 public:
  std::string_view name() const override { return "results"; }
  std::string_view summary() const override {
    return "Show the finish order and payoffs of results files (.XRD).";
  }
  std::string_view operandsSynopsis() const override { return "FILE..."; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
