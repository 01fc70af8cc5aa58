// Splitting a dataset into a train and a test dataset by the races' order:
// with step N, races N, 2N, 3N ... (counting from 1) go to test, all others
// to train. The source is only read, and is never named as an output; the
// outputs appear under their names only when the whole run succeeds.
// Main thread of a command.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "operations/dataset_management.h"

namespace stridewell {

class ProgressSink;
class UserInteraction;
struct Workspace;

struct SplitAllocation {
  std::string_view entry;  // as the allocation list shows it
  int step;
};

// The allocation list, in its order; kDefaultSplitAllocation ("10%") is
// selected when the dialog opens.
inline constexpr std::array<SplitAllocation, 7> kSplitAllocations{
    {{"50%", 2}, {"33%", 3}, {"25%", 4}, {"20%", 5}, {"10%", 10}, {"5%", 20}, {"1%", 100}}};
inline constexpr size_t kDefaultSplitAllocation = 4;

// The step of an allocation entry ("10%" → 10); 0 for any other text.
int splitStepFor(std::string_view entry);

// Refusals of our own: splitting into the source's own name would replace
// the source with a part of itself.
inline constexpr std::string_view kTrainIsSource =
    "Train dataset cannot have the same name as the source dataset.";
inline constexpr std::string_view kTestIsSource =
    "Test dataset cannot have the same name as the source dataset.";

// The Split dialog's OK: trims the names and checks, in order, blank train,
// blank test, forbidden characters in train then test, train equal to test
// ignoring case, train or test equal to the source ignoring case; the first
// failure shows its error. Then, when either output exists, one query
// ("Train dataset \"a\" already exists.\n" and/or the Test line, then
// "Over-write?"). Answers the field to focus (train when the train dataset
// exists and the query was not answered Yes), or kNone when the run may go.
// `declined`, when given, tells whether the query was answered No.
DatasetField checkSplitNames(const Workspace& workspace, std::string_view source, std::string_view trainText,
                             std::string_view testText, UserInteraction& ui, bool* declined = nullptr);

struct SplitResult {
  DatasetRunOutcome outcome = DatasetRunOutcome::kRefused;
  int races = 0;  // races read from the source
  int trainRaces = 0;
  int testRaces = 0;
  std::string damage;  // the source's damaged race (reader's problem()), when reading stopped at one
};

// The split run. Names are trimmed and refused as checkSplitNames does
// (error shown, no query: the caller has asked it); a step below 1 is
// refused without a message. Messages: "Error opening/creating dataset.",
// "Error while writing dataset (disk probably full).", the notice "Split
// Dataset" with "User aborted." or the counts. A source that stops at a
// damaged race is split as far as it reads, with a warning naming the file
// and the race before the notice. On cancel or failure neither output is
// created, and a dataset the user agreed to over-write stays as it was
// (the one exception: the test output's final rename failing after the
// train output's succeeded removes the new train dataset).
SplitResult splitDataset(const Workspace& workspace, std::string_view source, std::string_view trainText,
                         std::string_view testText, int step, UserInteraction& ui, ProgressSink& progress,
                         FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
