// One race's block of the handicap report: the race header, the
// ZuroVurezode alerts and the predicted finish order (or, with an SI Map,
// one for a dry and one for a wet track, each from the SIM its rule
// names). Every line is written exactly as handicappers have always read it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "handicap/handicap_table.h"
#include "handicap/sim_map_rules.h"
#include "race/race.h"

namespace stridewell {

class SimModel;
class UserInteraction;

// A finish order left out because the SIM its rule names could not be
// loaded; the report shows "ERROR LOADING SIM" in its place.
struct UnscoredRace {
  int raceNumber = 0;
  std::string trackAssumed;  // "dry" or "wet"; empty when one table serves both
  std::string simName;
  std::string reason;  // names the weights file and why it could not be used

  bool operator==(const UnscoredRace&) const = default;
};

struct ReportSims {
  // With an SI Map each race loads the SIM of its rule into `model`;
  // without, `model` holds the run's one SIM, loaded by the caller.
  bool mapMode = false;
  const ResolvedSimMap* simMap = nullptr;  // required in map mode
  bool dryOnly = false;                    // map mode: no wet-track finish order
  SimModel* model = nullptr;
  // Shown the error box "INTERNAL" when the alerts cannot be computed.
  UserInteraction* ui = nullptr;
  // Map mode: gets a record for each finish order left out. May be null.
  std::vector<UnscoredRace>* unscored = nullptr;
  // When set, gets the figures of every horse for each finish order, and a
  // table without figures for a race that has none; the report itself does
  // not change.
  std::vector<RaceTable>* tables = nullptr;
  HandicapTableOptions tableOptions;
  std::string simName;  // without an SI Map: the SIM named in the tables
};

void writeRaceReport(const Race& race, const ReportSims& sims, std::ostream& out);

// The finish-order table for a track condition (2 dry, 1 wet): the header,
// then Win, Place, Show, Fourth and Fifth as `model` ranks the field; only
// the header when the race cannot be scored.
void writeFinishOrder(std::ostream& out, const Race& race, SimModel& model, int condition);

// The header line: "15-MAR-24 Race 5 at Santa Anita", with
// " [Simulcast of Race 7 at Gulfstream Park]" when run at another track.
std::string raceHeaderLine(const Race& race);

}  // namespace stridewell
