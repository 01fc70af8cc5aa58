// The training record beside a SIM: where it lives, that what is written
// reads back the same, that reading is tolerant (unknown keys, bad values,
// other versions, line ends) yet refuses what is not a record, and the
// labelled lines users see.
#include "model/sim_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

SimRecord fullRecord() {
  SimRecord record;
  record.simName = "Alpha";
  record.dataset = "Spring Meet";
  record.criteria = {"Sprints only.", "Track: SAX"};
  record.criteriaKnown = true;
  record.passesPerRun = 25;
  record.startSim = "Beta";
  record.startKnown = true;
  record.patterns = 139;
  record.races = 153;
  record.preparedWhen = "2026-12-09 06:28 UTC";
  record.passesTrained = 50;
  record.finalError = 1311331.349;
  record.trainedWhen = "2026-12-09 06:40 UTC";
  SimCardHeadline card;
  card.dataset = "SaxTest";
  card.when = "2026-12-09 06:45 UTC";
  card.races = 89;
  card.topPickRate = 21.0 / 89;
  card.top3Rate = 64.0 / 89;
  card.simLogLoss = 1.9219;
  card.simPseudoR2 = 0.0221;
  card.oddsPseudoR2 = 0.146;
  record.card = card;
  return record;
}

TEST(SimRecord, LivesBesideTheWeightsFile) {
  struct Case {
    const char* weights;
    const char* record;
  };
  const Case cases[] = {
      {"/w/SIM/Alpha.SIM", "/w/SIM/Alpha.INFO"},
      {"/w/SIM/alpha.sim", "/w/SIM/alpha.INFO"},  // any letter case of the extension
      {"/w/TRAINDATA/train.SIM", "/w/TRAINDATA/train.INFO"},
      {"/w/SIM/Alpha.v2.SIM", "/w/SIM/Alpha.v2.INFO"},    // only the last extension goes
      {"/w/SIM/Alpha", "/w/SIM/Alpha.INFO"},              // none: added
      {"/w/my.folder/Alpha", "/w/my.folder/Alpha.INFO"},  // a dot in the folder is no extension
      {"/w/SIM/.SIM", "/w/SIM/.SIM.INFO"},                // a hidden name, not an extension
  };
  for (const Case& c : cases) EXPECT_EQ(simRecordPath(c.weights), c.record) << c.weights;
}

TEST(SimRecord, WhatIsWrittenReadsBackTheSame) {
  const SimRecord written = fullRecord();
  SimRecord read;
  ASSERT_TRUE(parseSimRecord(simRecordText(written), read));
  EXPECT_EQ(read.simName, written.simName);
  EXPECT_EQ(read.dataset, written.dataset);
  EXPECT_EQ(read.criteria, written.criteria);
  EXPECT_TRUE(read.criteriaKnown);
  EXPECT_EQ(read.passesPerRun, 25);
  EXPECT_EQ(read.startSim, "Beta");
  EXPECT_EQ(read.patterns, 139);
  EXPECT_EQ(read.races, 153);
  EXPECT_EQ(read.preparedWhen, written.preparedWhen);
  EXPECT_EQ(read.passesTrained, 50);
  ASSERT_TRUE(read.finalError);
  EXPECT_EQ(*read.finalError, *written.finalError);  // shortest exact form: bit for bit
  ASSERT_TRUE(read.card);
  EXPECT_EQ(read.card->dataset, "SaxTest");
  EXPECT_EQ(read.card->races, 89);
  EXPECT_EQ(read.card->topPickRate, 21.0 / 89);
  EXPECT_EQ(read.card->top3Rate, 64.0 / 89);
  ASSERT_TRUE(read.card->oddsPseudoR2);
  EXPECT_EQ(*read.card->oddsPseudoR2, 0.146);

  // A random start and a filter that lets every race through are facts
  // too, told apart from "not known".
  SimRecord plain;
  plain.simName = "Gamma";
  plain.criteriaKnown = true;
  plain.startKnown = true;
  SimRecord back;
  ASSERT_TRUE(parseSimRecord(simRecordText(plain), back));
  EXPECT_TRUE(back.criteriaKnown);
  EXPECT_TRUE(back.criteria.empty());
  EXPECT_TRUE(back.startKnown);
  EXPECT_EQ(back.startSim, "");
  EXPECT_FALSE(back.card);
  EXPECT_FALSE(back.finalError);
}

TEST(SimRecord, ALineEndInANameCannotAddAFact) {
  SimRecord record;
  record.simName = "Alpha";
  record.dataset = "Spring\npasses=999\r";
  SimRecord read;
  ASSERT_TRUE(parseSimRecord(simRecordText(record), read));
  EXPECT_EQ(read.passesTrained, 0);
  EXPECT_EQ(read.dataset, "Spring passes=999 ");
}

TEST(SimRecord, ReadingIsTolerant) {
  const std::string head = "stridewell-sim-record 1\n";
  struct Case {
    const char* name;
    std::string text;
    bool read;
    int passes;           // passesTrained read
    const char* dataset;  // dataset read
    bool card;
  };
  const Case cases[] = {
      {"unknown keys are skipped", head + "colour=blue\ndataset=Sax\npasses=7\n", true, 7, "Sax", false},
      {"lines without = are skipped", head + "just words\npasses=3\n", true, 3, "", false},
      {"a later version shares its keys", "stridewell-sim-record 2\npasses=4\nnew-key=1\n", true, 4, "",
       false},
      {"CR LF line ends", "stridewell-sim-record 1\r\ndataset=Sax\r\npasses=9\r\n", true, 9, "Sax", false},
      {"no line end at the end", head + "passes=2", true, 2, "", false},
      {"a bad number is not known", head + "passes=lots\ndataset=Sax\n", true, 0, "Sax", false},
      {"a negative count is not known", head + "passes=-5\n", true, 0, "", false},
      {"a number with junk after it", head + "passes=5x\n", true, 0, "", false},
      {"a card without its races is no card", head + "card-dataset=Sax\ncard-top1=0.3\n", true, 0, "", false},
      {"a card with dataset and races", head + "card-dataset=Sax\ncard-races=10\ncard-top1=nan\n", true, 0,
       "", true},
      {"empty file", "", false, 0, "", false},
      {"no heading", "passes=5\n", false, 0, "", false},
      {"another file's heading", "stridewell-settings 1\npasses=5\n", false, 0, "", false},
      {"heading without version", "stridewell-sim-record\npasses=5\n", false, 0, "", false},
      {"version 0", "stridewell-sim-record 0\npasses=5\n", false, 0, "", false},
      {"binary bytes", std::string("\x00\x01\x02\xff", 4), false, 0, "", false},
  };
  for (const Case& c : cases) {
    SimRecord record;
    record.passesTrained = -1;  // untouched on refusal
    EXPECT_EQ(parseSimRecord(c.text, record), c.read) << c.name;
    if (!c.read) {
      EXPECT_EQ(record.passesTrained, -1) << c.name;
      continue;
    }
    EXPECT_EQ(record.passesTrained, c.passes) << c.name;
    EXPECT_EQ(record.dataset, c.dataset) << c.name;
    EXPECT_EQ(record.card.has_value(), c.card) << c.name;
    if (record.card) {
      EXPECT_EQ(record.card->topPickRate, 0.0) << c.name << ": nan is not a rate";
    }
  }
}

TEST(SimRecord, FilesThatAreNoRecordReadAsNoInformation) {
  test::TempFolder folder;
  const fs::path good = folder.path() / "Alpha.INFO";
  const fs::path huge = folder.path() / "Huge.INFO";
  const fs::path foreign = folder.path() / "Foreign.INFO";
  std::string problem;
  ASSERT_TRUE(writeSimRecord(good.string(), fullRecord(), problem)) << problem;
  std::ofstream(huge) << "stridewell-sim-record 1\n" << std::string(kMostSimRecordBytes, '#');
  std::ofstream(foreign) << "hello";
  struct Case {
    fs::path path;
    SimRecordRead read;
  };
  const Case cases[] = {
      {good, SimRecordRead::kRead},
      {folder.path() / "Missing.INFO", SimRecordRead::kMissing},
      {huge, SimRecordRead::kDamaged},
      {foreign, SimRecordRead::kDamaged},
      {folder.path(), SimRecordRead::kDamaged},  // a folder in its place
  };
  for (const Case& c : cases) {
    SimRecord record;
    EXPECT_EQ(readSimRecord(c.path.string(), record), c.read) << c.path;
  }
}

TEST(SimRecord, AFailedWriteLeavesTheOldRecordWhole) {
  test::TempFolder folder;
  const std::string path = (folder.path() / "Alpha.INFO").string();
  std::string problem;
  SimRecord old = fullRecord();
  old.passesTrained = 10;
  ASSERT_TRUE(writeSimRecord(path, old, problem));
  test::FaultyFileSystem full;
  full.failWritesFrom(1, ENOSPC);
  SimRecord newer = fullRecord();
  newer.passesTrained = 60;
  EXPECT_FALSE(writeSimRecord(path, newer, problem, full));
  EXPECT_NE(problem.find(path), std::string::npos) << problem;
  SimRecord read;
  ASSERT_EQ(readSimRecord(path, read), SimRecordRead::kRead);
  EXPECT_EQ(read.passesTrained, 10);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(SimRecord, DescriptionLabelsEveryFact) {
  const std::string text = describeSimRecord(fullRecord(), SimRecordRead::kRead);
  // 1311331.349 over 139 races is 9434.039...; 21 of 89 is 23.6 %, 64 of 89 is 71.9 %.
  for (const char* line :
       {"Trained on dataset:     Spring Meet\n", "Criteria:               Sprints only.\n",
        "                        Track: SAX\n", "Learning pressure:      High (25 passes a run)\n",
        "Started from:           SIM Beta\n", "Training patterns:      139 (from 153 races)\n",
        "Passes trained:         50\n", "Final training error:   1311331.3 (9434.04 a race)\n",
        "Last trained:           2026-12-09 06:40 UTC\n",
        "Last report card:       dataset SaxTest, 2026-12-09 06:45 UTC\n", "  Races:                89\n",
        "  Top pick won:         23.6%\n", "  Winner in top 3:      71.9%\n",
        "  SIM log loss:         1.9219\n", "  SIM pseudo-R2:        0.0221\n",
        "  Final odds pseudo-R2: 0.1460\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "in:\n" << text;
  }
  EXPECT_EQ(describeSimRecord(fullRecord(), SimRecordRead::kMissing), "No training record\n");
  EXPECT_EQ(describeSimRecord(fullRecord(), SimRecordRead::kDamaged).rfind("Training record damaged", 0), 0u);

  SimRecord sparse;  // a record written by training alone
  sparse.passesTrained = 3;
  sparse.passesPerRun = 7;
  const std::string sparseText = describeSimRecord(sparse, SimRecordRead::kRead);
  EXPECT_NE(sparseText.find("Trained on dataset:     not known\n"), std::string::npos) << sparseText;
  EXPECT_NE(sparseText.find("Criteria:               not known\n"), std::string::npos) << sparseText;
  EXPECT_NE(sparseText.find("Learning pressure:      7 passes a run\n"), std::string::npos) << sparseText;
  EXPECT_NE(sparseText.find("Last report card:       none\n"), std::string::npos) << sparseText;
}

TEST(SimRecord, PressureNamesAndListSummary) {
  EXPECT_EQ(pressureName(5), "Low");
  EXPECT_EQ(pressureName(10), "Medium");
  EXPECT_EQ(pressureName(25), "High");
  EXPECT_EQ(pressureName(50), "Very High");
  EXPECT_EQ(pressureName(7), "");
  SimRecord record;
  EXPECT_EQ(simRecordSummary(record), "");
  record.dataset = "Sax";
  EXPECT_EQ(simRecordSummary(record), "dataset Sax");
  record.passesTrained = 1;
  record.trainedWhen = "x";
  EXPECT_EQ(simRecordSummary(record), "dataset Sax, 1 pass");
  record.passesTrained = 30;
  EXPECT_EQ(simRecordSummary(record), "dataset Sax, 30 passes");
  EXPECT_EQ(recordTimeText(0), "1970-01-01 00:00 UTC");
  EXPECT_EQ(recordTimeText(86400 + 3600 + 120), "1970-01-02 01:02 UTC");
}

}  // namespace
}  // namespace stridewell
