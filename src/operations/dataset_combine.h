// Combining datasets into a new one: the races of the sources, source after
// source in the dataset list's order (sorted ignoring case), each source in
// its own order, copied without decoding. Sources are only read and can
// never be the target; the new dataset appears under its name only when the
// whole run succeeds. Main thread of a command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "operations/dataset_management.h"

namespace stridewell {

class ProgressSink;
class UserInteraction;
struct Workspace;

// The Combine dialog's OK: the new name (trimmed) must not be blank, hold a
// forbidden character or equal a selected source ignoring case; each
// refusal shows its error and answers kName. When the dataset exists the
// query "DataSet with that name already exists; over-write?" follows, and
// any answer but Yes answers kName (and sets `declined`, when given). kNone
// when the run may go.
DatasetField checkCombineName(const Workspace& workspace, std::string_view newText,
                              const std::vector<std::string>& sources, UserInteraction& ui,
                              bool* declined = nullptr);

// `names` in the order of the dataset list: the listed datasets first in
// list order, then any name the list lacks in the order given; exact
// repeats dropped (a list selection holds each entry once).
std::vector<std::string> inDatasetListOrder(const Workspace& workspace,
                                            const std::vector<std::string>& names);

struct CombineResult {
  DatasetRunOutcome outcome = DatasetRunOutcome::kRefused;
  std::vector<std::string> sources;  // the sources in the order combined
  int races = 0;                     // races written
  std::vector<std::string> damage;   // one problem() per source that stopped at a damaged race
};

// The combine run over `sources` (put in list order first). Refuses as
// checkCombineName does, without the query (the caller has asked it); no
// sources is refused without a message. Messages: "Cannot create
// dataset.", "Error opening dataset 'name'.", "Error while writing dataset
// (disk probably full).", the notice "Combine Datasets" with "User aborted."
// or "N datasets successfully combined.\n\nResultant dataset contains M
// races.". The progress text is the source's name, the bar its percent. A
// source that stops at a damaged race gives what it reads and a warning
// naming the file and race. On cancel or failure no new dataset is left,
// and a dataset the user agreed to over-write stays as it was.
CombineResult combineDatasets(const Workspace& workspace, const std::vector<std::string>& sources,
                              std::string_view newText, UserInteraction& ui, ProgressSink& progress,
                              FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
