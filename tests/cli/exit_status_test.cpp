// One exit status table for every command, driven through the dispatcher
// as a user's command line would be: 0 done; 1 invalid or damaged input
// (the output covers what came before) or nothing matched; 2 usage errors
// and files or folders that cannot be opened, read or written; 3 a question
// answered No. Each case runs in a Workspace and settings of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/card_command.h"
#include "cli/command_line.h"
#include "cli/dataset_command.h"
#include "cli/handicap_command.h"
#include "cli/pl_command.h"
#include "cli/prep_command.h"
#include "cli/results_command.h"
#include "cli/scratch_command.h"
#include "cli/sim_command.h"
#include "cli/simmap_command.h"
#include "cli/train_command.h"
#include "model/pattern_record.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/contents_report.h"
#include "operations/payout_report.h"
#include "operations/profit_loss_run.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

const CardCommand kCardCommand;
const HandicapCommand kHandicapCommand;
const DatasetCommand kDatasetCommand;
const ResultsCommand kResultsCommand;
const ScratchCommand kScratchCommand;
const SimMapCommand kSimMapCommand;
const PrepCommand kPrepCommand;
const SimCommand kSimCommand;
const TrainCommand kTrainCommand;
const PlCommand kPlCommand;
const Command* const kCommands[] = {&kHandicapCommand, &kDatasetCommand, &kCardCommand, &kResultsCommand,
                                    &kScratchCommand,  &kSimMapCommand,  &kPrepCommand, &kTrainCommand,
                                    &kSimCommand,      &kPlCommand};

enum class Row { kDone, kBadInput, kUsage, kCannotOpen, kDeclined };

int statusOf(Row row) {
  switch (row) {
    case Row::kDone:
      return kExitOk;
    case Row::kBadInput:
      return kExitBadInput;
    case Row::kUsage:
      return kExitUsage;
    case Row::kCannotOpen:
      return kExitCannotOpen;
    case Row::kDeclined:
      return kExitDeclined;
  }
  return -1;
}

const char* nameOf(Row row) {
  switch (row) {
    case Row::kDone:
      return "done";
    case Row::kBadInput:
      return "bad input";
    case Row::kUsage:
      return "usage";
    case Row::kCannotOpen:
      return "cannot open";
    case Row::kDeclined:
      return "declined";
  }
  return "?";
}

// What a case needs in its Workspace before the command runs.
enum Setup : unsigned {
  kNothing = 0,
  kDataset = 1u << 0,           // "Plain": the races of examples/plain
  kDamaged = 1u << 1,           // "Damaged": Plain with a race cut short at its end
  kSimFile = 1u << 2,           // SIM/FRESH.SIM, a sound SIM
  kPrepared = 1u << 3,          // `prep Plain Trained` done (needs kDataset)
  kBadTrainInfo = 1u << 4,      // TRAINDATA/TVARS.DAT cut short
  kTempIsFile = 1u << 5,        // a file where the TEMP folder belongs
  kSettingsBlocked = 1u << 6,   // a file where the settings folder belongs
  kJunkFiles = 1u << 7,         // ROOT/JUNK0101.XRD of random bytes, ROOT/NONE0101.TCF empty,
                                // ROOT/FAKE0101M.ZIP a text file named as an archive
  kOtherSim = 1u << 8,          // SIM/Other.SIM beside FRESH.SIM
  kTempFilesBlocked = 1u << 9,  // folders where the reports' files in TEMP belong
};

struct Case {
  Row row;
  unsigned setup;
  // "$EX/" stands for the examples folder, "$ROOT/" for the case's own folder.
  std::vector<std::string> args;
};

const Case kCases[] = {
    // handicap
    {Row::kDone, kSimFile, {"handicap", "-q", "--sim", "FRESH", "$EX/plain/SAX0313.TCF"}},
    {Row::kBadInput, kSimFile, {"handicap", "-q", "--sim", "FRESH", "$EX/bad/SAX0313.TCF"}},
    {Row::kBadInput, kSimFile | kJunkFiles, {"handicap", "-q", "--sim", "FRESH", "$ROOT/NONE0101.TCF"}},
    {Row::kBadInput, kSimFile | kJunkFiles, {"handicap", "-q", "--sim", "FRESH", "$ROOT/FAKE0101M.ZIP"}},
    {Row::kUsage, kNothing, {"handicap", "--map", "9", "$EX/plain/SAX0313.TCF"}},
    {Row::kCannotOpen, kSimFile, {"handicap", "-q", "--sim", "FRESH", "$ROOT/MISS0101.TCF"}},
    {Row::kCannotOpen, kNothing, {"handicap", "-q", "--sim", "Nobody", "$EX/plain/SAX0313.TCF"}},
    // dataset create
    {Row::kDone, kNothing, {"dataset", "create", "New", "$EX/plain"}},
    {Row::kBadInput, kNothing, {"dataset", "create", "New", "$EX/bad"}},
    {Row::kBadInput, kNothing, {"dataset", "create", "New", "$ROOT/"}},
    {Row::kUsage, kNothing, {"dataset", "create", "New"}},
    {Row::kUsage, kNothing, {"dataset", "create", "..", "$EX/plain"}},
    {Row::kCannotOpen, kNothing, {"dataset", "create", "New", "$ROOT/no-such-folder"}},
    {Row::kDeclined, kDataset, {"dataset", "--no", "create", "Plain", "$EX/plain"}},
    // dataset append
    {Row::kDone, kDataset, {"dataset", "append", "Plain", "$EX/zipped"}},
    {Row::kBadInput, kDataset, {"dataset", "append", "Plain", "$EX/bad"}},
    {Row::kUsage, kDataset, {"dataset", "append", "Plain"}},
    {Row::kCannotOpen, kDataset, {"dataset", "append", "Plain", "$ROOT/no-such-folder"}},
    // dataset list
    {Row::kDone, kDataset, {"dataset", "list"}},
    {Row::kUsage, kNothing, {"dataset", "list", "extra"}},
    {Row::kCannotOpen, kTempIsFile, {"dataset", "list"}},
    // dataset report
    {Row::kDone, kDataset, {"dataset", "report", "contents", "Plain"}},
    {Row::kDone, kDataset, {"dataset", "report", "exotics", "Plain"}},
    {Row::kBadInput, kDataset | kDamaged, {"dataset", "report", "contents", "Damaged"}},
    {Row::kBadInput, kDataset | kDamaged, {"dataset", "report", "daily-double", "Damaged"}},
    {Row::kUsage, kDataset, {"dataset", "report", "weekly", "Plain"}},
    {Row::kCannotOpen, kNothing, {"dataset", "report", "contents", "Nope"}},
    {Row::kCannotOpen,
     kDataset,
     {"dataset", "--comma", "$ROOT/no-such-folder/x.csv", "report", "exotics", "Plain"}},
    {Row::kCannotOpen, kDataset | kTempIsFile, {"dataset", "report", "contents", "Plain"}},
    {Row::kCannotOpen, kDataset | kTempFilesBlocked, {"dataset", "report", "contents", "Plain"}},
    {Row::kCannotOpen, kDataset | kTempFilesBlocked, {"dataset", "report", "exotics", "Plain"}},
    // dataset delete
    {Row::kDone, kDataset, {"dataset", "--yes", "delete", "Plain"}},
    {Row::kUsage, kNothing, {"dataset", "delete"}},
    {Row::kCannotOpen, kDataset, {"dataset", "--yes", "delete", "Plain", "Nope"}},
    {Row::kDeclined, kDataset, {"dataset", "--no", "delete", "Plain"}},
    // dataset rename
    {Row::kDone, kDataset, {"dataset", "--yes", "rename", "Plain", "Other"}},
    {Row::kUsage, kDataset, {"dataset", "rename", "Plain"}},
    {Row::kUsage, kDataset, {"dataset", "--yes", "rename", "Plain", "x.DSI"}},
    {Row::kCannotOpen, kDataset, {"dataset", "--yes", "rename", "Nope", "Other"}},
    {Row::kCannotOpen, kDataset | kDamaged, {"dataset", "--yes", "rename", "Plain", "Damaged"}},
    {Row::kDeclined, kDataset, {"dataset", "--no", "rename", "Plain", "Other"}},
    // dataset split
    {Row::kDone, kDataset, {"dataset", "split", "Plain", "Train", "Test"}},
    {Row::kBadInput, kDataset | kDamaged, {"dataset", "split", "Damaged", "Train", "Test"}},
    {Row::kUsage, kDataset, {"dataset", "--test-share", "7", "split", "Plain", "Train", "Test"}},
    {Row::kCannotOpen, kNothing, {"dataset", "split", "Nope", "Train", "Test"}},
    {Row::kDeclined, kDataset | kDamaged, {"dataset", "--no", "split", "Plain", "Damaged", "Test"}},
    // dataset combine
    {Row::kDone, kDataset, {"dataset", "combine", "New", "Plain"}},
    {Row::kBadInput, kDataset | kDamaged, {"dataset", "combine", "New", "Plain", "Damaged"}},
    {Row::kUsage, kDataset, {"dataset", "combine", "New"}},
    {Row::kCannotOpen, kDataset, {"dataset", "combine", "New", "Plain", "Nope"}},
    {Row::kDeclined, kDataset | kDamaged, {"dataset", "--no", "combine", "Damaged", "Plain"}},
    // card
    {Row::kDone, kNothing, {"card", "$EX/plain/SAX0313.TCF"}},
    {Row::kBadInput, kNothing, {"card", "$EX/bad/SAX0313.TCF"}},
    {Row::kBadInput, kNothing, {"card", "--race", "99", "$EX/plain/SAX0313.TCF"}},
    {Row::kUsage, kNothing, {"card", "--race", "x", "$EX/plain/SAX0313.TCF"}},
    {Row::kCannotOpen, kNothing, {"card", "$ROOT/MISS0101.TCF"}},
    // results
    {Row::kDone, kNothing, {"results", "$EX/plain/SAX0313.XRD"}},
    {Row::kBadInput, kJunkFiles, {"results", "$ROOT/JUNK0101.XRD"}},
    {Row::kBadInput, kJunkFiles, {"card", "$ROOT/FAKE0101M.ZIP"}},
    {Row::kBadInput, kNothing, {"results", "--race", "99", "$EX/plain/SAX0313.XRD"}},
    {Row::kUsage, kNothing, {"results", "--race", "x", "$EX/plain/SAX0313.XRD"}},
    {Row::kCannotOpen, kNothing, {"results", "$ROOT/MISS0101.XRD"}},
    // scratch
    {Row::kDone, kNothing, {"scratch", "$EX/plain/SAX0313.TCF"}},
    {Row::kBadInput, kNothing, {"scratch", "$EX/bad/SAX0313.TCF"}},
    {Row::kUsage, kNothing, {"scratch"}},
    {Row::kCannotOpen, kNothing, {"scratch", "$ROOT/MISS0101.TCF"}},
    // simmap
    {Row::kDone, kNothing, {"simmap", "1"}},
    {Row::kUsage, kNothing, {"simmap", "9"}},
    {Row::kCannotOpen, kSettingsBlocked, {"simmap", "--comment", "mine", "1"}},
    // prep
    {Row::kDone, kDataset, {"prep", "--seed", "1", "Plain", "Gamma"}},
    {Row::kBadInput, kDataset | kDamaged, {"prep", "--seed", "1", "Damaged", "Gamma"}},
    {Row::kBadInput, kDataset, {"prep", "--seed", "1", "--track", "ZZZ", "Plain", "Gamma"}},
    {Row::kUsage, kDataset, {"prep", "Plain"}},
    {Row::kCannotOpen, kNothing, {"prep", "--seed", "1", "Nope", "Gamma"}},
    {Row::kCannotOpen, kDataset | kTempIsFile, {"prep", "--seed", "1", "Plain", "Gamma"}},
    {Row::kDeclined, kDataset | kSimFile, {"prep", "--no", "--seed", "1", "Plain", "FRESH"}},
    // train
    {Row::kDone, kDataset | kPrepared, {"train", "--yes", "--passes", "1", "--threads", "1"}},
    {Row::kBadInput, kDataset | kPrepared | kBadTrainInfo, {"train", "--yes", "--passes", "1"}},
    {Row::kUsage, kNothing, {"train", "--passes", "x"}},
    {Row::kCannotOpen, kNothing, {"train", "--yes"}},
    {Row::kDeclined, kDataset | kPrepared, {"train", "--no"}},
    // sim
    {Row::kDone, kSimFile, {"sim", "list"}},
    {Row::kDone, kSimFile, {"sim", "--yes", "rename", "FRESH", "Renamed"}},
    {Row::kUsage, kNothing, {"sim", "explode"}},
    {Row::kUsage, kSimFile, {"sim", "--yes", "delete", "Nobody"}},
    {Row::kCannotOpen, kSimFile | kOtherSim, {"sim", "--yes", "rename", "FRESH", "Other"}},
    {Row::kDeclined, kSimFile, {"sim", "--no", "delete", "FRESH"}},
    {Row::kDeclined, kSimFile, {"sim", "--no", "rename", "FRESH", "Renamed"}},
    // pl
    {Row::kDone, kDataset | kSimFile, {"pl", "--sim", "FRESH", "--threads", "1", "Plain"}},
    {Row::kBadInput, kDataset | kDamaged | kSimFile, {"pl", "--sim", "FRESH", "--threads", "1", "Damaged"}},
    {Row::kUsage, kDataset | kSimFile, {"pl", "--sim", "FRESH", "--threads", "0", "Plain"}},
    {Row::kCannotOpen, kSimFile, {"pl", "--sim", "FRESH", "Nope"}},
    {Row::kCannotOpen,
     kDataset | kSimFile,
     {"pl", "--sim", "FRESH", "--csv", "$ROOT/no-such-folder/x.csv", "Plain"}},
    {Row::kCannotOpen, kDataset, {"pl", "--sim", "Nobody", "Plain"}},
    {Row::kCannotOpen, kDataset | kSimFile | kTempIsFile, {"pl", "--sim", "FRESH", "Plain"}},
    {Row::kCannotOpen,
     kDataset | kSimFile | kTempFilesBlocked,
     {"pl", "--sim", "FRESH", "--threads", "1", "Plain"}},
};

std::string commandLine(const std::vector<std::string>& args) {
  std::string line = "stridewell";
  for (const std::string& arg : args) line += " " + arg;
  return line;
}

struct LineRun {
  int status;
  std::string out;
  std::string err;
};

LineRun runLine(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = runCommandLine(kCommands, args, out, err);
  return {status, out.str(), err.str()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes what `setup` asks for in `user`'s Workspace; false (after a test
// failure saying why) when a step did not work.
bool prepare(unsigned setup, const stridewell::test::IsolatedUser& user) {
  const fs::path workspace = user.workspace();
  fs::create_directories(workspace / "SIM");
  fs::create_directories(workspace / "DATASETS");
  if ((setup & kDataset) != 0) {
    const LineRun made = runLine({"dataset", "create", "Plain", (kExamples / "plain").string()});
    EXPECT_EQ(made.status, kExitOk) << made.err;
    if (made.status != kExitOk) return false;
  }
  if ((setup & kDamaged) != 0) {
    // A second race header promising more bytes than follow.
    writeBytes(workspace / "DATASETS" / "Damaged.DSI", readBytes(workspace / "DATASETS" / "Plain.DSI") +
                                                           std::string("\x10\x00\x10\x00\x10\x00xyz", 9));
  }
  if ((setup & (kSimFile | kOtherSim)) != 0) {
    SimModel model(true);
    EXPECT_GT(defineSimShape(model, {}, true), 0);
    EXPECT_TRUE(model.saveWeights(workspace / "SIM" / "FRESH.SIM"));
    if ((setup & kOtherSim) != 0) {
      EXPECT_TRUE(model.saveWeights(workspace / "SIM" / "Other.SIM"));
    }
  }
  if ((setup & kPrepared) != 0) {
    const LineRun prepared = runLine({"prep", "--seed", "7", "Plain", "Trained"});
    EXPECT_EQ(prepared.status, kExitOk) << prepared.err;
    if (prepared.status != kExitOk) return false;
  }
  if ((setup & kBadTrainInfo) != 0) {
    const fs::path info = workspace / "TRAINDATA" / kTrainInfoFileName;
    writeBytes(info, readBytes(info).substr(0, 100));
  }
  if ((setup & kJunkFiles) != 0) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919 + 13) % 251);
    writeBytes(user.root() / "JUNK0101.XRD", junk);
    writeBytes(user.root() / "NONE0101.TCF", "");
    writeBytes(user.root() / "FAKE0101M.ZIP", "not an archive\n");
  }
  if ((setup & kTempFilesBlocked) != 0) {
    for (const std::string_view file :
         {kContentsFile, kPayoutTextFile, kPayoutCommaFile, kProfitLossReportFile}) {
      fs::create_directories(workspace / "TEMP" / file / "inside");
    }
  }
  if ((setup & kTempIsFile) != 0) {
    fs::remove_all(workspace / "TEMP");
    writeBytes(workspace / "TEMP", "a file where the folder belongs");
  }
  if ((setup & kSettingsBlocked) != 0) {
    fs::create_directories(user.settingsFile().parent_path().parent_path());
    fs::remove_all(user.settingsFile().parent_path());
    writeBytes(user.settingsFile().parent_path(), "a file where the folder belongs");
  }
  return true;
}

TEST(ExitStatus, EveryCommandThroughEveryRowOfTheTable) {
  for (const Case& c : kCases) {
    stridewell::test::IsolatedUser user;
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
      if (arg.starts_with("$EX/")) {
        args.push_back((kExamples / arg.substr(4)).string());
      } else if (arg.starts_with("$ROOT/")) {
        args.push_back((user.root() / arg.substr(6)).string());
      } else {
        args.push_back(arg);
      }
    }
    SCOPED_TRACE(std::string(nameOf(c.row)) + ": " + commandLine(c.args));
    if (!prepare(c.setup, user)) continue;
    const LineRun run = runLine(args);
    EXPECT_EQ(run.status, statusOf(c.row)) << "stderr:\n" << run.err;
  }
}

}  // namespace
}  // namespace stridewell::cli
