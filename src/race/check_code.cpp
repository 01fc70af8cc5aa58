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

// kCrcTables[k][b]: the CRC of byte b followed by k zero bytes. Table 0 folds
// the eight shifts of a byte into one look-up; together the tables take
// eight bytes per step with look-ups that do not wait on each other
// ("slicing by eight"). A card line feeds a few hundred bytes through the
// CRC, and byte by byte that was a good part of the cost of reading it.
constexpr int kSlices = 8;
using CrcTables = std::array<std::array<uint16_t, 256>, kSlices>;
constexpr CrcTables kCrcTables = [] {
  CrcTables tables{};
  for (int i = 0; i < 256; ++i) tables[0][i] = crcStepBitwise(0, static_cast<unsigned char>(i));
  for (int k = 1; k < kSlices; ++k) {
    for (int i = 0; i < 256; ++i) {
      const uint16_t before = tables[k - 1][i];
      tables[k][i] = static_cast<uint16_t>((before << 8) ^ tables[0][before >> 8]);
    }
  }
  return tables;
}();

uint16_t crcOf(std::string_view bytes) {
  const auto& t = kCrcTables;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  uint16_t crc = 0;
  size_t i = 0;
  // The CRC so far enters the first two bytes of a step; the others stand
  // alone, each looked up for the zero bytes that follow it in the step.
  for (; i + kSlices <= bytes.size(); i += kSlices) {
    uint16_t next = static_cast<uint16_t>(t[kSlices - 1][(crc >> 8) ^ byte(i)] ^
                                          t[kSlices - 2][(crc & 0xff) ^ byte(i + 1)]);
    for (int k = 2; k < kSlices; ++k) next ^= t[kSlices - 1 - k][byte(i + k)];
    crc = next;
  }
  for (; i < bytes.size(); ++i) crc = static_cast<uint16_t>((crc << 8) ^ t[0][(crc >> 8) ^ byte(i)]);
  return crc;
}

// The CRC from the 10th separator comma through the 200th, or through the end
// of a line that has fewer than 200 (0 for fewer than 10).
uint16_t checkedPartCrc(std::string_view line, const CheckCommas& commas) {
  if (commas.crcFirst >= line.size()) return 0;
  const size_t end = commas.crcLast < line.size() ? commas.crcLast + 1 : line.size();
  return crcOf(line.substr(commas.crcFirst, end - commas.crcFirst));
}

}  // namespace

CheckCommas findCheckCommas(std::string_view line) {
  CheckCommas at;
  bool quoted = false;  // one quoted state over the whole line
  int commas = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      ++commas;
      if (commas == kCrcFirstComma) at.crcFirst = i;
      if (commas == kCrcLastComma) at.crcLast = i;
      if (commas == kCheckCodeComma) {
        at.code = i;
        break;
      }
    }
  }
  return at;
}

bool checkCardLine(std::string_view raw, const CheckCommas& commas) {
  if (raw.empty()) return true;
  if (commas.code >= raw.size()) return false;
  uint16_t crc = checkedPartCrc(raw, commas);
  if (crc == 0) return true;
  // The code starts after the comma and two filler characters.
  for (size_t i = commas.code + 3;; ++i) {
    if (i >= raw.size()) return false;
    if ((static_cast<unsigned char>(raw[i]) & 0x1f) != (crc & 0x1f)) return false;
    crc = static_cast<uint16_t>(crc >> 5);
    if (crc == 0) return true;
  }
}

bool checkCardLine(std::string_view raw) {
  return checkCardLine(raw, findCheckCommas(raw));
}

uint16_t cardLineCrc(std::string_view line) {
  return checkedPartCrc(line, findCheckCommas(line));
}

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
