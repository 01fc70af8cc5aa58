// The check code every card line carries: a CRC-16 (polynomial 0x1021,
// initial value 0, no reflection, no final XOR) over the line from its 10th
// separator comma through its 200th, written after the 1495th separator comma
// and two filler characters as five bits per character, low bits first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stridewell {

inline constexpr int kCrcFirstComma = 10;
inline constexpr int kCrcLastComma = 200;
inline constexpr int kCheckCodeComma = 1495;

// True when the raw line (quotes and commas as read, no line end) is empty
// or carries a correct check code.
bool checkCardLine(std::string_view rawLine);

// Where the separator commas the check depends on lie in a line: the 10th
// (the first byte of the CRC), the 200th (its last byte) and the 1495th (the
// code follows it). kMissing for a comma the line does not have.
struct CheckCommas {
  static constexpr size_t kMissing = std::string_view::npos;
  size_t crcFirst = kMissing;
  size_t crcLast = kMissing;
  size_t code = kMissing;
};

// The check commas of `line`, found by walking it from its start.
CheckCommas findCheckCommas(std::string_view line);

// checkCardLine for a raw line whose check commas are already known: the card
// reader's scanner finds them while it reads the fields, which saves a second
// walk over every line. Gives checkCardLine(rawLine)'s verdict whenever
// `commas` are those of the line as read; a position at or beyond
// rawLine.size() (a comma beyond the part of a long line that is kept) counts
// as missing, as it does for checkCardLine.
bool checkCardLine(std::string_view rawLine, const CheckCommas& commas);

// The CRC of the checked part of a line; lines with fewer than 200 separator
// commas give the CRC of what they have.
uint16_t cardLineCrc(std::string_view line);

// The characters that encode `crc` (none when it is 0): each holds the next
// five bits in its low bits, drawn from '@' .. '_' so that none is a comma,
// a quote or a control character.
std::string checkCodeChars(uint16_t crc);

// Completes a line that ends right after its 1495th separator comma with two
// filler characters and the check code, so that checkCardLine accepts it.
void appendCheckCode(std::string& line, std::string_view filler = "00");

}  // namespace stridewell
