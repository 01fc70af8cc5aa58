#include "race_comments.h"

#include <cctype>

#include "race/card_values.h"
#include "race_classes.h"
#include "race_texts.h"

namespace stridewell::gen {

void writeComments(SimulatedRace& race, const std::string& stakesName, int raceCount) {
  std::vector<std::string>& lines = race.comments;
  const RaceClass& c = race.raceClass;
  const std::string title = classTitle(c, stakesName);
  const std::string purse = "PURSE " + dollars(c.purse);
  if (title.size() + 3 + purse.size() <= 64) {
    lines.push_back(title + " - " + purse);
  } else {
    lines.push_back(title);
    lines.push_back(purse);
  }
  const char sex = race.restriction[2];
  std::string conditions = "FOR ";
  if (isMaidenClass(c)) conditions += "MAIDENS, ";
  conditions += sexWords(sex);
  conditions += ageWords(race.restriction, conditions.size() > 4);
  lines.push_back(conditions);
  if (c.type == "A" || c.type == "R") lines.push_back("WHICH HAVE NEVER WON TWO RACES OTHER THAN MAIDEN");
  std::string distance = distanceWords(race.yards);
  if (race.surface == 'T') distance += " ON THE TURF";
  if (race.surface == 'A') distance += " ON THE ALL WEATHER";
  lines.push_back(distance);
  if (race.surface == 'T' && race.number % 2 == 0)
    lines.push_back("(IF OFF THE TURF, TO BE RUN ON THE MAIN TRACK)");
  if (race.simulcast) {
    std::string host = trackName(race.hostTrack);
    for (char& ch : host) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    lines.push_back("SIMULCAST FROM " + host + " RACE " + std::to_string(race.hostRaceNumber));
  }

  // What is bet on this race, and which multi-race wagers start here.
  std::string straight;
  for (const Wager& wager : race.wagers) {
    const bool multiRace = wager.name.rfind("PICK", 0) == 0 || wager.name == "DAILY DOUBLE";
    if (multiRace) continue;
    if (!straight.empty()) straight += ", ";
    straight += wager.name;
  }
  if (!straight.empty()) lines.push_back(straight + " WAGERING THIS RACE");
  const int n = race.number;
  auto legsText = [&](const char* name, int last) {
    return std::string(name) + " (RACES " + std::to_string(n) + "-" + std::to_string(last) +
           ") WAGERING THIS RACE";
  };
  if (n < raceCount) lines.push_back(legsText("DAILY DOUBLE", n + 1));
  if (n + 2 <= raceCount) lines.push_back(legsText("PICK THREE", n + 2));
  if ((n == 1 && raceCount >= 8) || (n == raceCount - 3 && raceCount >= 6))
    lines.push_back(legsText("PICK FOUR", n + 3));
  if (n == 1 && raceCount >= 9) lines.push_back(legsText("PICK FIVE", 5));
  if (n == raceCount - 5 && raceCount >= 8) lines.push_back(legsText("PICK SIX", raceCount));
  // The weights come last: on a busy first race they give way to the wagers.
  if (race.restriction[1] == 'U' && race.restriction[0] == 'B') {
    lines.push_back("THREE YEAR OLDS, 118 LBS.; OLDER, 124 LBS.");
  } else {
    lines.push_back("WEIGHT, " + std::to_string(race.restriction[0] == 'A' ? 120 : 122) + " LBS.");
  }
  // The card has room for nine comment lines of at most 64 characters.
  for (std::string& line : lines) {
    if (line.size() > 64) line.resize(64);
  }
  if (lines.size() > 9) lines.resize(9);
}

}  // namespace stridewell::gen
