#include "race/check_code.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "card_line_builder.h"

namespace stridewell {
namespace {

using test::CardLineBuilder;

// The CRC written out again from the description of the card format, so that
// the reader's own walk is checked against something it does not share.
uint16_t referenceCrc16(std::string_view bytes) {
  uint16_t crc = 0;
  for (unsigned char byte : bytes) {
    crc ^= static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
  }
  return crc;
}

// The bytes the check covers: from the 10th separator comma through the
// 200th, quotes toggling one state over the whole line.
std::string referenceRegion(std::string_view line) {
  std::string region;
  bool quoted = false;
  int commas = 0;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    const bool separator = c == ',' && !quoted;
    if (separator) ++commas;
    if (commas >= 10 && (commas < 200 || (commas == 200 && separator))) region += c;
    if (commas == 200 && separator) break;
  }
  return region;
}

bool referenceCheck(std::string_view line) {
  if (line.empty()) return true;
  bool quoted = false;
  int commas = 0;
  size_t i = 0;
  for (; i < line.size() && commas < 1495; ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ',' && !quoted) ++commas;
  }
  if (commas < 1495) return false;
  uint16_t crc = referenceCrc16(referenceRegion(line));
  i += 2;
  if (crc == 0) return true;
  for (;; ++i) {
    if (i >= line.size()) return false;
    if ((static_cast<unsigned char>(line[i]) & 0x1f) != (crc & 0x1f)) return false;
    crc >>= 5;
    if (crc == 0) return true;
  }
}

TEST(CheckCode, ReferenceCrcMatchesTheKnownVector) {
  // CRC-16 with polynomial 0x1021, initial 0, no reflection: the XMODEM check value.
  EXPECT_EQ(referenceCrc16("123456789"), 0x31C3);
}

TEST(CheckCode, CardLineCrcOfKnownLines) {
  // Expected values from an independent CRC-16/XMODEM implementation.
  struct Case {
    const char* what;
    std::string line;
    uint16_t crc;
  };
  const std::string commas190(190, ',');
  const Case cases[] = {
      {"all fields empty: 191 commas", CardLineBuilder().unchecked(), 0x21D6},
      {"field 11 = 123456789", CardLineBuilder().set(11, "123456789").unchecked(), 0x0A17},
      {"field 11 = ab", CardLineBuilder().set(11, "ab").unchecked(), 0x0E2D},
      {"field 11 quoted with a comma inside", CardLineBuilder().set(11, "\"a,b\"").unchecked(), 0xDD42},
      {"fields 1-10 are outside the check", CardLineBuilder().set(1, "SA").set(10, "x\"y\"z").unchecked(),
       0x21D6},
      {"field 201 and later are outside the check",
       CardLineBuilder().set(201, "9999").set(1000, "abc").unchecked(), 0x21D6},
      {"only 200 commas", std::string(9, ',') + ",123456789" + commas190, 0x0A17},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cardLineCrc(c.line), c.crc) << c.what;
  }
}

TEST(CheckCode, CrcRegionBoundaries) {
  const CardLineBuilder base;
  const uint16_t baseCrc = cardLineCrc(base.unchecked());
  struct Case {
    int field;
    bool changesCrc;
  };
  // Field 10 ends at the 10th comma, which is the first byte fed in; field
  // 200 ends at the 200th comma, the last byte fed in.
  const Case cases[] = {
      {1, false}, {10, false}, {11, true}, {100, true}, {200, true}, {201, false}, {1495, false},
  };
  for (const Case& c : cases) {
    CardLineBuilder line = base;
    line.set(c.field, "Q");
    EXPECT_EQ(cardLineCrc(line.unchecked()) != baseCrc, c.changesCrc) << "field " << c.field;
  }
  // A comma inside quotes is not the 200th separator: the check then runs on
  // to the next separator, taking in the text that follows.
  CardLineBuilder quoted = base;
  quoted.set(200, "\"Q").set(201, "R\"");
  CardLineBuilder plain = base;
  plain.set(200, "\"Q\"");
  EXPECT_EQ(cardLineCrc(plain.unchecked()), referenceCrc16(referenceRegion(plain.unchecked())));
  EXPECT_EQ(cardLineCrc(quoted.unchecked()), referenceCrc16(referenceRegion(quoted.unchecked())));
  EXPECT_NE(cardLineCrc(plain.unchecked()), cardLineCrc(quoted.unchecked()));
}

TEST(CheckCode, CodeCharactersCarryFiveBitsLowFirst) {
  EXPECT_EQ(checkCodeChars(0), "");
  for (uint16_t crc : {uint16_t{1}, uint16_t{0x1F}, uint16_t{0x20}, uint16_t{0x21D6}, uint16_t{0xFFFF}}) {
    const std::string chars = checkCodeChars(crc);
    uint32_t decoded = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(chars[i]);
      EXPECT_NE(c, ',');
      EXPECT_NE(c, '"');
      EXPECT_GE(c, 0x20);
      decoded |= uint32_t{c & 0x1fu} << (5 * i);
    }
    EXPECT_EQ(decoded, crc);
    EXPECT_NE(chars.back() & 0x1f, 0) << "no trailing character beyond the last set bit";
  }
}

// Lines built by hand from the format's description, so that a wrong CRC in
// appendCheckCode cannot hide a wrong CRC in checkCardLine.
std::string handCoded(const CardLineBuilder& builder, std::string_view filler = "00") {
  std::string line = builder.unchecked();
  uint16_t crc = referenceCrc16(referenceRegion(line));
  line += filler;
  while (crc != 0) {
    line += static_cast<char>(0x60 | (crc & 0x1f));  // other high bits than the writer's
    crc >>= 5;
  }
  return line;
}

TEST(CheckCode, CheckCardLineCases) {
  CardLineBuilder plain;
  plain.set(1, "SA").set(2, "20240315").set(3, "1").set(13, "RUNNER").set(100, "x");
  const std::string good = plain.build();
  ASSERT_GE(checkCodeChars(cardLineCrc(plain.unchecked())).size(), 2u);

  std::string lowBitsWrong = good;
  lowBitsWrong.back() = static_cast<char>(lowBitsWrong.back() ^ 0x01);
  std::string highBitsDiffer = good;
  highBitsDiffer.back() = static_cast<char>(highBitsDiffer.back() ^ 0x20);
  std::string cutShort = good.substr(0, good.size() - 1);

  CardLineBuilder zeroCrc;  // field 11 chosen so that the CRC is 0
  zeroCrc.set(11, "BN89");
  ASSERT_EQ(referenceCrc16(referenceRegion(zeroCrc.unchecked())), 0);

  std::string fewerCommas = plain.unchecked();
  fewerCommas.pop_back();  // 1494 separators
  appendCheckCode(fewerCommas);

  CardLineBuilder quotedComma = plain;  // one of the 1495 commas inside quotes
  quotedComma.set(300, "\"a").set(301, "b\"");

  CardLineBuilder commaInQuotes = plain;  // an extra comma, but quoted
  commaInQuotes.set(300, "\"a,b\"");

  struct Case {
    const char* what;
    std::string line;
    bool valid;
  };
  const Case cases[] = {
      {"empty raw line", "", true},
      {"builder line", good, true},
      {"hand-coded line", handCoded(plain), true},
      {"hand-coded, other filler", handCoded(plain, ",\""), true},
      {"code character with wrong low five bits", lowBitsWrong, false},
      {"code character differing only above bit 4", highBitsDiffer, true},
      {"line ends before the code is complete", cutShort, false},
      {"line ends right after the 1495th comma", plain.unchecked(), false},
      {"line ends inside the filler", plain.unchecked() + "0", false},
      {"one filler character only", plain.unchecked() + "0" + checkCodeChars(cardLineCrc(plain.unchecked())),
       false},
      {"fewer than 1495 separator commas", fewerCommas, false},
      {"a comma inside quotes is not a separator", quotedComma.build(), false},
      {"quoted comma inside a field, 1495 separators", commaInQuotes.build(), true},
      {"CRC 0, nothing after the 1495th comma", zeroCrc.unchecked(), true},
      {"CRC 0, anything after", zeroCrc.unchecked() + "zz!!garbage,,,\"", true},
      {"only commas, far too few", std::string(100, ','), false},
      {"a blank only", " ", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(checkCardLine(c.line), c.valid) << c.what;
    EXPECT_EQ(referenceCheck(c.line), c.valid) << "reference disagrees with the table: " << c.what;
  }
}

TEST(CheckCode, QuotesAreFedIntoTheCrc) {
  // Same field texts once the quotes are dropped, different raw lines.
  CardLineBuilder bare;
  bare.set(11, "ab");
  CardLineBuilder quoted;
  quoted.set(11, "\"ab\"");
  EXPECT_NE(cardLineCrc(bare.unchecked()), cardLineCrc(quoted.unchecked()));
  // A code computed without the quotes does not fit the quoted line.
  std::string line = quoted.unchecked();
  appendCheckCode(line);
  std::string swapped = bare.unchecked() + line.substr(quoted.unchecked().size());
  EXPECT_FALSE(checkCardLine(swapped));
}

TEST(CheckCode, AgreesWithReferenceOnRandomLines) {
  std::mt19937 rng(20240315);
  const std::string alphabet = "ABCxyz019 .-\"";
  for (int round = 0; round < 200; ++round) {
    CardLineBuilder builder;
    const int count = static_cast<int>(rng() % 20);
    for (int i = 0; i < count; ++i) {
      const int field = 1 + static_cast<int>(rng() % 260);
      std::string text;
      const int length = static_cast<int>(rng() % 6);
      for (int j = 0; j < length; ++j) text += alphabet[rng() % alphabet.size()];
      builder.set(field, text);
    }
    const std::string line = builder.unchecked();
    ASSERT_EQ(cardLineCrc(line), referenceCrc16(referenceRegion(line))) << line.substr(0, 400);
    const std::string coded = handCoded(builder);
    EXPECT_EQ(checkCardLine(coded), referenceCheck(coded)) << line.substr(0, 400);
    std::string damaged = coded;
    damaged[rng() % 600] ^= 0x01;
    EXPECT_EQ(checkCardLine(damaged), referenceCheck(damaged)) << damaged.substr(0, 400);
  }
}

// The CRC takes several bytes per step; every length of checked part, and
// so every way the steps can end, against the bit-by-bit reference.
TEST(CheckCode, CrcOfEveryLengthOfCheckedPart) {
  std::mt19937 rng(15);
  for (size_t length = 0; length <= 70; ++length) {
    std::string line(10, ',');  // the CRC starts at the 10th separator comma
    for (size_t i = 0; i < length; ++i) {
      char c = static_cast<char>(rng() % 256);
      if (c == ',' || c == '"') c = 'x';
      line += c;
    }
    line += std::string(195, ',');
    EXPECT_EQ(cardLineCrc(line), referenceCrc16(referenceRegion(line))) << "length " << length;
  }
}

// The card reader gives checkCardLine the check commas it found in the whole
// line, and the raw line cut to its capacity. Commas beyond the cut must
// count as missing, so that the verdict is checkCardLine's on the cut line.
TEST(CheckCode, KnownCheckCommasGiveCheckCardLinesVerdict) {
  std::mt19937 rng(1495);
  const std::string alphabet = "ABCxyz019 .-\"";
  for (int round = 0; round < 100; ++round) {
    CardLineBuilder builder;
    for (int i = 0; i < 20; ++i) {
      std::string text;
      for (int j = static_cast<int>(rng() % 6); j > 0; --j) text += alphabet[rng() % alphabet.size()];
      builder.set(1 + static_cast<int>(rng() % test::kCardFields), text);
    }
    const std::string line = rng() % 2 ? handCoded(builder) : builder.unchecked() + "00" + "zz";
    const CheckCommas commas = findCheckCommas(line);
    EXPECT_EQ(checkCardLine(line, commas), checkCardLine(line));
    const size_t cuts[] = {0,
                           1,
                           commas.crcFirst,
                           commas.crcLast,
                           commas.code - 1,
                           commas.code,
                           commas.code + 1,
                           commas.code + 3,
                           commas.code + 4,
                           line.size() - 1};
    for (size_t cut : cuts) {
      if (cut > line.size()) continue;
      const std::string_view kept = std::string_view(line).substr(0, cut);
      EXPECT_EQ(checkCardLine(kept, commas), checkCardLine(kept)) << "round " << round << ", cut at " << cut;
      EXPECT_EQ(checkCardLine(kept), referenceCheck(kept)) << "round " << round << ", cut at " << cut;
    }
  }
}

}  // namespace
}  // namespace stridewell
