// Hostile input: huge lines, binary bytes, NULs, bare CRs, truncation. The
// readers must finish, stay within their fixed bounds and never crash; these
// tests are meant to run under the address sanitizer build as well.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <istream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "card_line_builder.h"
#include "race/card_line.h"
#include "race/card_reader.h"
#include "race/results_reader.h"

namespace stridewell {
namespace {

using test::CardLineBuilder;
using test::horseLine;
using test::joinLines;
using test::readCard;
using test::readResults;
using test::ResultsLineBuilder;
using test::starterLine;

// A stream of `size` bytes made on the fly from a repeating pattern, so that
// a test can feed far more than it holds.
class PatternBuf : public std::streambuf {
 public:
  PatternBuf(std::string pattern, size_t size) : pattern_(std::move(pattern)), left_(size) {}

 protected:
  int_type underflow() override {
    if (left_ == 0) return traits_type::eof();
    const size_t n = std::min(left_, buffer_.size());
    for (size_t i = 0; i < n; ++i) buffer_[i] = pattern_[(next_ + i) % pattern_.size()];
    next_ += n;
    left_ -= n;
    setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  std::string pattern_;
  size_t left_;
  size_t next_ = 0;
  std::vector<char> buffer_ = std::vector<char>(1 << 16);
};

long maxResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void checkBounds(const test::CardOutcome& outcome) {
  for (const Race& race : outcome.races) ASSERT_LE(+race.card.horseCount, kMaxHorses);
  if (outcome.invalid) {
    EXPECT_GE(outcome.invalidLine, 1);
  }
}

void checkBounds(const test::ResultsOutcome& outcome) {
  for (const RaceResult& result : outcome.races) ASSERT_LE(+result.finisherCount, kMaxFinishers);
}

TEST(BadInput, HugeLinesUseBoundedMemory) {
  const size_t size = size_t{32} << 20;
  const long before = maxResidentKb();
  {
    PatternBuf buf("abc \"d,e\" ,,", size);  // commas, quotes, blanks; no line end
    std::istream in(&buf);
    CardReader reader(in, "HUGE.TCF");
    Race race;
    EXPECT_FALSE(reader.next(race));
    EXPECT_TRUE(reader.invalid());
    EXPECT_EQ(reader.invalidLine(), 1);
  }
  {
    PatternBuf buf("abcdefgh", size);  // one endless field: no results line
    std::istream in(&buf);
    ResultsReader reader(in, "HUGE.XRD");
    RaceResult result;
    EXPECT_FALSE(reader.next(result));
    EXPECT_EQ(reader.skippedLineCount(), 1);
    EXPECT_TRUE(reader.noResultsLine());
  }
  const long grownKb = maxResidentKb() - before;
  EXPECT_LT(grownKb, 16 * 1024) << "reading a 32 MB line must not hold it";
}

TEST(BadInput, ManyMegabyteLines) {
  const std::string good1 = horseLine("SA", "20240315", "1", "A1").build();
  const std::string good2 = horseLine("SA", "20240315", "2", "B1").build();
  const std::string junk(5 << 20, 'x');

  // Junk after the check code of a valid line: the line stays valid.
  {
    const auto outcome = readCard(joinLines({good1 + junk, good2}));
    EXPECT_FALSE(outcome.invalid);
    ASSERT_EQ(outcome.races.size(), 2u);
    EXPECT_STREQ(outcome.races[0].card.horses[0].name, "A1");
  }
  // A huge field pushes the check code out of the kept raw line: invalid.
  {
    const auto outcome = readCard(joinLines({good1, horseLine("SA", "20240315", "2", junk).build(), good2}));
    EXPECT_TRUE(outcome.invalid);
    EXPECT_EQ(outcome.invalidLine, 2);
    EXPECT_TRUE(outcome.races.empty());
  }
  // A huge line first, valid lines after: nothing is read past it.
  {
    const auto outcome = readCard(joinLines({junk, good1}));
    EXPECT_TRUE(outcome.invalid);
    EXPECT_EQ(outcome.invalidLine, 1);
  }
  // Millions of empty fields.
  {
    const auto outcome = readCard(std::string(3 << 20, ',') + "\n" + good1 + "\n");
    EXPECT_TRUE(outcome.invalid);
    EXPECT_EQ(outcome.invalidLine, 1);
  }
  // Results have no check: the huge field is cut, the next line still read.
  {
    const auto outcome =
        readResults(joinLines({starterLine("SA", "20240315", "1", junk).build(), std::string(3 << 20, ','),
                               starterLine("SA", "20240315", "2", "B").build()}));
    checkBounds(outcome);
    ASSERT_GE(outcome.races.size(), 2u);
    EXPECT_EQ(std::string(outcome.races[0].finishers[0].name), std::string(29, 'x'));
    EXPECT_STREQ(outcome.races.back().finishers[0].name, "B");
  }
}

// Every kept field at the edge of, or beyond, what numbers can hold: the
// conversions saturate and narrow without overflowing (the sanitizer build
// reports any signed overflow or bad conversion as a failure).
TEST(BadInput, ExtremeNumbersInEveryKeptField) {
  const char* extremes[] = {"99999999999999999999",
                            "-99999999999999999999",
                            "2147483647",
                            "-2147483648",
                            "1e999",
                            "-1e999",
                            "nan",
                            "inf",
                            "65535",
                            "-1"};
  for (const char* value : extremes) {
    CardLineBuilder line = horseLine("SA", "20240315", "1", "H");
    for (int field = 4; field <= 1150; ++field) {
      if (field != 5 && cardFieldLayout().offsetOf(field) >= 0) line.set(field, value);
    }
    ASSERT_LT(line.build().size(), 20479u) << "the line must fit the kept raw line";
    const auto outcome = readCard(joinLines({line.build()}));
    ASSERT_EQ(outcome.races.size(), 1u) << value;
    const HorseEntry& h = outcome.races[0].card.horses[0];
    EXPECT_LE(+h.pastRaceCount, 10) << value;
    EXPECT_LE(+h.pastRacesAtHostTrack, 10) << value;
    EXPECT_LE(+h.ratesAtHostTrack, 4) << value;
    EXPECT_LE(+h.jockeyGoodRaces, +h.pastRaceCount) << value;

    // Odds and finish position must be plain numbers in range for the line
    // to be read at all; every other field takes anything.
    ResultsLineBuilder result = starterLine("SA", "20240315", "1", "H");
    for (int field = 4; field <= 104; ++field) {
      if (field != 37 && field != 49) result.set(field, value);
    }
    const auto results = readResults(joinLines({result.build()}));
    ASSERT_EQ(results.races.size(), 1u) << value;
    result.set(37, value).set(49, value);
    const auto checked = readResults(joinLines({result.build()}));
    ASSERT_EQ(checked.races.size() + static_cast<size_t>(checked.skippedLineCount), 1u) << value;
    if (!checked.races.empty()) {
      EXPECT_LE(+checked.races[0].finishers[0].finishPosition, 90) << value;
    }
  }
  // Spot checks: the 12-character earnings slots hold more than 32 bits.
  CardLineBuilder line = horseLine("SA", "20240315", "1", "H");
  line.set(70, "999999999999").set(75, "-99999999999").set(12, "99999999999").set(8, "A");
  const auto outcome = readCard(joinLines({line.build()}));
  ASSERT_EQ(outcome.races.size(), 1u);
  EXPECT_EQ(test::val(outcome.races[0].card.horses[0].earningsThisYear), INT32_MAX);
  EXPECT_EQ(test::val(outcome.races[0].card.horses[0].earningsLastYear), INT32_MIN);
  EXPECT_EQ(test::val(outcome.races[0].card.raceClass.amount), INT32_MAX);
}

TEST(BadInput, BinaryBytesAndNulInsideValidLines) {
  std::string name = "AB";
  name += '\0';
  name += "CD\xff\x80\x01";
  const auto outcome =
      readCard(joinLines({horseLine("SA", "20240315", "1", name).set(17, "\xfe\xfd").build()}));
  EXPECT_FALSE(outcome.invalid);
  ASSERT_EQ(outcome.races.size(), 1u);
  EXPECT_STREQ(outcome.races[0].card.horses[0].name, "AB");  // the NUL ends the text
  EXPECT_EQ(+outcome.races[0].card.horses[0].weight, 0);

  const auto results = readResults(joinLines({starterLine("SA", "20240315", "1", name).build()}));
  ASSERT_EQ(results.races.size(), 1u);
  EXPECT_STREQ(results.races[0].finishers[0].name, "AB");
}

TEST(BadInput, SmallOddFiles) {
  struct Case {
    const char* what;
    std::string text;
    size_t resultsRaces;
  };
  const Case cases[] = {
      // None of these holds a results line: no race is made up from them.
      {"empty", "", 0},
      {"bare CRs", "\r\r\r", 0},
      {"NULs only", std::string(100, '\0'), 0},  // a NUL is no line end
      {"one comma", ",", 0},
      {"one quote", "\"", 0},
      {"quote and line ends", "\"\n\"\n", 0},
      {"high bytes", "\xff\xfe\xfd\n\x80", 0},
      {"line end then NULs", std::string("\n\0\0", 3), 0},
  };
  for (const Case& c : cases) {
    const auto card = readCard(c.text);
    checkBounds(card);
    EXPECT_TRUE(card.races.empty()) << c.what;
    const auto results = readResults(c.text);
    checkBounds(results);
    EXPECT_EQ(results.races.size(), c.resultsRaces) << c.what;
  }
}

TEST(BadInput, CutShortAnywhere) {
  const std::string text = joinLines(
      {horseLine("SA", "20240315", "1", "A1").build(), horseLine("SA", "20240315", "2", "B1").build()});
  const size_t firstLineEnd = text.find('\n');
  // Cut at every few bytes: the first race is yielded only when the second
  // line is complete (the file then ends with that race).
  for (size_t cut = 0; cut <= text.size(); cut += 97) {
    const auto outcome = readCard(text.substr(0, cut));
    checkBounds(outcome);
    if (cut == 0) {
      EXPECT_TRUE(outcome.races.empty());
      EXPECT_FALSE(outcome.invalid);
    } else if (cut < firstLineEnd) {
      EXPECT_TRUE(outcome.invalid) << cut;
      EXPECT_EQ(outcome.invalidLine, 1) << cut;
      EXPECT_TRUE(outcome.races.empty()) << cut;
    } else if (cut <= firstLineEnd + 1) {
      EXPECT_FALSE(outcome.invalid) << cut;
      EXPECT_EQ(outcome.races.size(), 1u) << cut;
    } else if (cut < text.size() - 1) {
      // The second line is incomplete: invalid, and race 1 was still in progress.
      EXPECT_TRUE(outcome.invalid) << cut;
      EXPECT_EQ(outcome.invalidLine, 2) << cut;
    }
  }
}

TEST(BadInput, RandomBytesAndMutations) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) {
      const unsigned r = rng() % 16;
      c = r == 0 ? '\n' : r == 1 ? ',' : r == 2 ? '"' : r == 3 ? '\r' : static_cast<char>(rng());
    }
    checkBounds(readCard(bytes));
    checkBounds(readResults(bytes));
  }

  std::vector<std::string> lines;
  for (int race = 1; race <= 3; ++race) {
    for (int horse = 1; horse <= 3; ++horse) {
      lines.push_back(
          horseLine("SA", "20240315", std::to_string(race), std::string("H").append(std::to_string(horse)))
              .set(226, "SA")
              .set(256, "1320")
              .set(556, "1")
              .build());
    }
  }
  const std::string text = joinLines(lines);
  for (int round = 0; round < 300; ++round) {
    std::string mutated = text;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % mutated.size();
      switch (rng() % 4) {
        case 0:
          mutated[at] = static_cast<char>(rng());
          break;
        case 1:
          mutated.erase(at, 1 + rng() % 50);
          break;
        case 2:
          mutated.insert(at, 1, "\n,\"\r\0"[rng() % 5]);
          break;
        default:
          mutated[at] = ',';
          break;
      }
    }
    const auto outcome = readCard(mutated);
    checkBounds(outcome);
    EXPECT_LE(outcome.races.size(), 3u + 9u);
    checkBounds(readResults(mutated));
  }
}

}  // namespace
}  // namespace stridewell
