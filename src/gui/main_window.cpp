// The main window itself: its frame area, progress window and models made
// in the constructor, the hold a long run keeps on it, the title that shows
// the training status each second, and closing.
#include "gui/main_window.h"

#include <QByteArray>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include "base/interaction.h"
#include "base/program_name.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "gui/frame_area.h"
#include "gui/progress_dialog.h"
#include "gui/qt_interaction.h"
#include "model/sim_model.h"

namespace stridewell::gui {

MainWindow::MainWindow(SettingsStore& store, UserInteraction& ui, FrameCommands commands, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      ui_(ui),
      commands_(std::move(commands)),
      foreground_(std::make_unique<SimModel>(true)),
      trainingModel_(std::make_unique<SimModel>(true)) {
  setWindowTitle(QString::fromUtf8(kProgramName.data(), static_cast<qsizetype>(kProgramName.size())));
  area_ = new FrameArea(this);
  setCentralWidget(area_);
  connect(area_, &FrameArea::resized, this, [this] {
    // The first resize after being minimised is the restore; the windows
    // are where they were.
    if (wasMinimised_) {
      wasMinimised_ = false;
      return;
    }
    if (tiled_) {
      tileResultWindows();
    } else {
      placeResultWindows();
    }
  });
  connect(area_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* window) {
    if (window && window->widget()) window->widget()->setFocus();
  });
  progress_ = new ProgressDialog(this);
  buildMenus();

  // The smallest frame still shows the whole picture.
  const QSize picture = FrameArea::pictureSize();
  setMinimumSize(picture.width() + 10, picture.height() + menuBar()->sizeHint().height() + 10);

  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &MainWindow::onTimer);
  timer_->start();

  // Nothing may be chosen before the start-up sequence has run.
  setMenuEnabled(false);
}

MainWindow::~MainWindow() {
  emit destroying();
  training_ = nullptr;
  closing_ = true;
  // Windows closed but not yet deleted go with the frame area, after this
  // object has stopped being a MainWindow: they must not call back.
  for (QMdiSubWindow* frame : area_->findChildren<QMdiSubWindow*>())
    disconnect(frame, nullptr, this, nullptr);
  closeAllResultWindows();
}

MainWindow::LongRun::LongRun(MainWindow& window, bool beginNow) : window_(window) {
  if (beginNow) begin();
}

MainWindow::LongRun::~LongRun() {
  end();
  // A close asked for during the run comes once the caller has finished
  // with the window.
  if (window_.quitPending_) {
    window_.quitPending_ = false;
    QTimer::singleShot(0, &window_, &QWidget::close);
  }
}

void MainWindow::LongRun::begin() {
  if (active_ || ended_) return;
  active_ = true;
  window_.busy_ = true;
  window_.setMenuEnabled(false, true);
}

void MainWindow::LongRun::end() {
  if (!active_) return;
  active_ = false;
  ended_ = true;
  window_.busy_ = false;
  window_.setMenuEnabled(true, true);
}

void MainWindow::showAtLastPlace() {
  const QByteArray saved =
      QByteArray::fromBase64(QByteArray::fromStdString(store_.read(setting::kWindowGeometry, "")));
  // restoreGeometry keeps a window that no longer fits (a smaller screen
  // now) on a screen that is there.
  if (saved.isEmpty() || !restoreGeometry(saved)) {
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    const QRect area = shown != nullptr ? shown->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = QSize(area.width() * 4 / 5, area.height() * 4 / 5).expandedTo(minimumSize());
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
  }
  if (store_.readFlag(kSettingsSection, setting::kMaximize, setting::kMaximizeDefault)) {
    showMaximized();
  } else {
    show();
  }
}

void MainWindow::onTimer() {
  if (!training_) return;
  const uint64_t count = training_->statusCount();
  if (count == shownStatus_) return;
  shownStatus_ = count;
  const std::string text = training_->statusText();
  if (!text.empty()) setWindowTitle(toQString(text));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // A run holds the thread: stop it at its next check and close after.
    quitPending_ = true;
    progress_->cancel();
    event->ignore();
    return;
  }
  if (training_ && training_->running()) {
    // Yes stops and saves first; the user who says No keeps the run.
    if (!ui_.query(kStopTrainingAndExit)) {
      event->ignore();
      return;
    }
    const std::string problem = training_->stopAndWait();
    if (!problem.empty()) ui_.error(problem);
  }
  if (startUpStep_ != 0 || !workspace_.base.empty()) {
    // One write for both, so that another copy reads them together.
    const std::vector<SettingsStore::Change> changes{
        {std::string(kSettingsSection), std::string(setting::kMaximize), isMaximized() ? "y" : "n"},
        {std::string(kSettingsSection), std::string(setting::kWindowGeometry),
         saveGeometry().toBase64().toStdString()}};
    store_.write(changes);
  }
  closing_ = true;
  closeAllResultWindows();
  timer_->stop();
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && isMinimized()) wasMinimised_ = true;
  QMainWindow::changeEvent(event);
}

}  // namespace stridewell::gui
