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
