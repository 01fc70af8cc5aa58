// The dataset race record: trimming of trailing zeros, the header's bytes,
// zero-filled reads, and how reading ends at a clean end of file, at a
// record cut short and at a header with impossible lengths.
#include "datasets/dataset_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "datasets/dataset_summary.h"
#include "race/card_line_builder.h"
#include "race/card_values.h"
#include "race/race.h"

namespace stridewell {
namespace {

using test::horseLine;
using test::joinLines;
using test::readCard;

std::unique_ptr<Race> emptyRace() {
  auto race = std::make_unique<Race>();
  std::memset(static_cast<void*>(race.get()), 0, sizeof(Race));
  return race;
}

void setText(char* slot, const char* text) {
  std::memcpy(slot, text, std::strlen(text));
}

template <typename Record>
std::string imageOf(const Record& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::string encode(const Race& race) {
  std::ostringstream out(std::ios::binary);
  EXPECT_TRUE(writeDatasetRace(out, race));
  return out.str();
}

std::string header(unsigned l1, unsigned l2, unsigned l3) {
  const unsigned lengths[3] = {l1, l2, l3};
  std::string bytes;
  for (unsigned length : lengths) {
    bytes += static_cast<char>(length & 0xFF);
    bytes += static_cast<char>(length >> 8);
  }
  return bytes;
}

struct ReadOutcome {
  std::vector<std::string> images;  // card + profile + result image of each race read
  bool damaged = false;
  std::vector<uint64_t> positions;  // position() after each race
  std::string problem;
};

// Reads every race of `bytes` into one Race that starts full of garbage, so
// that anything a read fails to overwrite or clear shows.
ReadOutcome readAll(const std::string& bytes) {
  std::istringstream in(bytes, std::ios::binary);
  DatasetReader reader(in, "TEST.DSI");
  ReadOutcome outcome;
  auto race = std::make_unique<Race>();
  std::memset(static_cast<void*>(race.get()), 0xA5, sizeof(Race));
  while (reader.next(*race)) {
    outcome.images.push_back(imageOf(race->card) + imageOf(race->profile) + imageOf(race->result));
    outcome.positions.push_back(reader.position());
    EXPECT_EQ(imageOf(race->text), std::string(sizeof race->text, '\0')) << "card texts are not stored";
    if (outcome.images.size() > 1000) break;
  }
  EXPECT_FALSE(reader.next(*race)) << "a reader that stopped must stay stopped";
  EXPECT_EQ(reader.racesRead(), static_cast<int>(outcome.images.size()));
  outcome.damaged = reader.damaged();
  outcome.problem = reader.problem();
  return outcome;
}

std::string fullImage(const Race& race) {
  return imageOf(race.card) + imageOf(race.profile) + imageOf(race.result);
}

// A small race whose last non-zero bytes sit at known offsets:
//   card    - horse 1's name "BRAVO" ends at 24 + 827 + 10 + 4 = 865
//   profile - hostRaceNumber at 13
//   result  - finisher 1's card index at 52 + 53 + 48 = 153
std::unique_ptr<Race> knownRace() {
  auto race = emptyRace();
  race->card.hostRaceNumber = 5;
  setText(race->card.hostTrack, "SAX");
  race->card.horseCount = 2;
  setText(race->card.horses[0].name, "ALPHA");
  setText(race->card.horses[1].name, "BRAVO");
  race->profile.hostRaceNumber = 5;
  race->result.raceNumber = 5;
  setText(race->result.track, "SAX");
  race->result.finisherCount = 2;
  setText(race->result.finishers[0].name, "BRAVO");
  race->result.finishers[0].cardIndex = 1;
  setText(race->result.finishers[1].name, "ALPHA");
  race->result.finishers[1].cardIndex = 7;       // any non-zero value, to end the image here
  setText(race->text.cardTrack, "SANTA ANITA");  // kept in memory only
  return race;
}

// A race read from a real card: many horses, past races and a profile.
std::unique_ptr<Race> cardRace(const std::string& raceNumber, int horses) {
  std::vector<std::string> lines;
  for (int i = 0; i < horses; ++i) {
    auto line = horseLine("SA", "20240315", raceNumber, "HORSE " + std::to_string(i));
    line.set(6, "1320").set(7, "D").set(17, "122").set(226, "SA").set(206, "20240101").set(256, "1760");
    line.set(276, "9").set(1141, "5-2").set(83, "SMITH J");
    lines.push_back(line.build());
  }
  auto outcome = readCard(joinLines(lines));
  EXPECT_EQ(outcome.races.size(), 1u);
  auto race = emptyRace();
  if (!outcome.races.empty()) *race = outcome.races[0];
  race->result.raceNumber = static_cast<uint8_t>(std::stoi(raceNumber));
  setText(race->result.track, "SAX");
  race->result.finisherCount = 1;
  setText(race->result.finishers[0].name, "HORSE 0");
  race->result.exactaPayoff = 41.2f;
  return race;
}

TEST(StoredLength, TrimsTrailingZerosButNeverBelowOne) {
  struct Case {
    std::vector<unsigned char> image;
    size_t expected;
  };
  const Case cases[] = {
      {{0}, 1},          {{7}, 1},          {{0, 0, 0, 0}, 1},
      {{9, 0, 0, 0}, 1}, {{0, 0, 0, 9}, 4}, {{1, 0, 2, 0, 0}, 3},
      {{0, 0, 3, 0}, 3}, {{1, 2, 3, 4}, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(storedLength(c.image.data(), c.image.size()), c.expected) << ::testing::PrintToString(c.image);
  }
}

TEST(DatasetWrite, AllZeroRaceIsStoredAsOneZeroBytePerImage) {
  const auto race = emptyRace();
  const std::string bytes = encode(*race);
  EXPECT_EQ(bytes, header(1, 1, 1) + std::string(3, '\0'));

  const auto outcome = readAll(bytes);
  ASSERT_EQ(outcome.images.size(), 1u);
  EXPECT_EQ(outcome.images[0], fullImage(*race));
  EXPECT_FALSE(outcome.damaged);
}

TEST(DatasetWrite, HeaderAndBlockOfAKnownRace) {
  const auto race = knownRace();
  const std::string bytes = encode(*race);
  // 866 = 0x0362, 14 = 0x000E, 154 = 0x009A, little-endian.
  const std::string expectedHeader("\x62\x03\x0E\x00\x9A\x00", 6);
  ASSERT_EQ(bytes.size(), 6u + 866 + 14 + 154);
  EXPECT_EQ(bytes.substr(0, 6), expectedHeader);
  EXPECT_EQ(bytes.substr(6, 866), imageOf(race->card).substr(0, 866));
  EXPECT_EQ(bytes.substr(6 + 866, 14), imageOf(race->profile).substr(0, 14));
  EXPECT_EQ(bytes.substr(6 + 866 + 14), imageOf(race->result).substr(0, 154));
  // Spot checks on the raw bytes, independent of the structs.
  EXPECT_EQ(bytes[6 + 4], 5);  // race number
  EXPECT_EQ(bytes.substr(6 + 5, 4), std::string("SAX\0", 4));
  EXPECT_EQ(bytes.substr(6 + 24 + 827 + 10, 5), "BRAVO");
  EXPECT_EQ(bytes[6 + 866 + 14 + 52 + 48], 1);  // finisher 0's card index
}

TEST(DatasetWrite, CardEndingInItsLastByteIsStoredWhole) {
  auto race = emptyRace();
  race->card.hostRaceNumber = 1;
  // The last byte of horse 63's slot is the last byte of the card.
  reinterpret_cast<unsigned char*>(&race->card)[sizeof(RaceCard) - 1] = 0x40;
  const std::string bytes = encode(*race);
  ASSERT_EQ(bytes.size(), 6u + 52952 + 1 + 1);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xD8\xCE", 2));  // 52952 = 0xCED8

  const auto outcome = readAll(bytes);
  ASSERT_EQ(outcome.images.size(), 1u);
  EXPECT_EQ(outcome.images[0], fullImage(*race));
}

TEST(DatasetWrite, FullRecordsAtTheirLargestRoundTrip) {
  auto race = emptyRace();
  std::memset(static_cast<void*>(&race->card), 0x11, sizeof race->card);
  std::memset(static_cast<void*>(&race->profile), 0x22, sizeof race->profile);
  std::memset(static_cast<void*>(&race->result), 0x33, sizeof race->result);
  const std::string bytes = encode(*race);
  EXPECT_EQ(bytes.size(), kMaxDatasetRaceBytes);
  const auto outcome = readAll(bytes);
  ASSERT_EQ(outcome.images.size(), 1u);
  EXPECT_EQ(outcome.images[0], fullImage(*race));
}

TEST(DatasetRead, BytesBeyondTheStoredLengthsReadAsZerosOverAnEarlierRace) {
  // A large race first, then a small one read into the same Race: nothing of
  // the first may survive in the second.
  const auto big = cardRace("3", 12);
  auto large = emptyRace();
  *large = *big;
  std::memset(static_cast<void*>(&large->result), 0x5A, sizeof large->result);
  const auto small = knownRace();
  const auto tiny = emptyRace();
  const std::string bytes = encode(*large) + encode(*small) + encode(*tiny);

  const auto outcome = readAll(bytes);
  ASSERT_EQ(outcome.images.size(), 3u);
  EXPECT_EQ(outcome.images[0], fullImage(*large));
  EXPECT_EQ(outcome.images[1], fullImage(*small));
  EXPECT_EQ(outcome.images[2], fullImage(*tiny));
  EXPECT_FALSE(outcome.damaged);
  EXPECT_EQ(outcome.problem, "");
}

TEST(DatasetRead, RacesFromARealCardRoundTrip) {
  std::string bytes;
  std::vector<std::string> expected;
  for (int number = 1; number <= 4; ++number) {
    const auto race = cardRace(std::to_string(number), number * 3);
    expected.push_back(fullImage(*race));
    bytes += encode(*race);
  }
  // 30 horses in all: the empty slots of each card are trimmed away.
  EXPECT_LT(bytes.size(), kMaxDatasetRaceBytes) << "four real races take less room than one full one";
  const auto outcome = readAll(bytes);
  EXPECT_EQ(outcome.images, expected);
}

TEST(DatasetRead, PositionIsTheEndOfEachRace) {
  const std::string first = encode(*knownRace());
  const std::string second = encode(*emptyRace());
  const auto outcome = readAll(first + second);
  EXPECT_EQ(outcome.positions, (std::vector<uint64_t>{first.size(), first.size() + second.size()}));
}

TEST(DatasetRead, PositionCountsFromWhereTheStreamStood) {
  const std::string race = encode(*knownRace());
  std::istringstream in("xyz" + race, std::ios::binary);
  in.seekg(3);
  DatasetReader reader(in, "TEST.DSI");
  EXPECT_EQ(reader.position(), 3u);
  auto target = emptyRace();
  ASSERT_TRUE(reader.next(*target));
  EXPECT_EQ(reader.position(), 3u + race.size());
}

TEST(DatasetRead, EmptyFileHasNoRacesAndNoDamage) {
  const auto outcome = readAll("");
  EXPECT_TRUE(outcome.images.empty());
  EXPECT_FALSE(outcome.damaged);
  EXPECT_EQ(outcome.problem, "");
}

TEST(DatasetRead, RecordCutShortEndsReadingAfterTheSoundRaces) {
  const std::string first = encode(*knownRace());
  const std::string second = encode(*cardRace("2", 5));
  const auto lastRace = cardRace("3", 4);
  const std::string third = encode(*lastRace);
  const size_t l1 = static_cast<unsigned char>(third[0]) | static_cast<unsigned char>(third[1]) << 8;
  const size_t l2 = static_cast<unsigned char>(third[2]) | static_cast<unsigned char>(third[3]) << 8;
  ASSERT_GT(l1, 100u);
  ASSERT_GT(l2, 100u);

  struct Case {
    const char* where;
    size_t keep;  // bytes of the third race left in the file
    bool damaged;
  };
  const Case cases[] = {
      {"at the race boundary", 0, false},
      {"one byte of header", 1, true},
      {"five bytes of header", 5, true},
      {"header only", 6, true},
      {"inside the card", 6 + l1 / 2, true},
      {"card complete, no profile", 6 + l1, true},
      {"inside the profile", 6 + l1 + l2 / 2, true},
      {"inside the result", 6 + l1 + l2 + 1, true},
      {"one byte short", third.size() - 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    const auto outcome = readAll(first + second + third.substr(0, c.keep));
    ASSERT_EQ(outcome.images.size(), 2u);
    EXPECT_EQ(outcome.images[0], fullImage(*knownRace()));
    EXPECT_EQ(outcome.images[1], fullImage(*cardRace("2", 5)));
    EXPECT_EQ(outcome.positions.back(), first.size() + second.size());
    EXPECT_EQ(outcome.damaged, c.damaged);
    if (c.damaged) {
      EXPECT_NE(outcome.problem.find("TEST.DSI"), std::string::npos) << outcome.problem;
      EXPECT_NE(outcome.problem.find("race 3 "), std::string::npos) << outcome.problem;
    } else {
      EXPECT_EQ(outcome.problem, "");
    }
  }
}

TEST(DatasetRead, ImpossibleStoredLengthsAreDamage) {
  // Each header is followed by far more bytes than any race holds, so that
  // only the lengths themselves can stop the read. A reader that trusted an
  // oversized length would write past its record (AddressSanitizer reports
  // it) or hand out a race.
  const std::string plenty(2 * kMaxDatasetRaceBytes, '\x77');
  struct Case {
    const char* what;
    unsigned l1, l2, l3;
    bool damaged;
  };
  const Case cases[] = {
      {"card length 0", 0, 1, 1, true},
      {"profile length 0", 1, 0, 1, true},
      {"result length 0", 1, 1, 0, true},
      {"card one beyond", 52953, 1, 1, true},
      {"profile one beyond", 1, 12568, 1, true},
      {"result one beyond", 1, 1, 3441, true},
      {"all at 0xFFFF", 0xFFFF, 0xFFFF, 0xFFFF, true},
      {"result far beyond", 52952, 12567, 0xFFFF, true},
      {"every record exactly full", 52952, 12567, 3440, false},
  };
  const std::string sound = encode(*knownRace());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = sound + header(c.l1, c.l2, c.l3) + plenty;
    std::istringstream in(bytes, std::ios::binary);
    DatasetReader reader(in, "BAD.DSI");
    auto race = emptyRace();
    ASSERT_TRUE(reader.next(*race));
    EXPECT_EQ(reader.next(*race), !c.damaged);
    EXPECT_EQ(reader.damaged(), c.damaged);
    if (c.damaged) {
      EXPECT_EQ(reader.racesRead(), 1);
      EXPECT_EQ(reader.position(), sound.size());
      EXPECT_NE(reader.problem().find("BAD.DSI: race 2 "), std::string::npos) << reader.problem();
    } else {
      EXPECT_EQ(reader.position(), sound.size() + kMaxDatasetRaceBytes);
    }
  }
}

// Hands out at most one byte per request, as a pipe or a slow device may.
class TrickleBuf : public std::streambuf {
 public:
  explicit TrickleBuf(std::string bytes) : bytes_(std::move(bytes)) {}

 protected:
  std::streamsize xsgetn(char* out, std::streamsize count) override {
    if (count <= 0 || pos_ == bytes_.size()) return 0;
    *out = bytes_[pos_++];
    return 1;
  }
  int_type underflow() override {
    if (pos_ == bytes_.size()) return traits_type::eof();
    current_ = bytes_[pos_++];
    setg(&current_, &current_, &current_ + 1);
    return traits_type::to_int_type(current_);
  }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  char current_ = 0;
};

TEST(DatasetRead, ShortReadsFromTheStreamAreCarriedOn) {
  const auto first = knownRace();
  const auto second = cardRace("4", 6);
  TrickleBuf trickle(encode(*first) + encode(*second));
  std::istream in(&trickle);
  DatasetReader reader(in, "PIPE.DSI");
  auto race = emptyRace();
  ASSERT_TRUE(reader.next(*race));
  EXPECT_EQ(fullImage(*race), fullImage(*first));
  ASSERT_TRUE(reader.next(*race));
  EXPECT_EQ(fullImage(*race), fullImage(*second));
  EXPECT_FALSE(reader.next(*race));
  EXPECT_FALSE(reader.damaged());
}

// Takes at most `capacity` bytes, then refuses, as a full disk does.
class FullDiskBuf : public std::streambuf {
 public:
  explicit FullDiskBuf(size_t capacity) : capacity_(capacity) {}
  size_t written() const { return written_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (written_ == capacity_) return traits_type::eof();
    ++written_;
    return c;
  }
  std::streamsize xsputn(const char*, std::streamsize count) override {
    const auto n = std::min<std::streamsize>(count, static_cast<std::streamsize>(capacity_ - written_));
    written_ += static_cast<size_t>(n);
    return n;
  }

 private:
  size_t capacity_;
  size_t written_ = 0;
};

TEST(DatasetWrite, FailedWritesAreReported) {
  const auto race = knownRace();
  const size_t size = encode(*race).size();
  struct Case {
    const char* what;
    size_t capacity;
    bool ok;
  };
  const Case cases[] = {
      {"nothing fits", 0, false},          {"header cut", 3, false},     {"header only", 6, false},
      {"one byte short", size - 1, false}, {"exactly fits", size, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FullDiskBuf disk(c.capacity);
    std::ostream out(&disk);
    EXPECT_EQ(writeDatasetRace(out, *race), c.ok);
  }
}

// The list's summary against the reader: the same races counted, the
// earliest and latest date among those the reader hands out, and damage
// where the reader finds it.
DatasetSummary summaryOf(const std::string& bytes) {
  std::istringstream in(bytes, std::ios::binary);
  return summarizeDataset(in);
}

struct ReaderCount {
  int races = 0;
  bool damaged = false;
  int32_t first = 0, last = 0;
};

ReaderCount countWithReader(const std::string& bytes) {
  std::istringstream in(bytes, std::ios::binary);
  DatasetReader reader(in, "T.DSI");
  ReaderCount count;
  auto race = emptyRace();
  const auto order = [](int32_t d) { return packedYear(d) * 10000 + packedMonth(d) * 100 + packedDay(d); };
  while (reader.next(*race)) {
    const int32_t date = race->card.date;
    if (date == 0) continue;
    if (count.first == 0 || order(date) < order(count.first)) count.first = date;
    if (count.last == 0 || order(date) > order(count.last)) count.last = date;
  }
  count.races = reader.racesRead();
  count.damaged = reader.damaged();
  return count;
}

std::string datedRace(int32_t date, bool onlyTheDate = false) {
  auto race = onlyTheDate ? emptyRace() : knownRace();
  race->card.date = date;
  return encode(*race);
}

TEST(DatasetSummary, CountsAndDatesAgreeWithTheReader) {
  const int32_t march15 = packDate("20240315");
  const int32_t jan2 = packDate("20240102");
  const int32_t dec31 = packDate("20231231");
  const int32_t feb29 = packDate("20240229");
  // The packed form puts the day above the month: 31 December 2023
  // packs larger than 2 January 2024 would if the year were equal, so an
  // order by packed value alone would be wrong within a year.
  const int32_t dayOnly = (2 << 8) | 3;  // year 0: the card is stored shorter than its date field
  struct Case {
    const char* name;
    std::string bytes;
    int races;
    int32_t first, last;
  };
  const Case cases[] = {
      {"empty", "", 0, 0, 0},
      {"one race", datedRace(march15), 1, march15, march15},
      {"out of order", datedRace(march15) + datedRace(dec31) + datedRace(jan2) + datedRace(feb29), 4, dec31,
       march15},
      {"a race without date is counted, not dated", datedRace(0) + datedRace(jan2), 2, jan2, jan2},
      {"a card that ends at its date", datedRace(jan2, true) + datedRace(dec31, true), 2, dec31, jan2},
      {"a card that ends inside its date", datedRace(dayOnly, true) + datedRace(jan2), 2, dayOnly, jan2},
      {"a race read from a card", encode(*cardRace("2", 5)) + datedRace(jan2), 2, jan2, packDate("20240315")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DatasetSummary summary = summaryOf(c.bytes);
    const ReaderCount reader = countWithReader(c.bytes);
    EXPECT_TRUE(summary.opened);
    EXPECT_EQ(summary.bytes, c.bytes.size());
    EXPECT_EQ(summary.races, c.races);
    EXPECT_EQ(summary.races, reader.races);
    EXPECT_FALSE(summary.damaged);
    EXPECT_EQ(summary.firstDate, c.first);
    EXPECT_EQ(summary.lastDate, c.last);
    EXPECT_EQ(summary.firstDate, reader.first);
    EXPECT_EQ(summary.lastDate, reader.last);
  }
}

TEST(DatasetSummary, DamageStopsTheCountWhereTheReaderStops) {
  const std::string sound = datedRace(packDate("20240102")) + datedRace(packDate("20240105"));
  const std::string third = datedRace(packDate("20240301"));
  const std::string plenty(2 * kMaxDatasetRaceBytes, '\x77');
  struct Case {
    const char* name;
    std::string tail;
  };
  const Case cases[] = {
      {"header cut short", third.substr(0, 3)},
      {"header only", third.substr(0, 6)},
      {"inside the card, before its date", third.substr(0, 10)},
      {"one byte short", third.substr(0, third.size() - 1)},
      {"card length 0", header(0, 1, 1) + plenty},
      {"result one beyond", header(1, 1, 3441) + plenty},
      {"all at 0xFFFF", header(0xFFFF, 0xFFFF, 0xFFFF) + plenty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = sound + c.tail;
    const DatasetSummary summary = summaryOf(bytes);
    const ReaderCount reader = countWithReader(bytes);
    EXPECT_TRUE(summary.damaged);
    EXPECT_TRUE(reader.damaged);
    EXPECT_EQ(summary.races, 2);
    EXPECT_EQ(summary.races, reader.races);
    // The dates are those of the races counted, never of the damaged one.
    EXPECT_EQ(summary.firstDate, packDate("20240102"));
    EXPECT_EQ(summary.lastDate, packDate("20240105"));
  }
  EXPECT_FALSE(summarizeDatasetFile("/nonexistent/folder/X.DSI").opened);
}

TEST(DatasetSummary, DateTexts) {
  EXPECT_EQ(packedDateText(packDate("20240315")), "2024-03-15");
  EXPECT_EQ(packedDateText(packDate("19991231")), "1999-12-31");
  EXPECT_EQ(packedDateText(0), "-");
}

}  // namespace
}  // namespace stridewell
