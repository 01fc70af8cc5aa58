#include "handicap/race_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "base/interaction.h"
#include "handicap/report_text.h"
#include "handicap/zurovurezode.h"
#include "model/sim_model.h"
#include "patterns/race_scoring.h"
#include "race/card_values.h"

namespace stridewell {

namespace {

constexpr int kFewestReportedHorses = 5;
constexpr const char* kOrdinals[kPredictedPlaces] = {"Win:", "Place:", "Show:", "Fourth:", "Fifth:"};

template <size_t N>
std::string_view memberText(const char (&text)[N]) {
  return std::string_view(text, strnlen(text, N));
}

std::string padLeft(std::string_view text, size_t width) {
  std::string padded(width > text.size() ? width - text.size() : 0, ' ');
  return padded.append(text);
}

std::string padRight(std::string_view text, size_t width) {
  std::string padded(text);
  if (width > padded.size()) padded.append(width - padded.size(), ' ');
  return padded;
}

std::string fixed2(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%5.2f", value);
  return buffer;
}

// SIM names in headings are cut to 30 characters.
std::string_view simHeadingName(const std::string& name) {
  return std::string_view(name).substr(0, 30);
}

const char* surfaceWord(uint8_t surface) {
  if (surface == 1) return "TURF";
  if (surface == 2) return "SYNTHETIC";
  return "DIRT";
}

const char* sprintWord(uint8_t sprintRoute) {
  if (sprintRoute == RaceProfile::kSprint) return "SPRINT";
  if (sprintRoute == RaceProfile::kRoute) return "ROUTE";
  return "";
}

// The columns of the finish-order table, sized to the race.
struct FinishOrderLayout {
  bool showMorningLine = false;
  bool showProgram = false;
  size_t nameWidth = 0;

  std::string row(std::string_view ordinal, std::string_view program, std::string_view name,
                  std::string_view score, std::string_view winOdds, std::string_view morningLine,
                  std::string_view medication, std::string_view age, std::string_view weight,
                  std::string_view jockey) const {
    std::string line = padRight(ordinal, 7) + ' ';
    line += showProgram ? padRight(program, 6) : padLeft(program, 2);
    line += ' ' + padRight(name, nameWidth);
    line += ' ' + padLeft(score, 5) + ' ' + padLeft(winOdds, 5);
    if (showMorningLine) line += ' ' + padLeft(morningLine, 5);
    line += ' ' + padLeft(medication, 2) + ' ' + padLeft(age, 3) + ' ' + padLeft(weight, 3) + ' ';
    line += jockey;
    return line;
  }
};

FinishOrderLayout finishOrderLayout(const Race& race) {
  FinishOrderLayout layout;
  const int horses = std::min<int>(race.profile.horseCount, kMaxHorses);
  for (int h = 0; h < horses; ++h) {
    const HorseListEntry& entry = race.text.horseList[h];
    if (entry.morningLine != 0.0f) layout.showMorningLine = true;
    if (entry.programNumber[0] != '\0') layout.showProgram = true;
    layout.nameWidth = std::max(layout.nameWidth, memberText(race.profile.horses[h].name).size());
  }
  return layout;
}

// The program number with the post position ("1A/1"), or the post position
// alone. Without program numbers in the race the column is two wide and the
// post position stands in it right-aligned.
std::string programText(const Race& race, int slot, bool showProgram) {
  const std::string post = std::to_string(race.profile.horses[slot].postPosition);
  if (!showProgram) return post;
  const std::string_view program = memberText(race.text.horseList[slot].programNumber);
  if (!program.empty() && program != post) return padLeft(program, 3) + "/" + post;
  return "   " + post;
}

std::string medicationMark(uint8_t medication) {
  std::string mark = "  ";
  if (medication & HorseEntry::kLasix) mark[0] = 'L';
  if (medication & HorseEntry::kBute) mark[1] = 'B';
  return mark;
}

void writeRestrictionAndComments(const Race& race, std::ostream& out) {
  out << restrictionReportText(memberText(race.text.restriction)) << '\n';
  std::vector<std::string_view> comments;
  for (const auto& line : race.text.commentLines) comments.push_back(memberText(line));
  for (const std::string& line : wrapComments(comments)) out << line << '\n';
}

// The finish order, scored as scoreRace scores it; `scoresOut` (when given)
// gets every horse's score, or stays empty when the race cannot be scored.
void writeScoredFinishOrder(std::ostream& out, const Race& race, SimModel& model,
                            std::vector<double>* scoresOut) {
  RacePrediction prediction;
  std::array<double, kMostScoredHorses> scores{};
  if (scoreRaceHorses(model, race.profile, scores)) {
    const auto field = std::span<const double>(scores).first(static_cast<size_t>(race.profile.horseCount));
    predictFromScores(field, prediction);
    if (scoresOut != nullptr) scoresOut->assign(field.begin(), field.end());
  }
  const FinishOrderLayout layout = finishOrderLayout(race);
  out << layout.row("", layout.showProgram ? "Pgm/PP" : "PP", "Horse", "Score", "Wodds", "Modds", "Rx", "Age",
                    "Wgt", "Jockey")
      << '\n';
  for (int place = 0; place < prediction.entryCount && place < kPredictedPlaces; ++place) {
    const PredictedHorse& pick = prediction.entries[place];
    const int slot = pick.horse;
    if (slot < 0 || slot >= kMaxHorses) continue;
    const HorseProfile& horse = race.profile.horses[slot];
    const HorseListEntry& entry = race.text.horseList[slot];
    out << layout.row(kOrdinals[place], programText(race, slot, layout.showProgram), memberText(horse.name),
                      fixed2(pick.winPercent), fixed2(pick.fairOdds), fixed2(entry.morningLine),
                      medicationMark(horse.medication), memberText(entry.ageSex),
                      std::to_string(horse.weight), memberText(race.card.horses[slot].jockey))
        << '\n';
  }
}

// The machine-readable figures of one finish order (or of a race without
// one), when the run asked for them.
void addTable(const Race& race, const ReportSims& sims, std::span<const double> scores, std::string note,
              std::string_view trackAssumed, std::string_view simName) {
  if (sims.tables == nullptr) return;
  RaceTable table = buildRaceTable(race, scores, sims.tableOptions, std::move(note));
  table.trackAssumed = std::string(trackAssumed);
  table.simName = std::string(simName);
  sims.tables->push_back(std::move(table));
}

// Writes a finish order, and its figures when asked for.
void writeFinishOrderWithTable(std::ostream& out, const Race& race, const ReportSims& sims, SimModel& model,
                               std::string_view trackAssumed, std::string_view simName) {
  std::vector<double> scores;
  writeScoredFinishOrder(out, race, model, sims.tables != nullptr ? &scores : nullptr);
  addTable(race, sims, scores, kNotScoredNote, trackAssumed, simName);
}

// Loads the rule's SIM and writes its table, or the loading error.
void writeRuleFinishOrder(std::ostream& out, const Race& race, const ReportSims& sims,
                          const ResolvedSimRule& rule, std::string_view heading,
                          std::string_view trackAssumed) {
  SimModel& model = *sims.model;
  const std::string_view simName = simHeadingName(rule.simName);
  if (!model.loadWeights(rule.weightsPath)) {
    out << "\nERROR LOADING SIM: " << simName << '\n';
    if (sims.unscored != nullptr) {
      sims.unscored->push_back(
          {race.text.raceNumber, std::string(trackAssumed), rule.simName, model.loadProblem()});
    }
    addTable(race, sims, {}, kSimNotLoadedNote, trackAssumed, rule.simName);
    return;
  }
  out << '\n' << heading << " [SIM: " << simName << "]:\n";
  writeFinishOrderWithTable(out, race, sims, model, trackAssumed, rule.simName);
}

}  // namespace

std::string raceHeaderLine(const Race& race) {
  std::string line = dateText(race.profile.date) + " Race " + std::to_string(race.text.raceNumber) + " at " +
                     trackName(memberText(race.text.cardTrack));
  // A race run elsewhere and shown on this card; a card that names no host
  // track says nothing either way.
  const std::string_view host = memberText(race.card.hostTrack);
  if (!host.empty() && !sameTrack(host, memberText(race.text.cardTrack))) {
    line += " [Simulcast of Race " + std::to_string(race.profile.hostRaceNumber) + " at " +
            trackName(memberText(race.profile.hostTrack)) + "]";
  }
  return line;
}

// The track condition does not enter the scores.
void writeFinishOrder(std::ostream& out, const Race& race, SimModel& model, [[maybe_unused]] int condition) {
  writeScoredFinishOrder(out, race, model, nullptr);
}

void writeRaceReport(const Race& race, const ReportSims& sims, std::ostream& out) {
  const RaceProfile& profile = race.profile;
  out << raceHeaderLine(race) << '\n';

  int dryRule = -1;
  int wetRule = -1;
  if (sims.mapMode && sims.simMap != nullptr) {
    dryRule = firstMatchingRule(*sims.simMap, profile, kDry);
    if (!sims.dryOnly) wetRule = firstMatchingRule(*sims.simMap, profile, kWet);
  }

  out << raceTypeText(profile.raceClass) << " race at " << reportDistanceText(profile.distanceYards) << " on "
      << surfaceWord(profile.surface) << " (" << sprintWord(profile.sprintRoute) << ")\n";
  if (profile.horseCount < kFewestReportedHorses) {
    out << "********** RACE SKIPPED (too few horses) **********\n\n";
    if (sims.model != nullptr)
      addTable(race, sims, {}, kTooFewHorsesNote, "", sims.mapMode ? "" : sims.simName);
    return;
  }
  if (sims.mapMode && dryRule < 0 && wetRule < 0) {
    out << "********** RACE SKIPPED (no criteria match) **********\n\n";
    if (sims.model != nullptr) addTable(race, sims, {}, kNoRuleNote, "", "");
    return;
  }
  writeRestrictionAndComments(race, out);

  out << '\n';
  const ZuroVurezodeReport alerts = analyzeRace(profile);
  out << alerts.text;
  if (alerts.internalError && sims.ui != nullptr) sims.ui->error("INTERNAL");
  out << '\n' << ' ';

  if (sims.model == nullptr) {
    out << "\n\n\n\n";
    return;
  }
  SimModel& model = *sims.model;
  if (!sims.mapMode) {
    out << '\n';
    writeFinishOrderWithTable(out, race, sims, model, "", sims.simName);
  } else if (dryRule >= 0 && dryRule == wetRule) {
    writeRuleFinishOrder(out, race, sims, (*sims.simMap)[dryRule], "Finish order", "");
  } else {
    if (dryRule >= 0) {
      writeRuleFinishOrder(out, race, sims, (*sims.simMap)[dryRule], "Finish order (DRY track assumed)",
                           "dry");
    }
    if (wetRule >= 0) {
      writeRuleFinishOrder(out, race, sims, (*sims.simMap)[wetRule], "Finish order (WET track assumed)",
                           "wet");
    }
  }
  out << "\n\n\n\n";
}

}  // namespace stridewell
