// What the dataset reports share: one pass over a dataset that reports its
// percent and honours Cancel after every race, the per-track table (at most
// 256 codes, matched ignoring letter case, listed in code order ignoring
// case), the report files' life cycle, and the outcome a report run ends
// with. Runs on the caller's thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "race/card_values.h"
#include "race/race_result.h"

namespace stridewell {

class ProgressSink;
class ReplacementFile;
class UserInteraction;

// The report tables stop taking new track codes at this many.
inline constexpr size_t kMostReportTracks = 256;

inline constexpr std::string_view kReportErrorText = "Error generating report.";

enum class ReportOutcome {
  kDone,       // the report files are complete
  kCancelled,  // the user cancelled; the text report was deleted
  kFailed,     // a file could not be made, opened or written; reported, files as they were
};

// The result's track code as the reports show it: the text before the
// first zero byte, at most three characters (a damaged record may have no
// zero byte in the field).
std::string reportTrackCode(const RaceResult& result);

// Track-code order of the reports: byte by byte with letters compared as
// lower case; a code that is the start of another comes first.
bool trackCodeBefore(std::string_view a, std::string_view b);

// The track table of one report run: one entry per code, in the order the
// codes were first read. `Data` is the report's own per-track content.
template <typename Data>
class TrackTable {
 public:
  struct Entry {
    std::string code;  // as first read
    int races = 0;
    Data data{};
  };

  // The entry for `code` (equal ignoring letter case), a new one when the
  // code is new and there is room; nullptr for a code beyond the limit,
  // whose races the reports leave out (they are counted in leftOut()).
  Entry* entryFor(std::string_view code);

  // The entries sorted by trackCodeBefore.
  std::vector<Entry>& sorted();

  int totalRaces() const;
  int leftOut() const { return leftOut_; }

 private:
  std::vector<Entry> entries_;
  int leftOut_ = 0;
};

// Reads every race of `dataset` from its current position to its end and
// hands each result to `addRace`. After each race it sets the percent
// (position * 100 / size, truncated) and then asks for Cancel. A damaged
// race ends the pass early like the end of the file; `problem` then says
// which race and why. `datasetFile` names the file in that sentence.
struct ReportPass {
  bool cancelled = false;
  std::string problem;  // empty unless reading stopped at a damaged race
};
ReportPass readDatasetForReport(std::istream& dataset, const std::string& datasetFile, ProgressSink& progress,
                                const std::function<void(const RaceResult&)>& addRace);

// The warnings a finished pass leaves: the damaged race (its problem
// sentence, the report covering the races before it) and races of track
// codes beyond the table's limit, which the report leaves out.
void warnAfterPass(const ReportPass& pass, int racesLeftOut, const std::string& datasetFile,
                   UserInteraction& ui);

// The system's reason for the failure errno holds now ("Input/output error"
// when the failing call left errno at 0, as a stream may).
std::string systemReason();

// Removes a report file; a missing file is no failure.
void removeReportFile(const std::string& path);

// "Cannot write <target>: <reason>" for a replacement of `target` that
// failed: the message names the user's file, not the temporary one.
std::string reportWriteProblem(const std::string& target, const ReplacementFile& file);

// printf-style formatting into a string, for the reports' fixed line formats.
std::string reportLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// --- template members ---

template <typename Data>
typename TrackTable<Data>::Entry* TrackTable<Data>::entryFor(std::string_view code) {
  for (Entry& entry : entries_) {
    if (equalsIgnoreCase(entry.code, code)) return &entry;
  }
  if (entries_.size() >= kMostReportTracks) {
    ++leftOut_;
    return nullptr;
  }
  entries_.push_back(Entry{std::string(code), 0, Data{}});
  return &entries_.back();
}

template <typename Data>
std::vector<typename TrackTable<Data>::Entry>& TrackTable<Data>::sorted() {
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return trackCodeBefore(a.code, b.code); });
  return entries_;
}

template <typename Data>
int TrackTable<Data>::totalRaces() const {
  int total = 0;
  for (const Entry& entry : entries_) total += entry.races;
  return total;
}

}  // namespace stridewell
