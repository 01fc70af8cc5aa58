#include "datasets/build_pair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/card_archives.h"
#include "datasets/race_merge.h"
#include "race/card_line_builder.h"
#include "sample_generator.h"
#include "support/archive_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::vector<std::string> pairLines(const FolderPairing& pairing) {
  std::vector<std::string> lines;
  for (const FilePair& pair : pairing.pairs) lines.push_back(pairLine(pair));
  return lines;
}

TEST(BuildPair, ResultsNameOfACard) {
  EXPECT_EQ(resultsNameFor("ABC0101.TCF"), "ABC0101.XRD");
  EXPECT_EQ(resultsNameFor("LONGERNAME.TCF"), "LONGERNAME.XRD");
  EXPECT_EQ(resultsNameFor(".TCF"), ".XRD");
  EXPECT_EQ(resultsNameFor("AB"), ".XRD");
}

TEST(BuildPair, PairsTablesInCardOrder) {
  struct Case {
    const char* name;
    Names cards, results;
    Names pairs, unpairedCards, unpairedResults;
  } const cases[] = {
      {"all paired",
       {"AAA0101.TCF", "BBB0101.TCF"},
       {"AAA0101.XRD", "BBB0101.XRD"},
       {"AAA0101.TCF    AAA0101.XRD", "BBB0101.TCF    BBB0101.XRD"},
       {},
       {}},
      // The pairs follow the card table, whatever the results table's order.
      {"results in another order",
       {"BBB0101.TCF", "AAA0101.TCF"},
       {"AAA0101.XRD", "BBB0101.XRD"},
       {"BBB0101.TCF    BBB0101.XRD", "AAA0101.TCF    AAA0101.XRD"},
       {},
       {}},
      {"left-overs on both sides",
       {"AAA0101.TCF", "AAA0102.TCF", "AAA0103.TCF"},
       {"AAA0100.XRD", "AAA0102.XRD", "AAA0104.XRD"},
       {"AAA0102.TCF    AAA0102.XRD"},
       {"AAA0101.TCF", "AAA0103.TCF"},
       {"AAA0100.XRD", "AAA0104.XRD"}},
      // A results name pairs once: a repeated card name finds it taken.
      {"a name pairs at most once",
       {"AAA0101.TCF", "AAA0101.TCF"},
       {"AAA0101.XRD"},
       {"AAA0101.TCF    AAA0101.XRD"},
       {"AAA0101.TCF"},
       {}},
      {"a repeated results name is left over",
       {"AAA0101.TCF"},
       {"AAA0101.XRD", "AAA0101.XRD"},
       {"AAA0101.TCF    AAA0101.XRD"},
       {},
       {"AAA0101.XRD"}},
      // Names compare exactly: the folder list has already made them upper case.
      {"exact comparison", {"AAA0101.TCF"}, {"aaa0101.XRD"}, {}, {"AAA0101.TCF"}, {"aaa0101.XRD"}},
      {"nothing", {}, {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CardFolderList list;
    list.cardFiles = c.cards;
    list.resultsFiles = c.results;
    const FolderPairing pairing = pairFolderFiles(list);
    EXPECT_EQ(pairLines(pairing), c.pairs);
    EXPECT_EQ(pairing.unpairedCards, c.unpairedCards);
    EXPECT_EQ(pairing.unpairedResults, c.unpairedResults);
    EXPECT_EQ(pairing.leftOverCount(), c.unpairedCards.size() + c.unpairedResults.size());
  }
}

TEST(BuildPair, LeftOverLinesHaveFixedColumns) {
  FolderPairing pairing;
  pairing.unpairedCards = {"ABC0103.TCF"};
  pairing.unpairedResults = {"ABC0104.XRD", "ZZZ0101.XRD"};
  const Names expected = {
      "ABC0103.TCF" + std::string(4 + 11, ' '),
      std::string(11 + 4, ' ') + "ABC0104.XRD",
      std::string(11 + 4, ' ') + "ZZZ0101.XRD",
  };
  EXPECT_EQ(leftOverLines(pairing), expected);
}

class BuildPairFolder : public ::testing::Test {
 protected:
  fs::path folder() const { return temp_.path() / "cards"; }
  void SetUp() override { fs::create_directories(folder()); }

  test::TempFolder temp_;
};

TEST_F(BuildPairFolder, PairsNamesInAnyCaseAndArchives) {
  test::writeFile(folder() / "abc0101.tcf", "x");
  test::writeFile(folder() / "ABC0101.XRD", "x");
  test::makeArchive(folder() / "ABC0102M.ZIP", {{"ABC0102.TCF", "x"}});
  test::writeFile(folder() / "Abc0102.Xrd", "x");
  // A plain file and its archive count once.
  test::writeFile(folder() / "ABC0105.TCF", "x");
  test::makeArchive(folder() / "abc0105m.zip", {{"ABC0105.TCF", "x"}});
  test::makeArchive(folder() / "ABC0105X.ZIP", {{"ABC0105.XRD", "x"}});
  test::writeFile(folder() / "ABC0103.TCF", "x");
  test::writeFile(folder() / "ABC0104.XRD", "x");
  test::makeArchive(folder() / "ZZZ0101X.ZIP", {{"ZZZ0101.XRD", "x"}});
  test::writeFile(folder() / "NOTES.TXT", "x");
  fs::create_directories(folder() / "OLD.TCF");  // a folder, not a card

  const FolderPairing pairing = pairCardFolder(folder().string());
  EXPECT_EQ(pairing.problem, "");
  EXPECT_FALSE(pairing.cut);
  EXPECT_EQ(pairLines(pairing), (Names{"ABC0101.TCF    ABC0101.XRD", "ABC0102.TCF    ABC0102.XRD",
                                       "ABC0105.TCF    ABC0105.XRD"}));
  EXPECT_EQ(pairing.unpairedCards, (Names{"ABC0103.TCF"}));
  EXPECT_EQ(pairing.unpairedResults, (Names{"ABC0104.XRD", "ZZZ0101.XRD"}));
}

TEST_F(BuildPairFolder, AFolderThatCannotBeReadPairsNothing) {
  const FolderPairing pairing = pairCardFolder((folder() / "missing").string());
  EXPECT_NE(pairing.problem.find("missing"), std::string::npos) << pairing.problem;
  EXPECT_TRUE(pairing.pairs.empty());
  EXPECT_EQ(pairing.leftOverCount(), 0u);
}

// From a folder of generated days, some zipped and some in lower case, to
// the races that would be stored: every pair opens through the
// archive-aware open under the names the pairing gives, and merges whole.
TEST_F(BuildPairFolder, PairedFilesOpenAndMerge) {
  gen::SampleOptions options;
  options.seed = 3;
  options.days = 3;
  options.simulcasts = false;
  const auto days = gen::generateSampleDays(options);
  ASSERT_EQ(days.size(), 3u);
  test::makeArchive(folder() / (days[0].baseName + "M.ZIP"), {{days[0].baseName + ".TCF", days[0].cardText}});
  test::makeArchive(folder() / (days[0].baseName + "X.ZIP"),
                    {{days[0].baseName + ".XRD", days[0].resultsText}});
  test::writeFile(folder() / (days[1].baseName + ".tcf"), days[1].cardText);
  test::writeFile(folder() / (days[1].baseName + ".xrd"), days[1].resultsText);
  test::writeFile(folder() / (days[2].baseName + ".TCF"), days[2].cardText);  // no results

  const FolderPairing pairing = pairCardFolder(folder().string());
  ASSERT_EQ(pairing.pairs.size(), 2u);
  EXPECT_EQ(pairing.unpairedCards, (Names{days[2].baseName + ".TCF"}));

  const Workspace workspace = test::makeWorkspace(temp_.path() / "home");
  auto work = std::make_unique<Race>();
  for (size_t i = 0; i < pairing.pairs.size(); ++i) {
    const FilePair& pair = pairing.pairs[i];
    SCOPED_TRACE(pair.cardName);
    EXPECT_EQ(pair.cardName, days[i].baseName + ".TCF");
    const OpenedFile card = openCardFile((folder() / pair.cardName).string(), workspace);
    const OpenedFile results = openResultsFile((folder() / pair.resultsName).string(), workspace);
    ASSERT_TRUE(card) << card.problem;
    ASSERT_TRUE(results) << results.problem;
    EXPECT_EQ(card.fromArchive(), i == 0);
    CardReader cards(*card.stream, pair.cardName);
    ResultsReader resultReader(*results.stream, pair.resultsName);
    const MergeOutcome outcome = mergeRaces(cards, resultReader, *work, [](const Race&) { return true; });
    EXPECT_GT(outcome.racesWritten, 5);
    EXPECT_EQ(outcome.racesWritten, static_cast<int>(test::readResults(days[i].resultsText).races.size()));
    EXPECT_EQ(outcome.cardRacesWithoutResult + outcome.resultsWithoutCardRace + outcome.racesNotTied, 0);
    EXPECT_FALSE(outcome.cardFileInvalid);
  }
}

}  // namespace
}  // namespace stridewell
