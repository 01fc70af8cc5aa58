// The print item of the main window's menu bar: added by the first handicap
// run that opens a result window, removed when the last one closes, and
// printing the active result window.
#include <QAction>
#include <QMenuBar>

#include "gui/frame_pictures.h"
#include "gui/main_window.h"

namespace stridewell::gui {

void MainWindow::addPrinterItem() {
  if (printerItem_) return;
  printerItem_ = new QAction(printerIcon(), tr("&Print"), this);
  printerItem_->setToolTip(tr("Print the active result window"));
  connect(printerItem_, &QAction::triggered, this, [this] {
    if (!menuEnabled_) return;
    const int index = activeResultIndex();
    if (index >= 0 && commands_.printResultWindow) commands_.printResultWindow(*this, results_[index]);
  });
  menuBar()->addAction(printerItem_);
  printerItem_->setEnabled(menuEnabled_);
  menuBar()->update();
}

void MainWindow::removePrinterItem() {
  if (!printerItem_) return;
  menuBar()->removeAction(printerItem_);
  delete printerItem_;
  printerItem_ = nullptr;
  menuBar()->update();
}

int MainWindow::printerItemPosition() const {
  if (!printerItem_) return -1;
  return static_cast<int>(menuBar()->actions().indexOf(printerItem_));
}

}  // namespace stridewell::gui
