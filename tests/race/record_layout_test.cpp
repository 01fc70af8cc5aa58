// The stored records are byte images: check members where the file format
// puts them, reading the raw bytes, not through the structs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "card_line_builder.h"
#include "race/race.h"

namespace stridewell {
namespace {

using test::CardLineBuilder;
using test::horseLine;
using test::joinLines;
using test::le16;
using test::le32;
using test::leFloat;
using test::readCard;
using test::readResults;
using test::starterLine;

TEST(RecordLayout, RaceCardImage) {
  CardLineBuilder first = horseLine("SA", "20240315", "5", "FIRST");
  first.set(6, "1320").set(7, "T").set(8, "C").set(10, "12500").set(145, "SA").set(195, "7");
  CardLineBuilder second = first;
  second.set(13, "SECOND").set(15, "G").set(140, "20200401").set(4, "3").set(17, "121").set(87, "3");
  second.set(66, "12").set(70, "150000").set(71, "30").set(67, "4").set(72, "2");
  second.set(186, "10").set(187, "3");
  second.set(101, "1320").set(93, "110").set(105, "SY");
  second.set(83, "J SMITH").set(1141, "4.5").set(201, "123.5").set(137, "-12").set(139, "300");
  second.set(176, "40.5");
  // Past races 0 and 1.
  second.set(226, "SA").set(206, "20240101").set(256, "1870").set(276, "11").set(286, "4");
  second.set(526, "3").set(586, "1.5").set(556, "2").set(616, "0.13").set(706, "-88");
  second.set(836, "A").set(496, "40000").set(846, "BUF").set(266, "T").set(316, "bumped");
  second.set(796, "110").set(686, "98.25").set(696, "105.5").set(826, "J SMITH");
  second.set(227, "AQU").set(207, "20231201");

  const auto outcome = readCard(joinLines({first.build(), second.build()}));
  ASSERT_EQ(outcome.races.size(), 1u);
  std::vector<unsigned char> image(sizeof(RaceCard));
  std::memcpy(image.data(), &outcome.races[0].card, image.size());
  ASSERT_EQ(image.size(), 52952u);
  const unsigned char* c = image.data();

  EXPECT_EQ(le32(c + 0), 0u);
  EXPECT_EQ(c[4], 7);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c + 5), 4), std::string("SAX\0", 4));
  EXPECT_EQ(le32(c + 9), 0x07E80F03u);  // 2024 << 16 | 15 << 8 | 3
  EXPECT_EQ(c[13], 2);
  EXPECT_EQ(le32(c + 14), 0x40C00000u);  // 6.0f
  EXPECT_EQ(c[18], 2);                   // claiming
  EXPECT_EQ(le32(c + 19), 12500u);
  EXPECT_EQ(c[23], 1);  // turf

  const unsigned char* h = c + 24 + 827;  // second horse
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c + 24 + 10)), "FIRST");
  EXPECT_EQ(le32(h + 0), 0u);
  EXPECT_EQ(le32(h + 4), 0u);
  EXPECT_EQ(h[8], 'g');
  EXPECT_EQ(h[9], 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 10)), "SECOND");
  EXPECT_EQ(le16(h + 40), 12);
  EXPECT_EQ(le32(h + 42), 150000u);
  EXPECT_EQ(le16(h + 46), 30);

  const unsigned char* p = h + 52;  // past race 0
  EXPECT_EQ(le32(p + 0), 0u);
  EXPECT_EQ(le32(p + 4), static_cast<uint32_t>((2024 << 16) | (1 << 8) | 1));
  EXPECT_FLOAT_EQ(leFloat(p + 8), 1.0625f);
  EXPECT_EQ(p[12], 11);
  EXPECT_EQ(p[13], 4);
  EXPECT_EQ(p[14], 3);  // route: call1 from field 526
  EXPECT_FLOAT_EQ(leFloat(p + 15), 1.5f);
  EXPECT_EQ(p[29], 2);  // finish
  EXPECT_FLOAT_EQ(leFloat(p + 30), 0.08f);
  EXPECT_EQ(le16(p + 34), 88);
  EXPECT_EQ(p[36], 3);  // allowance
  EXPECT_EQ(le32(p + 37), 40000u);
  EXPECT_EQ(p[41], 1 | 2 | 4 | 8);
  EXPECT_FLOAT_EQ(leFloat(p + 43), 17.0f);  // 1870 / 110
  EXPECT_FLOAT_EQ(leFloat(p + 51), 105.5f);
  EXPECT_FLOAT_EQ(leFloat(p + 55), 98.25f);
  EXPECT_EQ(le32(p + 59 + 4), static_cast<uint32_t>((2023 << 16) | (1 << 8) | 12));  // past race 1

  EXPECT_EQ(h[642], 2);  // pastRaceCount
  EXPECT_EQ(h[643], 121);
  EXPECT_EQ(h[644], 3);
  EXPECT_EQ(le16(h + 645), 10);  // dirtRecord
  EXPECT_EQ(h[647], 30);
  EXPECT_EQ(le16(h + 675), 42);  // twoYearRecord starts 12 + 30
  EXPECT_EQ(h[677], 14);         // 6 wins of 42: 14.3%
  EXPECT_FLOAT_EQ(leFloat(h + 685), 12.0f);
  EXPECT_EQ(h[689], 1);
  EXPECT_EQ(h[694], 2);  // entry 1: condition of an empty field is dry
  EXPECT_EQ(h[745], 3);
  EXPECT_EQ(h[746], 1);  // jockeyGoodRaces: past race 0, second, same jockey
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 747)), "J SMITH");
  EXPECT_FLOAT_EQ(leFloat(h + 777), 4.5f);
  EXPECT_EQ(h[781], 1);  // pastRacesAtHostTrack
  EXPECT_FLOAT_EQ(leFloat(h + 783), 123.5f);
  EXPECT_EQ(le16(h + 807), static_cast<uint16_t>(-12));
  EXPECT_EQ(le16(h + 809), 300);
  EXPECT_FLOAT_EQ(leFloat(h + 823), 40.5f);
  EXPECT_EQ(h[827], 0);  // third horse slot: empty
}

TEST(RecordLayout, RaceProfileImage) {
  // Race 5 at SA, 6 furlongs on turf, claiming $12,500; the second horse
  // won its one past race, a six-furlong race 74 days before today.
  CardLineBuilder first = horseLine("SA", "20240315", "5", "FIRST");
  first.set(6, "1320").set(7, "T").set(8, "C").set(10, "12500").set(4, "2").set(1141, "3.5").set(145, "SA");
  CardLineBuilder second = first;
  second.set(13, "SECOND").set(4, "7").set(226, "SA").set(206, "20240101").set(256, "1320").set(556, "1");
  second.set(706, "91");

  const auto outcome = readCard(joinLines({first.build(), second.build()}));
  ASSERT_EQ(outcome.races.size(), 1u);
  std::vector<unsigned char> image(sizeof(RaceProfile));
  std::memcpy(image.data(), &outcome.races[0].profile, image.size());
  ASSERT_EQ(image.size(), 12567u);
  const unsigned char* c = image.data();
  EXPECT_EQ(le32(c + 0), 0u);
  EXPECT_EQ(le16(c + 4), 1320u);
  EXPECT_EQ(c[6], 2);  // sprint
  EXPECT_EQ(c[7], 2);  // claiming
  EXPECT_EQ(le32(c + 8), 12500u);
  EXPECT_EQ(c[12], 1);  // turf
  EXPECT_EQ(c[13], 0);  // no host race number on the line
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c + 14)), "SAX");
  EXPECT_EQ(le32(c + 18), 0x07E80F03u);
  EXPECT_EQ(c[22], 2);

  const unsigned char* h0 = c + 23;
  EXPECT_EQ(le32(h0 + 0), 0x40600000u);  // morning line 3.5f
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h0 + 4)), "FIRST");
  EXPECT_EQ(h0[34], 2);
  const unsigned char* h1 = c + 23 + 196;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h1 + 4)), "SECOND");
  EXPECT_EQ(h1[34], 7);
  EXPECT_EQ(h1[91], 74);            // days since the last race
  EXPECT_EQ(h1[92], 1);             // past races
  EXPECT_EQ(h1[93], 1);             // of today's kind
  EXPECT_EQ(le16(h1 + 100), 910u);  // ten times the speed rating of its good race
  EXPECT_EQ(h1[102], 1);            // good races of today's kind
  EXPECT_EQ(h1[103], 1);            // good races
  EXPECT_EQ(h1[123], 1);            // one win
  EXPECT_EQ(h1[131], 1);            // last money finish
  // The third slot and everything after it stay zero.
  const unsigned char* rest = c + 23 + 2 * 196;
  EXPECT_EQ(std::count(rest, c + image.size(), 0), c + image.size() - rest);
}

TEST(RecordLayout, RaceResultImage) {
  const auto outcome = readResults(joinLines({
      starterLine("SA", "20240315", "7", "WINNER")
          .set(5, "T")
          .set(17, "SY")
          .set(49, "1")
          .set(18, "5")
          .set(75, "6.40")
          .set(76, "3.20")
          .set(77, "2.10")
          .set(37, "2.2")
          .set(78, "EXACTA")
          .set(96, "31.20")
          .set(79, "PICK SIX")
          .set(97, "1000")
          .build(),
      starterLine("SA", "20240315", "7", "SECOND").set(49, "2").build(),
  }));
  ASSERT_EQ(outcome.races.size(), 1u);
  std::vector<unsigned char> image(sizeof(RaceResult));
  std::memcpy(image.data(), &outcome.races[0], image.size());
  ASSERT_EQ(image.size(), 3440u);
  const unsigned char* r = image.data();
  EXPECT_EQ(le32(r), 0u);
  EXPECT_EQ(r[4], 7);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 5), 4), std::string("SAX\0", 4));
  EXPECT_EQ(le32(r + 9), 0x07E80F03u);
  EXPECT_EQ(r[13], 1);
  EXPECT_EQ(r[14], 1);
  EXPECT_EQ(r[15], 2);
  EXPECT_FLOAT_EQ(leFloat(r + 16), 31.2f);
  EXPECT_FLOAT_EQ(leFloat(r + 44), 1000.0f);
  EXPECT_EQ(le32(r + 48), 0u);
  const unsigned char* f = r + 52;
  EXPECT_EQ(f[0], 1);
  EXPECT_EQ(f[1], 5);
  EXPECT_FLOAT_EQ(leFloat(f + 2), 6.4f);
  EXPECT_FLOAT_EQ(leFloat(f + 6), 3.2f);
  EXPECT_FLOAT_EQ(leFloat(f + 10), 2.1f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(f + 14)), "WINNER");
  EXPECT_FLOAT_EQ(leFloat(f + 44), 2.2f);
  EXPECT_EQ(f[48], 0);
  EXPECT_EQ(le32(f + 49), 0u);
  EXPECT_EQ(f[53], 2);  // second finisher
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(f + 53 + 14)), "SECOND");
  for (size_t i = 52 + 2 * 53; i < image.size(); ++i) ASSERT_EQ(r[i], 0) << "byte " << i;
}

}  // namespace
}  // namespace stridewell
