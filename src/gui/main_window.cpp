#include "gui/main_window.h"

#include <filesystem>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "app/frame_layout.h"
#include "app/interaction.h"
#include "app/setting_keys.h"
#include "app/settings_store.h"
#include "gui/fixed_font.h"
#include "gui/frame_area.h"
#include "gui/frame_pictures.h"
#include "gui/progress_dialog.h"
#include "gui/qt_interaction.h"
#include "model/pattern_record.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"

namespace stridewell::gui {

// The commands that open a window of their own hide the result windows
// first, so that their dialogs and progress windows are not covered, and
// show them again when they are done.
class MainWindow::CommandScope {
 public:
  explicit CommandScope(MainWindow& window) : window_(window) { window_.hideResultWindows(); }
  ~CommandScope() { window_.showResultWindows(); }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

 private:
  MainWindow& window_;
};

namespace {

// A result window that tells when it has been closed, so that its entry
// goes at once rather than when the window object is finally deleted.
class ResultFrame final : public QMdiSubWindow {
 public:
  explicit ResultFrame(std::function<void(QMdiSubWindow*)> onClosed) : onClosed_(std::move(onClosed)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && onClosed_) {
      auto onClosed = std::move(onClosed_);
      onClosed_ = nullptr;
      onClosed(this);
    }
  }

 private:
  std::function<void(QMdiSubWindow*)> onClosed_;
};

bool hidesResults(MenuCommand command) {
  switch (command) {
    case MenuCommand::kTrainSim:
    case MenuCommand::kStopTraining:
    case MenuCommand::kSplitDataset:
    case MenuCommand::kCombineDatasets:
    case MenuCommand::kExoticsReport:
    case MenuCommand::kDailyDoubleReport:
    case MenuCommand::kContentsReport:
    case MenuCommand::kExit:
      return false;
    default:
      return true;
  }
}

}  // namespace

QStringList resultFileLines(const QString& path) {
  QStringList lines;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return lines;
  while (!file.atEnd()) {
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    lines.append(QString::fromUtf8(line));
  }
  return lines;
}

MainWindow::MainWindow(SettingsStore& store, UserInteraction& ui, FrameCommands commands, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      ui_(ui),
      commands_(std::move(commands)),
      foreground_(std::make_unique<SimModel>(true)),
      trainingModel_(std::make_unique<SimModel>(true)) {
  setWindowTitle(QString::fromLatin1(kMainTitle));
  setWindowIcon(QIcon(horsePicture()));
  area_ = new FrameArea(this);
  setCentralWidget(area_);
  connect(area_, &FrameArea::resized, this, [this] {
    // The first resize after being minimised is the restore; the windows
    // are where they were.
    if (wasMinimised_) {
      wasMinimised_ = false;
      return;
    }
    placeResultWindows();
  });
  connect(area_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* window) {
    if (window && window->widget()) window->widget()->setFocus();
  });
  progress_ = new ProgressDialog(this);
  buildMenus();

  // The smallest frame still shows the whole picture.
  const QPixmap& picture = area_->picture();
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
  for (QMdiSubWindow* frame : area_->findChildren<QMdiSubWindow*>()) disconnect(frame, nullptr, this, nullptr);
  closeAllResultWindows();
}

QAction* MainWindow::addCommand(QMenu* menu, MenuCommand command, const QString& text) {
  QAction* action = menu->addAction(text);
  actions_.emplace_back(command, action);
  connect(action, &QAction::triggered, this, [this, command] { onCommand(command); });
  return action;
}

void MainWindow::buildMenus() {
  QMenu* handicap = menuBar()->addMenu(tr("&Handicap"));
  addCommand(handicap, MenuCommand::kHandicapRaces, tr("&Handicap Races..."));
  addCommand(handicap, MenuCommand::kPrintHandicapResults, tr("&Print Handicap Results..."));
  handicap->addSeparator();
  addCommand(handicap, MenuCommand::kPrinterSetup, tr("Printer &Setup..."));
  handicap->addSeparator();
  addCommand(handicap, MenuCommand::kExit, tr("&Exit!"));

  QMenu* database = menuBar()->addMenu(tr("&Database"));
  addCommand(database, MenuCommand::kProfitLoss, tr("&Profit/Loss Analysis..."));
  database->addSeparator();
  addCommand(database, MenuCommand::kCreateDataset, tr("&Create/Append DataSet..."));
  addCommand(database, MenuCommand::kDeleteDataset, tr("&Delete DataSet..."));
  addCommand(database, MenuCommand::kRenameDataset, tr("Re&name DataSet..."));
  database->addSeparator();
  addCommand(database, MenuCommand::kSplitDataset, tr("&Split DataSet..."));
  addCommand(database, MenuCommand::kCombineDatasets, tr("Co&mbine DataSets..."));
  database->addSeparator();
  addCommand(database, MenuCommand::kExoticsReport, tr("&Exotics Report..."));
  addCommand(database, MenuCommand::kDailyDoubleReport, tr("Da&ily Double Report..."));
  addCommand(database, MenuCommand::kContentsReport, tr("DataSet Contents &Report..."));

  QMenu* train = menuBar()->addMenu(tr("&Train"));
  addCommand(train, MenuCommand::kPrepSim, tr("&Prep SIM..."));
  train->addSeparator();
  addCommand(train, MenuCommand::kTrainSim, tr("&Train SIM (or Train More)..."));
  train->addSeparator();
  addCommand(train, MenuCommand::kStopTraining, tr("&Stop Training!"));
  train->addSeparator();
  addCommand(train, MenuCommand::kDeleteSim, tr("&Delete SIM..."));
  addCommand(train, MenuCommand::kRenameSim, tr("&Rename SIM..."));

  QMenu* help = menuBar()->addMenu(tr("H&elp"));
  addCommand(help, MenuCommand::kAbout, tr("&About..."));
  addCommand(help, MenuCommand::kUserManual, tr("User &Manual..."));

  menus_ = {handicap, database, train, help};
  for (QMenu* menu : menus_) connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
  updateCommandStates();
}

QAction* MainWindow::action(MenuCommand command) const {
  for (const auto& [c, a] : actions_) {
    if (c == command) return a;
  }
  return nullptr;
}

QMenu* MainWindow::menu(int position) const {
  return position >= 0 && position < static_cast<int>(menus_.size()) ? menus_[position] : nullptr;
}

void MainWindow::updateCommandStates() {
  const bool training = training_ && training_->running();
  bool patterns = false;
  if (!workspace_.trainData.empty()) {
    std::error_code ignored;
    patterns = std::filesystem::exists(joinPath(workspace_.trainData, kPatternFileName), ignored);
  }
  action(MenuCommand::kPrintHandicapResults)->setEnabled(!handicapped_.empty());
  action(MenuCommand::kPrepSim)->setEnabled(!training);
  action(MenuCommand::kTrainSim)->setEnabled(!training && patterns);
  action(MenuCommand::kStopTraining)->setEnabled(training);
}

void MainWindow::setMenuEnabled(bool enabled, bool frameToo) {
  menuEnabled_ = enabled;
  for (QMenu* menu : menus_) menu->menuAction()->setEnabled(enabled);
  if (printerItem_) printerItem_->setEnabled(enabled);
  // The frame's own parts, not the window: message boxes and the progress
  // window are its children and must stay usable.
  if (frameToo) area_->setEnabled(enabled);
  menuBar()->update();
  if (enabled) {
    updateCommandStates();
    if (frameToo) {
      raise();
      activateWindow();
    }
  }
}

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

void MainWindow::onCommand(MenuCommand command) {
  if (!menuEnabled_) return;
  std::optional<CommandScope> scope;
  if (hidesResults(command)) scope.emplace(*this);
  switch (command) {
    case MenuCommand::kHandicapRaces:
      if (commands_.chooseHandicap) {
        if (std::optional<HandicapChoice> choice = commands_.chooseHandicap(*this)) runHandicap(*choice);
      }
      break;
    case MenuCommand::kPrintHandicapResults:
      if (commands_.printHandicapResults && !handicapped_.empty()) commands_.printHandicapResults(*this);
      break;
    case MenuCommand::kPrinterSetup:
      if (commands_.printerSetup) commands_.printerSetup(*this);
      break;
    case MenuCommand::kExit:
      close();
      break;
    case MenuCommand::kAbout:
      showAbout();
      break;
    case MenuCommand::kUserManual:
      showManual();
      break;
    default:
      if (commands_.runMenuCommand) commands_.runMenuCommand(*this, command);
      break;
  }
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

void MainWindow::runHandicap(const HandicapChoice& choice) {
  closeAllResultWindows();
  handicapped_.clear();
  std::vector<std::pair<QString, QString>> reports;  // title, path
  {
    LongRun busy(*this);
    progress_->open(tr("Handicap Races"));
    const HandicapRun run =
        stridewell::runHandicap(choice.setup, *foreground_, choice.files, workspace_, ui_, *progress_);
    progress_->finish();
    if (run.simLoaded && !choice.remember.empty()) store_.write(choice.remember);
    for (const HandicappedFile& file : run.files) {
      if (file.outcome == HandicapOutcome::kCannotOpen || file.outcome == HandicapOutcome::kCannotCreate) continue;
      const QString path = QString::fromStdString(file.reportPath);
      const QFileInfo info(path);
      if (!info.isFile()) continue;
      reports.emplace_back(info.completeBaseName(), path);
      handicapped_.push_back({info.completeBaseName(), info.absolutePath(), info.fileName()});
    }
  }
  const int count = static_cast<int>(reports.size());
  for (int i = 0; i < count; ++i) openResultWindow(reports[i].first, reports[i].second, i, count);
  if (!results_.empty()) addPrinterItem();
  updateCommandStates();
}

void MainWindow::openResultWindow(const QString& title, const QString& path, int index, int count) {
  auto* list = new QListWidget;
  list->setFont(fixedPitchFont());
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setUniformItemSizes(true);
  list->addItems(resultFileLines(path));
  auto* frame = new ResultFrame([this](QMdiSubWindow* closed) { onResultWindowClosed(closed); });
  frame->setWidget(list);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  area_->addSubWindow(frame);
  frame->setWindowTitle(title);
  frame->setWindowIcon(QIcon(printerPicture()));
  // A window deleted without being closed (shut-down) leaves the list too.
  connect(frame, &QObject::destroyed, this, &MainWindow::onResultWindowClosed);
  results_.push_back({title, path, frame, list, frame});

  const CascadeMetrics metrics = cascadeMetrics();
  const PixelRect r = cascadePosition(index, count, metrics);
  frame->setGeometry(r.left, r.top, r.width, r.height);
  frame->show();
  list->setFocus();
}

CascadeMetrics MainWindow::cascadeMetrics() const {
  const QSize client = area_->viewport()->size();
  return {client.width(),
          client.height(),
          style()->pixelMetric(QStyle::PM_ScrollBarExtent),
          style()->pixelMetric(QStyle::PM_TitleBarHeight),
          area_->picture().width(),
          area_->picture().height()};
}

void MainWindow::placeResultWindows() {
  const int count = static_cast<int>(results_.size());
  if (count == 0) return;
  const CascadeMetrics metrics = cascadeMetrics();
  for (int i = 0; i < count; ++i) {
    QMdiSubWindow* frame = results_[i].frame;
    if (!frame) continue;
    const PixelRect r = cascadePosition(i, count, metrics);
    frame->setGeometry(r.left, r.top, r.width, r.height);
    area_->setActiveSubWindow(frame);  // the last one ends on top
  }
}

int MainWindow::activeResultIndex() const {
  QMdiSubWindow* active = area_->activeSubWindow();
  if (!active) active = area_->currentSubWindow();
  for (size_t i = 0; i < results_.size(); ++i) {
    if (results_[i].frame == active) return static_cast<int>(i);
  }
  return -1;
}

void MainWindow::hideResultWindows() {
  for (const ResultWindow& result : results_) {
    if (result.frame) result.frame->hide();
  }
}

void MainWindow::showResultWindows() {
  for (const ResultWindow& result : results_) {
    if (result.frame && !result.frame->isVisible()) result.frame->show();
  }
}

void MainWindow::closeAllResultWindows() {
  std::vector<QPointer<QMdiSubWindow>> frames;
  for (const ResultWindow& result : results_) frames.push_back(result.frame);
  for (const QPointer<QMdiSubWindow>& frame : frames) {
    if (frame) delete frame.data();
  }
  results_.clear();
}

void MainWindow::onResultWindowClosed(QObject* closed) {
  // The entry of the closed window, and any whose window is already gone.
  // Matching by window rather than by title keeps two reports of the same
  // name apart.
  std::erase_if(results_,
                [closed](const ResultWindow& result) {
                  return result.frame.isNull() || result.identity == closed;
                });
  if (results_.empty() && !closing_) {
    removePrinterItem();
    area_->viewport()->update();  // the picture comes back
  }
}

void MainWindow::addPrinterItem() {
  if (printerItem_) return;
  printerItem_ = new QAction(QIcon(printerPicture()), tr("Print"), this);
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
    ui_.error(kTrainingInProgress);
    event->ignore();
    return;
  }
  if (startUpStep_ != 0 || !workspace_.base.empty()) {
    store_.writeFlag(kSettingsSection, setting::kMaximize, isMaximized());
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

void MainWindow::showAbout() {
  QDialog box(this);
  box.setWindowTitle(tr("About Stridewell 5"));
  auto* icon = new QLabel(&box);
  icon->setPixmap(horsePicture().scaledToWidth(120, Qt::SmoothTransformation));
  auto* text = new QLabel(&box);
  text->setTextFormat(Qt::PlainText);
  text->setText(QStringLiteral("Stridewell\nHorse Handicapping Software\n(Simulated Annealing Model)\nVersion 5.00"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text);
  auto* layout = new QVBoxLayout(&box);
  layout->addLayout(row);
  layout->addWidget(buttons);
  box.setObjectName(QStringLiteral("aboutBox"));
  box.exec();
}

QString MainWindow::manualFile() {
  const QString beside = QDir(QString::fromStdString(programFolder())).filePath(QStringLiteral("manual/index.html"));
  if (QFileInfo::exists(beside)) return beside;
  return QStringLiteral(STRIDEWELL_MANUAL_SOURCE);
}

void MainWindow::showManual() {
  const QString file = manualFile();
  if (!QFileInfo::exists(file) || !commands_.openManual || !commands_.openManual(file)) {
    ui_.error(("Cannot open the user manual " + file).toStdString());
  }
}

}  // namespace stridewell::gui
