#include "race/check_code.h"

#include <array>

namespace stridewell {
namespace {

constexpr uint16_t crcStepBitwise(uint16_t crc, unsigned char byte) {
  crc ^= static_cast<uint16_t>(byte << 8);
  for (int bit = 0; bit < 8; ++bit) {
    crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
  }
  return crc;
}

// The eight shifts of a byte folded into one table look-up: every card line
// feeds a few hundred bytes through the CRC, and bit by bit it cost more than
// reading the rest of the line.
constexpr std::array<uint16_t, 256> kCrcTable = [] {
  std::array<uint16_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = crcStepBitwise(0, static_cast<unsigned char>(i));
  return table;
}();

uint16_t crcStep(uint16_t crc, unsigned char byte) {
  return static_cast<uint16_t>((crc << 8) ^ kCrcTable[(crc >> 8) ^ byte]);
}

// Walks the line counting separator commas; quotes toggle one state over the
// whole line. Returns the CRC and the position just past the comma numbered
// `stopComma` (npos when the line has fewer).
struct Walk {
  uint16_t crc = 0;
  size_t afterStopComma = std::string_view::npos;
};

Walk walkLine(std::string_view line, int stopComma) {
  Walk walk;
  bool quoted = false;
  int commas = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      ++commas;
    }
    if (commas >= kCrcFirstComma && commas <= kCrcLastComma) {
      // The 200th comma is the last byte fed in; later characters are not.
      const bool pastEnd = commas == kCrcLastComma && !(c == ',' && !quoted);
      if (!pastEnd) walk.crc = crcStep(walk.crc, static_cast<unsigned char>(c));
    }
    if (commas == stopComma && c == ',' && !quoted) {
      walk.afterStopComma = i + 1;
      return walk;
    }
  }
  return walk;
}

}  // namespace

bool checkCardLine(std::string_view raw) {
  if (raw.empty()) return true;
  const Walk walk = walkLine(raw, kCheckCodeComma);
  if (walk.afterStopComma == std::string_view::npos) return false;
  uint16_t crc = walk.crc;
  size_t i = walk.afterStopComma + 2;  // two filler characters
  if (crc == 0) return true;
  for (;; ++i) {
    if (i >= raw.size()) return false;
    if ((static_cast<unsigned char>(raw[i]) & 0x1f) != (crc & 0x1f)) return false;
    crc = static_cast<uint16_t>(crc >> 5);
    if (crc == 0) return true;
  }
}

uint16_t cardLineCrc(std::string_view line) { return walkLine(line, -1).crc; }

std::string checkCodeChars(uint16_t crc) {
  std::string chars;
  while (crc != 0) {
    chars += static_cast<char>('@' | (crc & 0x1f));
    crc = static_cast<uint16_t>(crc >> 5);
  }
  return chars;
}

void appendCheckCode(std::string& line, std::string_view filler) {
  const uint16_t crc = cardLineCrc(line);
  line.append(filler);
  line += checkCodeChars(crc);
}

}  // namespace stridewell
