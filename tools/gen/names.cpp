#include "names.h"

namespace stridewell::gen {
namespace {

constexpr const char* kFirstWords[] = {
    "Golden", "Silver",  "Midnight", "Desert", "Royal",    "Quiet",    "Wild",     "Lucky",   "Brave",
    "Swift",  "Copper",  "Crimson",  "Misty",  "Northern", "Southern", "Western",  "Eastern", "Rocky",
    "Sunny",  "Stormy",  "Secret",   "Hidden", "Dancing",  "Flying",   "Running",  "Rolling", "Lone",
    "Proud",  "Bold",    "Gentle",   "Sly",    "Smart",    "Rapid",    "Noble",    "Grand",   "Little",
    "Big",    "Iron",    "Velvet",   "Amber",  "Indigo",   "Scarlet",  "Cobalt",   "Sable",   "Ivory",
    "Jade",   "Thunder", "Winter",   "Summer", "Autumn",   "Spring",   "Canyon",   "Harbor",  "Prairie",
    "Mesa",   "Sierra",  "Coastal",  "Island", "Valley",   "Highland", "Mountain", "River",   "Ocean",
    "Sky",    "Star",    "Moon",     "Sun",    "Cosmic",   "Electric", "Magic",    "Mystic",  "Lucid",
    "Rebel",  "Captain", "Major",    "Lady",   "Sir",      "Miss",     "Mister",   "Uncle",   "Aunt",
    "Cousin", "Papa",    "Mama",     "Doc",    "Judge",    "Sheriff",  "Dusty",    "Sandy",   "Windy",
    "Foggy",
};

constexpr const char* kSecondWords[] = {
    "Arrow",     "Dancer",   "Runner",  "Dream",    "Quest",   "Legend",  "Echo",     "Spirit",   "Storm",
    "Breeze",    "Flash",    "Spark",   "Ember",    "Comet",   "Rocket",  "Charm",    "Promise",  "Secret",
    "Whisper",   "Ransom",   "Fortune", "Treasure", "Bandit",  "Outlaw",  "Ranger",   "Drifter",  "Rambler",
    "Wanderer",  "Pilot",    "Admiral", "Ruler",    "Monarch", "Empress", "Princess", "Duchess",  "Baron",
    "Knight",    "Squire",   "Harmony", "Melody",   "Rhythm",  "Ballad",  "Anthem",   "Sonnet",   "Verse",
    "Tale",      "Rumor",    "Riddle",  "Puzzle",   "Gambit",  "Wager",   "Ticket",   "Jackpot",  "Payday",
    "Bonus",     "Dividend", "Venture", "Journey",  "Voyage",  "Passage", "Trail",    "Road",     "Bridge",
    "Gate",      "Tower",    "Castle",  "Harbor",   "Meadow",  "Orchard", "Garden",   "Canyon",   "Ridge",
    "Summit",    "Horizon",  "Dawn",    "Twilight", "Sunset",  "Sunrise", "Eclipse",  "Aurora",   "Galaxy",
    "Nova",      "Orbit",    "Signal",  "Cadence",  "Tempo",   "Motion",  "Momentum", "Velocity", "Thunder",
    "Lightning", "Cyclone",  "Tornado",
};

constexpr const char* kOwners[] = {
    "Hannah's", "Molly's",   "Grandpa's", "Papa's",   "Jake's",    "Rosie's", "Buddy's", "Lulu's",
    "Sally's",  "Frankie's", "Ollie's",   "Maggie's", "Charlie's", "Tessa's", "Gus's",   "Nina's",
};

constexpr const char* kSingleWords[] = {
    "Zephyrine",  "Calavera", "Solstice",  "Marigold",   "Tamarack",  "Brimstone", "Quicksilver", "Firefly",
    "Moonshot",   "Sundance", "Windchime", "Tumbleweed", "Bluegrass", "Sagebrush", "Starboard",   "Lodestar",
    "Driftwood",  "Keepsake", "Paladin",   "Mandolin",   "Serenata",  "Vagabond",  "Cavalier",    "Renegade",
    "Sidewinder", "Wildfire", "Stardust",  "Moonbeam",   "Riverbend", "Boomtown",
};

constexpr const char* kSurnames[] = {
    "Alvarado", "Arroyo",   "Baca",     "Beltran",  "Benitez", "Bravo",     "Calderon", "Camacho", "Cardenas",
    "Carmona",  "Castro",   "Cedillo",  "Cortez",   "Delgado", "Duarte",    "Elizondo", "Espino",  "Figueroa",
    "Galindo",  "Garza",    "Guerrero", "Ibarra",   "Lozano",  "Maldonado", "Medina",   "Mendez",  "Montoya",
    "Navarro",  "Ochoa",    "Pacheco",  "Quintero", "Ramos",   "Rios",      "Salazar",  "Santana", "Serrano",
    "Tapia",    "Trujillo", "Valdez",   "Vargas",   "Villa",   "Zamora",    "Ashford",  "Blake",   "Carver",
    "Dalton",   "Ellery",   "Fenwick",  "Garrity",  "Hollis",  "Keane",     "Lachance", "Mercer",  "Nolan",
    "Prescott", "Quayle",   "Ridley",   "Sutter",   "Thorne",  "Wexler",
};

constexpr const char* kStakesPlaces[] = {
    "Copper Canyon", "Juniper",      "Silver Sage",  "Arroyo Seco",    "Palomino",      "Desert Rose",
    "Mesa Grande",   "Sunset Ridge", "Blue Heron",   "Golden Poppy",   "Harbor Lights", "Redwood",
    "Starlight",     "Canyon Lake",  "Sierra Vista", "Pacific Breeze", "Lone Pine",     "Yucca Valley",
    "Cottonwood",    "Ocotillo",     "Tumbleweed",   "Manzanita",      "Bristlecone",   "Whispering Oaks",
};

constexpr size_t kMaxNameLength = 18;

}  // namespace

std::string horseName(RandomSource& random, std::set<std::string>& used) {
  for (int attempt = 0;; ++attempt) {
    std::string name;
    const size_t form = random.weighted({0.78, 0.12, 0.10});
    if (form == 0) {
      name = std::string(random.pick(kFirstWords)) + " " + random.pick(kSecondWords);
    } else if (form == 1) {
      name = std::string(random.pick(kOwners)) + " " + random.pick(kSecondWords);
    } else {
      name = random.pick(kSingleWords);
      // Single words alone run out quickly; a roman numeral keeps them apart.
      if (random.chance(0.5)) name += random.chance(0.5) ? " II" : " III";
    }
    if (name.size() > kMaxNameLength) continue;
    // The lists hold thousands of names and a day needs a few hundred; this
    // only guards against looping for ever.
    if (attempt > 10000) name = "Entry " + std::to_string(used.size());
    if (used.insert(name).second) return name;
  }
}

std::string jockeyName(RandomSource& random) {
  static constexpr char kInitials[] = "ABCDEFGHJKLMNPRSTV";
  std::string name = random.pick(kSurnames);
  name += ' ';
  name += kInitials[random.between(0, static_cast<int>(sizeof kInitials) - 2)];
  return name;
}

std::string stakesName(RandomSource& random) {
  return random.pick(kStakesPlaces);
}

}  // namespace stridewell::gen
