// Feeds arbitrary bytes to the results reader as a whole results file.
// Beyond "no crash, no leak, no hang" it checks what must hold for any
// input: a race never holds more than the 63 finishers its record has room
// for, no race is yielded without a line of its own, every line is either
// read or skipped and noted, and reading the bytes a few at a time gives the
// same races and the same skipped lines as reading them at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "chunked_stream.h"
#include "race/race_result.h"
#include "race/results_reader.h"

using namespace stridewell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t lines = 1 + static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                               std::count(bytes.begin(), bytes.end(), '\r'));

  std::istringstream whole{std::string(bytes)};
  fuzz::ChunkedBuf chunks(bytes, 1 + (size % 7));
  std::istream chunked(&chunks);
  ResultsReader atOnce(whole, "fuzz.XRD");
  ResultsReader piecewise(chunked, "fuzz.XRD");
  RaceResult a{};
  RaceResult b{};
  size_t races = 0;
  for (;;) {
    const bool gotA = atOnce.next(a);
    if (piecewise.next(b) != gotA) std::abort();
    if (!gotA) break;
    if (std::memcmp(&a, &b, sizeof a) != 0) std::abort();
    if (atOnce.droppedLines() != piecewise.droppedLines()) std::abort();
    if (a.finisherCount > kMaxFinishers || a.finisherCount == 0) std::abort();
    if (atOnce.droppedLines() < 0 || (atOnce.droppedLines() > 0 && a.finisherCount != kMaxFinishers))
      std::abort();
    if (++races > lines) std::abort();
  }
  if (atOnce.racesRead() != static_cast<int>(races) || piecewise.racesRead() != static_cast<int>(races)) {
    std::abort();
  }
  if (atOnce.skippedLineCount() != piecewise.skippedLineCount() ||
      atOnce.noResultsLine() != piecewise.noResultsLine()) {
    std::abort();
  }
  const auto& skipped = atOnce.skippedLines();
  if (skipped.size() > ResultsReader::kMaxNotedSkips ||
      skipped.size() != std::min<size_t>(ResultsReader::kMaxNotedSkips, atOnce.skippedLineCount())) {
    std::abort();
  }
  for (size_t i = 0; i < skipped.size(); ++i) {
    if (skipped[i].line != piecewise.skippedLines()[i].line || skipped[i].reason.empty()) std::abort();
    if (skipped[i].line < 1 || static_cast<size_t>(skipped[i].line) > lines) std::abort();
    if (i > 0 && skipped[i].line <= skipped[i - 1].line) std::abort();
  }
  if (atOnce.noResultsLine() && races != 0) std::abort();
  return 0;
}
