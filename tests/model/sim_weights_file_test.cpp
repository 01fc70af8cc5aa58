// The weights file: its byte layout, exact round trips, short and long
// files, and saves that fail without harming the file already there.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "model_test_support.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::MessageLog;
using test::parameterBits;
using test::TempFolder;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The double stored little-endian at `offset`, assembled byte by byte.
double doubleAt(const std::string& bytes, size_t offset) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(bytes.at(offset + i));
  return std::bit_cast<double>(bits);
}

std::vector<std::string> folderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

class WeightsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(defineSimShape(model_), 450);
    path_ = folder_.path() / "Test.SIM";
  }
  TempFolder folder_;
  SimModel model_{true};
  fs::path path_;
};

TEST_F(WeightsFile, LayoutOfTheProgramShape) {
  // Distinct values where the layout puts unit boundaries.
  model_.setBias(425, 1.5);                    // hidden unit 0
  model_.connectionWeights(425)[0] = 2.5;      // its weight from input 0
  model_.connectionWeights(425)[424] = -3.25;  // from input 424
  model_.setBias(428, 4.5);                    // hidden unit 3
  model_.connectionWeights(444)[424] = 5.75;   // hidden unit 19, last weight
  model_.setBias(445, -6.5);                   // output unit 0
  model_.connectionWeights(445)[19] = 7.125;   // its weight from hidden 19
  model_.setBias(449, 8.0);                    // output unit 4
  model_.connectionWeights(449)[19] = -9.5;    // the very last value
  ASSERT_TRUE(model_.saveWeights(path_));

  const std::string bytes = readBytes(path_);
  ASSERT_EQ(bytes.size(), 69000u);
  struct Slot {
    size_t offset;
    double value;
  };
  const Slot slots[] = {
      {0, 1.5},
      {8, 2.5},
      {3400, -3.25},
      {3 * 3408, 4.5},
      {19 * 3408 + 3400, 5.75},
      {68160, -6.5},
      {68160 + 160, 7.125},
      {68160 + 4 * 168, 8.0},
      {69000 - 8, -9.5},
  };
  for (const Slot& slot : slots) EXPECT_EQ(doubleAt(bytes, slot.offset), slot.value) << slot.offset;
}

TEST_F(WeightsFile, SaveThenLoadIsBitIdentical) {
  // Values a text round trip or a float conversion would change.
  model_.setBias(430, -0.0);
  model_.connectionWeights(431)[7] = std::numeric_limits<double>::denorm_min();
  model_.connectionWeights(446)[3] = std::numeric_limits<double>::max();
  model_.connectionWeights(447)[4] = -std::numeric_limits<double>::denorm_min();
  model_.connectionWeights(440)[100] = 0.1;
  ASSERT_TRUE(model_.saveWeights(path_));

  SimModel other(true);
  other.seedFromClock();
  ASSERT_EQ(defineSimShape(other), 450);
  ASSERT_NE(parameterBits(other), parameterBits(model_));
  ASSERT_TRUE(other.loadWeights(path_));
  EXPECT_EQ(parameterBits(other), parameterBits(model_));
}

TEST_F(WeightsFile, FileLengths) {
  ASSERT_TRUE(model_.saveWeights(path_));
  const std::string good = readBytes(path_);
  ASSERT_EQ(good.size(), 69000u);

  struct Case {
    const char* name;
    std::string bytes;
    bool loads;
  };
  const Case cases[] = {
      {"one byte short", good.substr(0, 68999), false},
      {"one weight short", good.substr(0, 68992), false},
      {"empty", "", false},
      {"exact", good, true},
      {"eight bytes extra", good + std::string(8, '\x7F'), true},
      {"much longer", good + std::string(100000, '\x01'), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = folder_.path() / "case.SIM";
    writeBytes(path, c.bytes);
    SimModel target(true);
    target.seedFromClock();
    ASSERT_EQ(defineSimShape(target), 450);
    const auto before = parameterBits(target);
    EXPECT_EQ(target.loadWeights(path), c.loads);
    // A failed load leaves every value as it was, the last output weight
    // included; a good one takes the first 69,000 bytes.
    EXPECT_EQ(parameterBits(target), c.loads ? parameterBits(model_) : before);
  }
}

// A file of the right length whose values are not all finite numbers is
// refused, naming the file and the first bad value, and changes nothing.
TEST_F(WeightsFile, ValuesThatAreNotFiniteAreRefused) {
  ASSERT_TRUE(model_.saveWeights(path_));
  const std::string good = readBytes(path_);
  const auto put = [](std::string bytes, size_t index, double value) {
    std::memcpy(bytes.data() + index * sizeof value, &value, sizeof value);
    return bytes;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::string bytes;
    std::string problem;
  };
  const Case cases[] = {
      {"NaN first", put(good, 0, nan),
       "value 0 of its 8625 (at byte 0, the bias of hidden unit 1) is NaN (not a number)"},
      {"+inf last", put(good, 8624, inf),
       "value 8624 of its 8625 (at byte 68992, the weight from hidden unit 20 to output unit 5) is "
       "+infinity"},
      {"-inf in the middle, then NaN", put(put(good, 4000, -inf), 5000, nan),
       "value 4000 of its 8625 (at byte 32000, the weight from input 166 to hidden unit 10) is -infinity"},
      {"signalling NaN", put(good, 427, std::bit_cast<double>(uint64_t{0x7FF0000000000001})),
       "value 427 of its 8625 (at byte 3416, the weight from input 1 to hidden unit 2) is NaN (not a "
       "number)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = folder_.path() / "Hostile.SIM";
    writeBytes(path, c.bytes);
    SimModel target(true);
    target.seedFromClock();
    ASSERT_EQ(defineSimShape(target), 450);
    const auto before = parameterBits(target);
    EXPECT_FALSE(target.loadWeights(path));
    EXPECT_EQ(target.loadFault(), SimModel::LoadFault::kDamaged);
    EXPECT_EQ(target.loadProblem(), path.string() + " is damaged: " + c.problem);
    EXPECT_EQ(parameterBits(target), before);
    // Defining a net from the file fails the same way.
    SimModel defined(true);
    EXPECT_EQ(defineSimShape(defined, path, true), 0);
    EXPECT_EQ(defined.loadFault(), SimModel::LoadFault::kDamaged);
  }
  // A good load afterwards clears the fault.
  SimModel target(true);
  ASSERT_EQ(defineSimShape(target), 450);
  EXPECT_FALSE(target.loadWeights(folder_.path() / "missing.SIM"));
  EXPECT_EQ(target.loadFault(), SimModel::LoadFault::kCannotOpen);
  EXPECT_NE(target.loadProblem().find("missing.SIM: No such file or directory"), std::string::npos)
      << target.loadProblem();
  EXPECT_TRUE(target.loadWeights(path_));
  EXPECT_EQ(target.loadFault(), SimModel::LoadFault::kNone);
  EXPECT_TRUE(target.loadProblem().empty());
}

TEST_F(WeightsFile, UnreadablePathsChangeNothing) {
  const auto before = parameterBits(model_);
  EXPECT_FALSE(model_.loadWeights(folder_.path() / "missing.SIM"));
  EXPECT_FALSE(model_.loadWeights(folder_.path()));  // a folder
  EXPECT_FALSE(model_.loadWeights(""));
  EXPECT_EQ(parameterBits(model_), before);

  SimModel undefined(true);
  ASSERT_TRUE(model_.saveWeights(path_));
  EXPECT_FALSE(undefined.loadWeights(path_));
  EXPECT_FALSE(undefined.saveWeights(folder_.path() / "undefined.SIM"));
  EXPECT_FALSE(fs::exists(folder_.path() / "undefined.SIM"));
}

TEST_F(WeightsFile, DefineNetLoadsTheNamedFile) {
  ASSERT_TRUE(model_.saveWeights(path_));
  SimModel loaded(true);
  loaded.seedFromClock();
  EXPECT_EQ(defineSimShape(loaded, path_), 450);
  EXPECT_EQ(parameterBits(loaded), parameterBits(model_));

  SimModel failing(true);
  MessageLog log;
  log.attachTo(failing);
  const fs::path missing = folder_.path() / "none.SIM";
  EXPECT_EQ(defineSimShape(failing, missing), 0);
  ASSERT_FALSE(log.lines.empty());
  EXPECT_EQ(log.lines.back(), "Cannot open weights file " + missing.string());
}

TEST_F(WeightsFile, SavingReplacesTheOldFile) {
  writeBytes(path_, std::string(5, 'x'));
  ASSERT_TRUE(model_.saveWeights(path_));
  EXPECT_EQ(readBytes(path_).size(), 69000u);
  EXPECT_EQ(folderEntries(folder_.path()), std::vector<std::string>{"Test.SIM"});
}

TEST_F(WeightsFile, FailedSavesLeaveTheOldFileAndNoLeftovers) {
  ASSERT_TRUE(model_.saveWeights(path_));
  const std::string old = readBytes(path_);
  model_.randomizeWeights();

  // No such folder: nothing is created anywhere.
  EXPECT_FALSE(model_.saveWeights(folder_.path() / "absent" / "New.SIM"));
  EXPECT_FALSE(fs::exists(folder_.path() / "absent"));

  // The name is taken by a folder: the rename fails after a complete write.
  const fs::path taken = folder_.path() / "Taken.SIM";
  fs::create_directory(taken);
  fs::path inside = taken / "keep";
  writeBytes(inside, "k");
  EXPECT_FALSE(model_.saveWeights(taken));
  EXPECT_TRUE(fs::is_directory(taken));
  EXPECT_EQ(readBytes(inside), "k");

  // The disk fills up part-way through the write.
  test::FaultyFileSystem fullDisk;
  fullDisk.failWritesFrom(1, EFBIG);
  const bool savedOnFullDisk = model_.saveWeights(path_, fullDisk);
  EXPECT_FALSE(savedOnFullDisk);

  EXPECT_EQ(readBytes(path_), old);
  auto entries = folderEntries(folder_.path());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Taken.SIM", "Test.SIM"}));
}

// Faults at each step of a save: the old file stays byte for byte, nothing
// is left beside it, and the logged reason names the file and the cause.
TEST_F(WeightsFile, SaveFaultsKeepTheOldFile) {
  ASSERT_TRUE(model_.saveWeights(path_));
  const std::string old = readBytes(path_);
  model_.randomizeWeights();
  const std::string folder = folder_.path().string();
  struct Case {
    const char* name;
    std::function<void(test::FaultyFileSystem&)> arrange;
    std::string named;  // the file the message names
    const char* reason;
  };
  const std::string temporary = (folder_.path() / ".Test.SIM.").string();
  const Case cases[] = {
      {"cannot create", [](auto& disk) { disk.failCreate(EACCES); },
       "Cannot create a temporary file in " + folder, "Permission denied"},
      {"full disk", [](auto& disk) { disk.failWritesFrom(1); }, "Cannot write " + temporary,
       "No space left on device"},
      {"short write, then full disk",
       [](auto& disk) {
         disk.shortenWrite(1);
         disk.failWritesFrom(2);
       },
       "Cannot write " + temporary, "No space left on device"},
      {"failed flush to disk", [](auto& disk) { disk.failSync(EIO); }, "Cannot write " + temporary,
       "Input/output error"},
      {"failed close", [](auto& disk) { disk.failClose(EIO); }, "Cannot write " + temporary,
       "Input/output error"},
      {"rename across devices", [](auto& disk) { disk.failRename(EXDEV); },
       "Cannot replace " + path_.string(), "Invalid cross-device link"},
      {"rename refused", [](auto& disk) { disk.failRename(EACCES); }, "Cannot replace " + path_.string(),
       "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::FaultyFileSystem faulty;
    c.arrange(faulty);
    MessageLog log;
    log.attachTo(model_);
    EXPECT_FALSE(model_.saveWeights(path_, faulty));
    EXPECT_EQ(readBytes(path_), old);
    EXPECT_EQ(folderEntries(folder_.path()), std::vector<std::string>{"Test.SIM"});
    ASSERT_FALSE(log.lines.empty());
    EXPECT_TRUE(log.lines.back().starts_with(c.named)) << log.lines.back();
    EXPECT_TRUE(log.lines.back().ends_with(std::string(": ") + c.reason)) << log.lines.back();
  }
  model_.setMessageCallback({});

  // A write the system cuts short is resumed: the file is whole.
  test::FaultyFileSystem shortOnce;
  shortOnce.shortenWrite(1);
  ASSERT_TRUE(model_.saveWeights(path_, shortOnce));
  EXPECT_GT(shortOnce.writeCalls(), 1);
  EXPECT_EQ(readBytes(path_), model_.weightsFileBytes());
}

}  // namespace
}  // namespace stridewell
