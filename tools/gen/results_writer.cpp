#include "results_writer.h"

#include "field_line.h"

namespace stridewell::gen {
namespace {

constexpr const char* kMedicationText[] = {"", "L", "B", "LB"};

std::string resultsLine(const RaceDay& day, const SimulatedRace& race, int h) {
  const Horse& horse = race.horses[static_cast<size_t>(h)];
  FieldLine line;
  line.text(1, day.trackField);
  line.raw(2, dateDigits(day.date));
  line.number(3, race.number);
  line.number(4, race.yards);
  line.text(5, std::string(1, race.runSurface));
  line.text(6, race.raceClass.type);
  if (race.raceClass.claimingPrice > 0) line.number(7, race.raceClass.claimingPrice);
  line.number(8, race.raceClass.purse);
  line.text(9, race.restriction);
  line.number(10, static_cast<int64_t>(race.finishOrder.size()));
  line.fixed(11, race.winnerTime100, 2);
  line.text(12, std::string(1, race.surface));
  line.text(13, race.weather);
  line.text(17, race.condition);
  line.number(18, horse.post);
  line.text(19, horse.programNumber);
  line.text(20, horse.name);
  line.text(21, day.jockeys[static_cast<size_t>(horse.jockey)].name);
  line.number(22, horse.weight);
  line.text(23, kMedicationText[horse.medication & 3]);
  line.number(24, horse.age);
  line.text(25, std::string(1, horse.sexLetter));
  line.fixed(37, race.odds100[static_cast<size_t>(h)], 2);
  if (race.favourite >= 0 && race.horses[static_cast<size_t>(race.favourite)].interest == horse.interest) {
    line.text(38, "*");
  }
  line.number(49, horse.finish);
  line.trimmed(51, horse.calls.lengths[kFinishCall], 2);
  for (int call = 0; call < 4; ++call) {
    line.number(52 + call, horse.calls.position[call]);
    line.trimmed(56 + call, horse.calls.lengths[call], 2);
  }
  line.text(60, horse.trip);
  if (race.winPayoff100[static_cast<size_t>(h)] > 0)
    line.fixed(75, race.winPayoff100[static_cast<size_t>(h)], 2);
  if (race.placePayoff100[static_cast<size_t>(h)] > 0)
    line.fixed(76, race.placePayoff100[static_cast<size_t>(h)], 2);
  if (race.showPayoff100[static_cast<size_t>(h)] > 0)
    line.fixed(77, race.showPayoff100[static_cast<size_t>(h)], 2);
  // Every line repeats the race's wagers, as the service does.
  for (size_t i = 0; i < race.wagers.size() && i < 9; ++i) {
    const Wager& wager = race.wagers[i];
    const int slot = static_cast<int>(i);
    line.text(78 + slot, wager.name);
    line.text(87 + slot, wager.combination);
    line.fixed(96 + slot, wager.payoff100, 2);
    line.number(105 + slot, wager.pool);
  }
  return line.joined(kResultsFieldCount);
}

}  // namespace

std::string writeResults(const RaceDay& day) {
  std::string text;
  for (const SimulatedRace& race : day.races) {
    for (int h : race.finishOrder) {
      text += resultsLine(day, race, h);
      text += "\r\n";
    }
  }
  return text;
}

}  // namespace stridewell::gen
