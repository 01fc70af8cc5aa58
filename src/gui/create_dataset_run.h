// The create run as the desktop program shows it: the progress window with
// its Cancel and the menu and window disabled while the run holds the
// user-interface thread, both brought back before the run's closing
// messages. The run itself, its checks and its messages are the core's
// createDataset. User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "datasets/build_pair.h"
#include "operations/create_run.h"

namespace stridewell::gui {

class MainWindow;

// What "&Build" hands to the run.
struct CreateRequest {
  std::string name;  // as typed; the run trims it
  bool append = false;
  std::string folder;
  std::vector<FilePair> pairs;  // in the folder's card order
};

// Runs `request` into the window's Workspace. The progress window opens
// only once the dataset file is open ("Cannot create/open dataset file."
// comes without one); a write failure is reported while it is still up;
// the notices that close the run ("User Aborted.", the invalid-file warning,
// "DataSet complete.  %d races written.") come after it has closed and the
// menu is back.
CreateOutcome runCreateRequest(MainWindow& window, const CreateRequest& request);

}  // namespace stridewell::gui
