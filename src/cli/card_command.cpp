#include "cli/card_command.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "cli/input_file.h"
#include "cli/race_text.h"
#include "cli/text_format.h"
#include "race/card_reader.h"
#include "race/card_values.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kCardOptions[] = {
    {'f', "form", "", "Show the form factors derived for every horse."},
    {'p', "past", "", "Show the past races of every horse under it."},
    kRaceOption,
};

const TextTable kHorseTable(2, {
                                   {"PP", 3, true},
                                   {"Prog", 4},
                                   {"Horse", 20},
                                   {"A/S", 4},
                                   {"Wt", 3, true},
                                   {"Med", 3},
                                   {"ML", 5, true},
                                   {"Jockey", 16},
                                   {"JGR", 3, true},
                                   {"Past", 4, true},
                                   {"StA", 3, true},
                                   {"Earn A", 10, true},
                                   {"StB", 3, true},
                                   {"Earn B", 10, true},
                                   {"Prime", 6, true},
                                   {"Class", 6, true},
                               });

const TextTable kPastRaceTable(11, {
                                       {"Date", 10},
                                       {"Dist", 8},
                                       {"Surf", 4},
                                       {"Class", 11},
                                       {"Fld", 3, true},
                                       {"PP", 3, true},
                                       {"Call1", 8},
                                       {"Call2", 8},
                                       {"Str", 8},
                                       {"Fin", 8},
                                       {"Spd", 4, true},
                                       {"Flg", 3},
                                   });

const TextTable kFormTable(2,
                           {
                               {"PP", 3, true},    {"Horse", 20},     {"Days", 4, true},  {"Same", 4, true},
                               {"Good", 4, true},  {"SGd", 3, true},  {"Fail", 4, true},  {"ES", 2, true},
                               {"Spd", 5, true},   {"EPS", 8, true},  {"Best", 5, true},  {"Dry", 5, true},
                               {"Wet", 5, true},   {"C1", 4, true},   {"Fin", 4, true},   {"1st-2nd-3rd", 11},
                               {"Last money", 14}, {"ClsR", 6, true}, {"Level", 6, true},
                           });

// The text of a fixed-size NUL-terminated member, bounded even if the NUL is missing.
template <size_t N>
std::string_view memberText(const char (&text)[N]) {
  return std::string_view(text, strnlen(text, N));
}

// Ratings read as 0 when the card leaves them out.
std::string ratingText(float rating) {
  if (rating == 0) return "-";
  return formatText("%.1f", static_cast<double>(rating));
}

bool isSimulcast(const Race& race) {
  const std::string_view host = memberText(race.card.hostTrack);
  const bool otherTrack = !host.empty() && !sameTrack(host, memberText(race.text.cardTrack));
  const bool otherNumber = race.card.hostRaceNumber != 0 && race.card.hostRaceNumber != race.text.raceNumber;
  return otherTrack || otherNumber;
}

void writePastRace(const PastRace& past, std::ostream& out) {
  kPastRaceTable.writeRow(out, {
                                   dateText(past.date),
                                   shortDistanceText(past.distance),
                                   (past.flags & PastRace::kTurf) ? "turf" : "main",
                                   shortClassText(past.raceClass),
                                   std::to_string(past.fieldSize),
                                   std::to_string(past.postPosition),
                                   callText(past.call1),
                                   callText(past.call2),
                                   callText(past.call3),
                                   callText(past.finish),
                                   std::to_string(past.speedRating),
                                   pastRaceFlagsText(past.flags),
                               });
}

// Averages read as "-" when no race had the figure.
std::string averageText(float average) {
  if (average == 0) return "-";
  return formatText("%.1f", static_cast<double>(average));
}

void writeFormFactors(const Race& race, int slot, std::ostream& out) {
  const HorseProfile& p = race.profile.horses[slot];
  const std::string lastMoney = p.lastMoneyFinish == 0 ? "-"
                                                       : shortClassText(p.lastMoneyClass) + " (" +
                                                             std::to_string(p.lastMoneyFinish) + ")";
  kFormTable.writeRow(out, {
                               std::to_string(p.postPosition),
                               std::string(memberText(p.name)),
                               std::to_string(p.daysSinceLastRace),
                               std::to_string(p.sameTypeRaces),
                               std::to_string(p.goodRaces),
                               std::to_string(p.sameTypeGoodRaces),
                               std::to_string(p.failures),
                               std::to_string(p.earlySpeed),
                               p.avgSpeedRating10 == 0 ? "-" : formatText("%.1f", p.avgSpeedRating10 / 10.0),
                               moneyText(p.earningsPerStart),
                               averageText(p.bestRate),
                               averageText(p.dryRateAverage),
                               averageText(p.wetRateAverage),
                               averageText(p.avgCall1),
                               averageText(p.avgFinish),
                               formatText("%d-%d-%d", p.finishes[0], p.finishes[1], p.finishes[2]),
                               lastMoney,
                               averageText(p.avgClassRating),
                               averageText(p.avgRaceLevel),
                           });
}

void writeHorse(const Race& race, int slot, const CardView& view, std::ostream& out) {
  const HorseEntry& horse = race.card.horses[slot];
  const HorseListEntry& listEntry = race.text.horseList[slot];
  kHorseTable.writeRow(out, {
                                std::to_string(horse.postPosition),
                                std::string(memberText(listEntry.programNumber)),
                                std::string(memberText(horse.name)),
                                std::string(memberText(listEntry.ageSex)),
                                horse.weight == 0 ? "-" : std::to_string(horse.weight),
                                medicationText(horse.medication),
                                oddsText(horse.morningLine),
                                std::string(memberText(horse.jockey)),
                                std::to_string(horse.jockeyGoodRaces),
                                std::to_string(horse.pastRaceCount),
                                std::to_string(horse.startsThisYear),
                                moneyText(horse.earningsThisYear),
                                std::to_string(horse.startsLastYear),
                                moneyText(horse.earningsLastYear),
                                ratingText(horse.primePower),
                                ratingText(horse.currentClass),
                            });
  if (!view.showPastRaces) return;
  const int pastRaces = std::min<int>(horse.pastRaceCount, kMaxPastRaces);
  for (int k = 0; k < pastRaces; ++k) writePastRace(horse.pastRaces[k], out);
  out << '\n';  // each horse with its past races is one block
}

}  // namespace

void writeRaceHeader(const Race& race, std::ostream& out) {
  const RaceCard& card = race.card;
  const RaceCardText& text = race.text;
  std::string header = trackText(memberText(text.cardTrack)) + "  " + dateText(card.date) + "  Race " +
                       std::to_string(text.raceNumber) + "\n";
  header += distanceText(card.distance) + ", " + surfaceText(card.surface) + ", " + classText(card.raceClass);
  const std::string restriction = restrictionText(memberText(text.restriction));
  if (!restriction.empty()) header += ", " + restriction;
  header += '\n';
  if (isSimulcast(race)) {
    header += "Simulcast: run at " + trackText(memberText(card.hostTrack));
    if (card.hostRaceNumber != 0) header += " as race " + std::to_string(card.hostRaceNumber);
    header += '\n';
  }
  for (const auto& comment : text.commentLines) {
    const std::string_view line = memberText(comment);
    if (!line.empty()) header += "  " + std::string(line) + "\n";
  }
  // Line ends are ours; everything between them may come from the file.
  std::string_view rest = header;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    out << printableText(rest.substr(0, end)) << '\n';
    rest.remove_prefix(end + 1);
  }
}

void writeCardRace(const Race& race, const CardView& view, std::ostream& out) {
  writeRaceHeader(race, out);
  out << '\n';
  const int horses = std::min<int>(race.card.horseCount, kMaxHorses);
  if (horses == 0) {
    out << "  (no starters: every horse is scratched)\n\n";
    return;
  }
  kHorseTable.writeHeader(out);
  if (view.showPastRaces) kPastRaceTable.writeHeader(out);
  for (int slot = 0; slot < horses; ++slot) writeHorse(race, slot, view, out);
  if (!view.showPastRaces) out << '\n';
  if (!view.showFormFactors) return;
  const RaceProfile& profile = race.profile;
  out << "  Form factors, for a " << (profile.sprintRoute == RaceProfile::kSprint ? "sprint" : "route")
      << " of " << profile.distanceYards << " yards:\n";
  kFormTable.writeHeader(out);
  for (int slot = 0; slot < horses; ++slot) writeFormFactors(race, slot, out);
  out << '\n';
}

std::string_view CardCommand::description() const {
  return "Reads each card file and prints its races: track, date and race number, then\n"
         "distance, surface, class and the age and sex restriction, the host track of a\n"
         "simulcast race and the race's comment lines, then one row per starter\n"
         "(scratched horses are left out). FILE may be - for standard input, or the\n"
         "card's archive (ABC1234M.ZIP holds ABC1234.TCF), unpacked into the\n"
         "Workspace's UNZIP folder while it is read.\n"
         "\n"
         "Starter columns: PP post position, Prog program number, A/S age and sex\n"
         "(c colt, f filly, g gelding, h horse, m mare), Wt weight, Med medication\n"
         "(L, B), ML morning line, JGR past races with today's jockey that were good\n"
         "races, Past past races on the card, StA/Earn A and StB/Earn B the card's two\n"
         "starts-and-earnings records, Prime PrimePower, Class current class rating.\n"
         "\n"
         "Past-race columns (--past): the calls are position/beaten lengths (the start\n"
         "and first call for sprints, first and second call for routes, then stretch\n"
         "and finish); Spd speed rating; Surf turf or main (dirt or synthetic); Flg:\n"
         "F restricted to fillies and mares, O open to older horses, ! trouble in the\n"
         "trip comment.\n"
         "\n"
         "Form-factor columns (--form), worked out from the past races: Days since the\n"
         "last race (at most 100), Same past races of today's kind (sprint or route),\n"
         "Good good races (first three, or close at the finish), SGd good races of\n"
         "today's kind, Fail bad races since the latest good one that count against\n"
         "the horse, ES early speed 0-8, Spd speed rating of the two latest good\n"
         "races, EPS earnings per start, Best/Dry/Wet the best rate and the average\n"
         "rates on dry and wet tracks, C1 and Fin the average position at the first\n"
         "call and at the finish in races of today's kind, 1st-2nd-3rd finishes in the\n"
         "money, Last money the class and place of the latest, ClsR and Level the\n"
         "class rating and race level of the two latest good races.\n"
         "\n"
         "Exit status: 0 when every file was read, 1 when a file is not valid (a line\n"
         "fails its check code, or an archive is no zip archive), cannot be read to\n"
         "its end, or lacks the race asked for with --race, 2 when a file cannot be\n"
         "opened or the command line is wrong.\n";
}

std::span<const OptionSpec> CardCommand::options() const {
  return kCardOptions;
}

int CardCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  if (options.operands().empty()) {
    err << "stridewell card: error: no card file given\n\n" << usage();
    return kExitUsage;
  }
  int onlyRace = 0;
  if (!readRaceOption(options, "card", err, onlyRace)) return kExitUsage;
  CardView view;
  view.showPastRaces = options.has("past");
  view.showFormFactors = options.has("form");

  int status = kExitOk;
  auto race = std::make_unique<Race>();
  for (const std::string& path : options.operands()) {
    InputFile input = openRaceInputFile(path, kCardFileKind);
    if (!input.stream) {
      err << "stridewell card: error: " << input.error << '\n';
      status = std::max(status, input.damaged ? kExitBadInput : kExitCannotOpen);
      continue;
    }
    out << "== " << input.displayName << " ==\n\n";
    CardReader reader(*input.stream, input.displayName);
    int shown = 0;
    while (reader.next(*race)) {
      if (onlyRace != 0 && race->text.raceNumber != onlyRace) continue;
      writeCardRace(*race, view, out);
      ++shown;
    }
    out << input.displayName << ": " << reader.racesRead() << (reader.racesRead() == 1 ? " race" : " races")
        << " read";
    if (onlyRace != 0) out << ", " << shown << " shown";
    out << "\n\n";
    if (reader.invalid() || reader.readError()) {
      err << "stridewell card: error: " << reader.problem() << '\n';
      status = std::max(status, kExitBadInput);
    } else if (reader.tooManyHorses()) {
      err << "stridewell card: warning: " << reader.problem() << '\n';
    }
    if (onlyRace != 0 && shown == 0) {
      err << "stridewell card: error: " << input.displayName << ": race " << onlyRace << " was not found\n";
      status = std::max(status, kExitBadInput);
    }
  }
  return status;
}

}  // namespace stridewell::cli
