// Builders that fill race records directly for the form-factor tests, so a
// test names only the facts of a past race it cares about: when, how far,
// where the horse was at the first call and at the finish, at what class.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "race/race.h"

namespace stridewell::test {

inline int32_t date(int year, int month, int day) {
  return (year << 16) | (day << 8) | month;
}

inline constexpr float kSixFurlongs = 6.0f;
inline constexpr float kSevenFurlongs = 7.0f;
inline constexpr float kOneMile = 1.0f;

class PastRaceBuilder {
 public:
  PastRaceBuilder() {
    std::memset(&race_, 0, sizeof race_);
    race_.distance = kSixFurlongs;
    race_.raceClass = {ClassCode::kClaiming, 20000};
    race_.finish = {1, 0.0f};
  }
  PastRaceBuilder& on(int32_t packedDate) { return race_.date = packedDate, *this; }
  PastRaceBuilder& distance(float code) { return race_.distance = code, *this; }
  PastRaceBuilder& route() { return distance(kOneMile); }
  PastRaceBuilder& firstCall(int position, float lengths) {
    race_.call1 = {static_cast<uint8_t>(position), lengths};
    return *this;
  }
  PastRaceBuilder& finished(int position, float lengths) {
    race_.finish = {static_cast<uint8_t>(position), lengths};
    return *this;
  }
  // Fifth, beaten 8 lengths: bad at any distance.
  PastRaceBuilder& bad() { return finished(5, 8.0f); }
  PastRaceBuilder& field(int size) { return race_.fieldSize = static_cast<uint8_t>(size), *this; }
  PastRaceBuilder& post(int position) { return race_.postPosition = static_cast<uint8_t>(position), *this; }
  PastRaceBuilder& cls(uint8_t type, int32_t amount) { return race_.raceClass = {type, amount}, *this; }
  PastRaceBuilder& flag(PastRace::Flag f) { return race_.flags |= f, *this; }
  PastRaceBuilder& speed(int16_t rating) { return race_.speedRating = rating, *this; }
  PastRace& raw() { return race_; }
  operator PastRace() const { return race_; }

 private:
  PastRace race_;
};

class HorseBuilder {
 public:
  HorseBuilder() {
    std::memset(&horse_, 0, sizeof horse_);
    horse_.sexCode = 'g';
    horse_.age = 5;
  }
  HorseBuilder& sex(char code) { return horse_.sexCode = code, *this; }
  HorseBuilder& age(int years) { return horse_.age = static_cast<uint8_t>(years), *this; }
  // Past races most recent first.
  HorseBuilder& past(std::initializer_list<PastRace> races) {
    for (const PastRace& race : races) horse_.pastRaces[horse_.pastRaceCount++] = race;
    return *this;
  }
  HorseEntry& raw() { return horse_; }
  operator const HorseEntry&() const { return horse_; }

 private:
  HorseEntry horse_;
};

// A race card on the heap (it is 52 KB): today's date, distance and class.
inline std::unique_ptr<RaceCard> todayCard(int32_t today, float distance, ClassCode raceClass) {
  auto card = std::make_unique<RaceCard>();
  clearRecord(*card);
  card->date = today;
  card->distance = distance;
  card->raceClass = raceClass;
  return card;
}

}  // namespace stridewell::test
