#include "gui/create_dataset_run.h"

#include <QEvent>
#include <QTimer>

#include "base/interaction.h"
#include "datasets/dataset_name.h"
#include "gui/main_window.h"
#include "gui/qt_interaction.h"
#include "gui/run_progress.h"

namespace stridewell::gui {

CreateOutcome runCreateRequest(MainWindow& window, const CreateRequest& request) {
  RunProgress frontEnd(window, toQString(createRunCaption(trimDatasetName(request.name), request.append)),
                       kCreateProgress);
  // An append asks, at the first race the dataset already holds, whether to
  // leave such races out.
  return createDataset(request.name, request.append, request.folder, request.pairs, window.workspace(),
                       frontEnd, frontEnd, DuplicateRaces::kAsk);
}

}  // namespace stridewell::gui
