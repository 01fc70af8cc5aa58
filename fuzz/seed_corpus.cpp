// Writes the seed corpus of the fuzz targets: a few short card and results
// files, valid and broken, so that the fuzzer starts from lines that pass the
// check code instead of having to find 1,495 commas and a CRC by chance.
// Usage: fuzz_seed_corpus <folder>; writes <folder>/fuzz_card_reader/* and
// <folder>/fuzz_results_reader/*.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "race/check_code.h"

namespace {

using namespace stridewell;
namespace fs = std::filesystem;

constexpr int kCardFields = 1495 + 1;  // fields up to the one after the last checked comma

// The fields (1-based) joined by commas up to `lastField`; unset ones empty.
std::string fieldsLine(const std::map<int, std::string>& fields, int lastField) {
  std::string line;
  for (int field = 1; field <= lastField; ++field) {
    if (field > 1) line += ',';
    if (auto it = fields.find(field); it != fields.end()) line += it->second;
  }
  return line;
}

// A card line with the given fields set (1-based) and the rest empty,
// completed with its check code.
std::string cardLine(const std::map<int, std::string>& fields) {
  std::string line = fieldsLine(fields, kCardFields - 1) + ',';
  appendCheckCode(line);
  if (!checkCardLine(line)) {
    std::fprintf(stderr, "a seed line fails its check code (a field holds a separator comma?)\n");
    std::exit(1);
  }
  return line;
}

std::map<int, std::string> horse(const std::string& track, const std::string& race, const std::string& name,
                                 const std::string& scratch = "") {
  return {
      {1, track},
      {2, "20260315"},
      {3, race},
      {4, "3"},
      {5, scratch},
      {6, "1320"},
      {7, "D"},
      {8, "C"},
      {10, "25000"},
      {12, "30000"},
      {13, name},
      {15, "G"},
      {17, "122"},
      {46, "12"},
      {47, "3"},
      {48, "2"},
      {49, "1"},
      {66, "8"},
      {67, "2"},
      {70, "45000"},
      {83, "SMITH J"},
      {87, "1"},
      {93, "4"},
      {97, "SA"},
      {101, "2"},
      {105, "FT"},
      {140, "20210402"},
      {144, "BU"},
      {145, "SA"},
      {195, race},
      {201, "118.5"},
      {206, "20260201"},
      {226, "SA"},
      {256, "1760"},
      {266, "D"},
      {276, "9"},
      {316, "\"bumped start, wide\""},
      {556, "2"},
      {616, "1.5"},
      {826, "SMITH J"},
      {836, "C"},
      {846, "BU"},
      {1140, "3"},
      {1141, "5-2"},
      {1142, "Purse $30000. WAGERING THIS RACE"},
  };
}

void write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const fs::path card = fs::path(argv[1]) / "fuzz_card_reader";
  const fs::path results = fs::path(argv[1]) / "fuzz_results_reader";
  fs::create_directories(card);
  fs::create_directories(results);

  const std::string one = cardLine(horse("SA", "1", "QUICK STEP"));
  write(card / "one_line", one + "\n");
  write(card / "two_races_crlf", cardLine(horse("SA", "1", "QUICK STEP")) + "\r\n" +
                                     cardLine(horse("sa", "1", "SLOW BOAT", "s")) + "\r\n" +
                                     cardLine(horse("SA", "2", "LATE RUN")) + "\r\n\r\n");
  auto longField = horse("FP", "3", std::string(300, 'N'));
  longField[8] = "G2";
  write(card / "long_field_no_end", cardLine(longField));
  std::string spoiled = one;
  spoiled[spoiled.size() - 1] ^= 1;
  write(card / "bad_check_code", one + "\n" + spoiled + "\n");
  // Longer than the raw line the check sees: the check code falls beyond it.
  write(card / "beyond_raw_capacity", cardLine(horse("SA", "4", std::string(20500, 'W'))) + "\n");
  write(card / "short_line", "SA,20260315,1,1,,1320,D\n");
  write(card / "blank_lines", "\n\n\r\n\x01");

  auto starter = [](const std::string& track, const std::string& race, const std::string& name,
                    const std::string& position) {
    return std::map<int, std::string>{{1, track}, {2, "20260315"}, {3, race},    {5, "D"},      {17, "FT"},
                                      {18, "1"},  {20, name},      {37, "2.50"}, {49, position}};
  };
  auto winner = starter("SA", "1", "QUICK STEP", "1");
  winner.insert({{75, "7.00"},
                 {76, "4.20"},
                 {77, "3.00"},
                 {78, "EXACTA"},
                 {79, "TRIFECTA"},
                 {80, "DAILY DOUBLE"},
                 {96, "45.60"},
                 {97, "120.80"},
                 {98, "33.00"}});
  auto other = starter("sa", "2", "\"LATE, RUN\"", "99");
  other.insert({{5, "T"},
                {17, "SY"},
                {78, "Exacta"},
                {79, "EXACTOR"},
                {80, "EXACTOR"},
                {96, "9.99"},
                {97, "0"},
                {98, "18.40"}});
  write(results / "two_races", fieldsLine(winner, 104) + "\n" +
                                   fieldsLine(starter("SA", "1", "SLOW BOAT", "2"), 49) + "\r\n" +
                                   fieldsLine(other, 110));
  write(results / "short_lines", "AQU,2026\n,,,\n\"\n\n");
  // Old Mac line ends; junk among the lines of a race; lines that fail each check.
  write(results / "cr_line_ends", fieldsLine(winner, 104) + "\r" +
                                      fieldsLine(starter("SA", "1", "SLOW BOAT", "2"), 49) + "\r\r" +
                                      fieldsLine(other, 110) + "\r");
  write(results / "junk_inside_a_race", fieldsLine(winner, 104) + "\n" + std::string(3000, 'x') + "\n" +
                                            fieldsLine(starter("SA", "1", "SLOW BOAT", "2"), 49) + "\n");
  write(results / "bad_fields", fieldsLine(starter("S1", "1", "A", "1"), 49) + "\n" +
                                    fieldsLine(starter("SA", "100", "B", "1"), 49) + "\n" +
                                    fieldsLine(starter("SA", "1", "C", "3rd"), 49) + "\n" +
                                    fieldsLine(starter("SA", "1", "D", "1"), 600) + "\n");
  write(card / "cr_line_ends",
        cardLine(horse("SA", "1", "QUICK STEP")) + "\r" + cardLine(horse("SA", "2", "SLOW BOAT")) + "\r");
  return 0;
}
