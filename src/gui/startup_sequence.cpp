// The main window's start-up sequence: one step per turn of the event loop
// (folders, scratch files, the SIM engine), the menu enabled at the end.
#include <QTimer>

#include "base/interaction.h"
#include "base/workspace.h"
#include "gui/main_window.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"

namespace stridewell::gui {

void MainWindow::beginStartUp(const Workspace& workspace) {
  workspace_ = workspace;
  startUpStep_ = 1;
  QTimer::singleShot(0, this, &MainWindow::runStartUpStep);
}

void MainWindow::runStartUpStep() {
  switch (startUpStep_) {
    case 1:  // the background: the frame area paints it from the start
      break;
    case 2:
      if (!createWorkspaceFolders(workspace_, ui_)) {
        startUpStep_ = 0;
        emit startUpFinished(false);
        return;
      }
      break;
    case 3:
      clearScratchFolders(workspace_);
      break;
    case 4:
      if (defineSimShape(*foreground_, {}, true) == 0 || defineSimShape(*trainingModel_) == 0) {
        ui_.error("Error during SIM init");
        startUpStep_ = 0;
        emit startUpFinished(false);
        return;
      }
      break;
    case 5:  // the printer is looked up when first printing to it
      break;
    case 6:
      setMenuEnabled(true);
      break;
    default:
      return;
  }
  ++startUpStep_;
  if (startUpStep_ == kStartUpDone) {
    emit startUpFinished(true);
    return;
  }
  QTimer::singleShot(0, this, &MainWindow::runStartUpStep);
}

}  // namespace stridewell::gui
