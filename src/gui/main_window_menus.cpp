// The main window's menu bar: the menus and their commands, which of
// them may be chosen, the dispatch of a chosen command and the Help menu's
// About box and user manual.
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>

#include "base/interaction.h"
#include "base/program_name.h"
#include "base/workspace.h"
#include "datasets/dataset_name.h"
#include "gui/frame_area.h"
#include "gui/frame_pictures.h"
#include "gui/main_window.h"
#include "gui/manual_viewer.h"
#include "gui/qt_interaction.h"
#include "model/pattern_record.h"

namespace stridewell::gui {

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
  QAction* exit = addCommand(handicap, MenuCommand::kExit, tr("&Exit!"));

  QMenu* database = menuBar()->addMenu(tr("&Database"));
  addCommand(database, MenuCommand::kProfitLoss, tr("&Profit/Loss Analysis..."));
  addCommand(database, MenuCommand::kValueBetting, tr("&Value Betting..."));
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
  train->addSeparator();
  addCommand(train, MenuCommand::kReportCard, tr("SIM Report &Card..."));

  windowMenu_ = menuBar()->addMenu(tr("&Window"));
  addCommand(windowMenu_, MenuCommand::kTileWindows, tr("&Tile"));
  addCommand(windowMenu_, MenuCommand::kCascadeWindows, tr("&Cascade"));
  windowMenu_->addSeparator();
  addCommand(windowMenu_, MenuCommand::kCloseAllWindows, tr("Close &All"));

  QMenu* help = menuBar()->addMenu(tr("H&elp"));
  addCommand(help, MenuCommand::kAbout, tr("&About..."));
  QAction* manual = addCommand(help, MenuCommand::kUserManual, tr("User &Manual..."));
  // On the window as well as in their menus, so that the keys work wherever
  // the focus is in the window (a result window's list, say).
  exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  manual->setShortcut(QKeySequence(Qt::Key_F1));
  addAction(exit);
  addAction(manual);

  menus_ = {handicap, database, train, help};
  for (QMenu* menu : menus_) connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
  connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
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
  for (MenuCommand command :
       {MenuCommand::kTileWindows, MenuCommand::kCascadeWindows, MenuCommand::kCloseAllWindows})
    action(command)->setEnabled(!results_.empty());
  action(MenuCommand::kPrepSim)->setEnabled(!training);
  action(MenuCommand::kTrainSim)->setEnabled(!training && patterns);
  action(MenuCommand::kStopTraining)->setEnabled(training);
  // A report card judges a SIM over a dataset: none, nothing to judge on.
  action(MenuCommand::kReportCard)
      ->setEnabled(!workspace_.datasets.empty() && !listDatasets(workspace_).empty());
}

void MainWindow::setMenuEnabled(bool enabled, bool frameToo) {
  menuEnabled_ = enabled;
  for (QMenu* menu : menus_) menu->menuAction()->setEnabled(enabled);
  windowMenu_->menuAction()->setEnabled(enabled);
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

void MainWindow::onCommand(MenuCommand command) {
  if (!menuEnabled_) return;
  // The last word of a finished training ("Training COMPLETE") has been
  // seen once the user goes on: the title names the program again.
  if (training_ && !training_->running()) setWindowTitle(toQString(kProgramName));
  // The result windows stay in view while other commands' dialogs and
  // progress windows are up: those are windows of their own, which a
  // result window never covers, and the user may want to compare or print
  // what the results show.
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
    case MenuCommand::kTileWindows:
      tileResultWindows();
      break;
    case MenuCommand::kCascadeWindows:
      cascadeResultWindows();
      break;
    case MenuCommand::kCloseAllWindows:
      closeResultWindowsOneByOne();
      break;
    default:
      if (commands_.runMenuCommand) commands_.runMenuCommand(*this, command);
      break;
  }
}

void MainWindow::showAbout() {
  QDialog box(this);
  box.setWindowTitle(
      tr("About %1")
          .arg(QString::fromUtf8(kProgramName.data(), static_cast<qsizetype>(kProgramName.size()))));
  auto* icon = new QLabel(&box);
  icon->setPixmap(smallHorsePicture(120, box.devicePixelRatioF()));
  auto* text = new QLabel(&box);
  text->setTextFormat(Qt::PlainText);
  text->setText(
      QStringLiteral("Stridewell\nHorse Handicapping Software\n(Simulated Annealing Model)\nVersion 5.00"));
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
  const QString beside = QDir(QString::fromStdString(shippedFilesFolder(programFolder())))
                             .filePath(QStringLiteral("manual/index.html"));
  if (QFileInfo::exists(beside)) return beside;
  return QStringLiteral(STRIDEWELL_MANUAL_SOURCE);
}

void MainWindow::showManual() {
  const QString file = manualFile();
  bool shown = false;
  if (QFileInfo::exists(file)) {
    if (commands_.openManual) {
      shown = commands_.openManual(file);
    } else {
      if (!manual_) manual_ = new ManualViewer(this);
      shown = manual_->open(file);
      if (shown) {
        manual_->show();
        manual_->raise();
        manual_->activateWindow();
      }
    }
  }
  if (!shown) ui_.error(("Cannot open the user manual " + file).toStdString());
}

}  // namespace stridewell::gui
