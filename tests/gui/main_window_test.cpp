// The main window: start-up, the menus and their enabling rules, result
// windows with the print item, the progress window's Cancel, Exit while
// training, the single-instance lock, and a whole handicap run driven
// through the Handicap Races dialog.
#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "gui/desktop_identity.h"
#include "gui/fixed_font.h"
#include "gui/frame_area.h"
#include "gui/frame_pictures.h"
#include "gui/handicap_dialog.h"
#include "gui/manual_viewer.h"
#include "gui/progress_dialog.h"
#include "gui/single_instance.h"
#include "model/pattern_record.h"
#include "race/race_criteria.h"
#include "support/isolated_user.h"
#include "support/recording_interaction.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using namespace stridewell::gui;
using stridewell::test::RecordingInteraction;

namespace {

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "plain";

class FakeTraining final : public TrainingMonitor {
 public:
  bool running() const override { return running_; }
  uint64_t statusCount() const override { return count_; }
  std::string statusText() const override { return text_; }
  std::string stopAndWait() override {
    ++stops_;
    running_ = false;
    return stopProblem_;
  }
  void give(std::string text) {
    text_ = std::move(text);
    ++count_;
  }
  bool running_ = false;
  int stops_ = 0;
  std::string stopProblem_;  // what the stop says when the save fails

 private:
  uint64_t count_ = 0;
  std::string text_;
};

// A user of its own (Workspace and settings in a temporary folder) and a
// main window that went through start-up there.
struct Frame {
  explicit Frame(FrameCommands commands = {})
      : store(SettingsStore::defaultFile(), &ui), window(store, ui, std::move(commands)) {
    window.setTrainingMonitor(&training);
    window.resize(1000, 760);
    window.show();
  }
  bool startUp() { return test::startUpWindow(window); }
  HandicapChoice sampleRun(std::initializer_list<const char*> cards) {
    HandicapChoice choice;
    choice.setup.simName = "Default";
    choice.setup.simPath = (fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM").string();
    for (const char* card : cards) choice.files.push_back((kExamples / card).string());
    return choice;
  }
  QStringList titles() const {
    QStringList result;
    for (const ResultWindow& r : window.resultWindows()) result << r.title;
    return result;
  }

  test::IsolatedUser user;
  RecordingInteraction ui;
  SettingsStore store;
  FakeTraining training;
  MainWindow window;
};

// Texts of a menu's entries, separators as "-".
QStringList entries(QMenu* menu) {
  QStringList texts;
  for (QAction* action : menu->actions())
    texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return texts;
}

QStringList fileLines(const fs::path& file) {
  QStringList lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines << QString::fromStdString(line);
  }
  return lines;
}

// The mean difference of two images of one size, per colour channel and
// pixel (0 the same, 255 black against white).
double meanDifference(const QImage& a, const QImage& b) {
  // Premultiplied, so that the colour of a fully transparent pixel counts for nothing.
  const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (x.size() != y.size()) return 255.0;
  double sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
    const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
    for (int col = 0; col < x.width(); ++col) {
      sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
             std::abs(qBlue(p[col]) - qBlue(q[col])) + std::abs(qAlpha(p[col]) - qAlpha(q[col]));
    }
  }
  return sum / (4.0 * x.width() * x.height());
}

template <typename T>
T* findTopLevel() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) return found;
  }
  return nullptr;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startUpMakesTheWorkspaceClearsScratchAndEnablesTheMenu();
  void startUpStopsWhenAFolderCannotBeMade();
  void menusHoldEveryItemInOrder();
  void menuKeysAreDistinctAndShortcutsWork();
  void commandsFollowTrainingAndPatternFile();
  void resultWindowsCascadeCloseAndTakeThePrintItem();
  void printItemPrintsTheActiveWindow();
  void resultWindowsStayInViewWhileOtherCommandsRun();
  void resultWindowCopiesTheReportAsInItsFile();
  void windowMenuTilesCascadesAndClosesAll();
  void progressCancelHidesAtOnceAndStopsTheRun();
  void exitWhileTrainingAsksToStopAndSavesMaximize();
  void closeDuringARunStopsItAndClosesAfter();
  void timerPutsTrainingStatusInTitle();
  void aboutBoxAndManual();
  void manualShowsInTheProgramsOwnWindow();
  void windowOpensOnMostOfTheScreenAndComesBackWhereItWas();
  void secondInstanceIsRefused();
  void desktopIdentityMatchesTheShippedDesktopFiles();
  void windowIconIsTheProgramsIcon();
  void picturesAreDrawnForTheDevicePixelRatio();
  void handicapDialogRunShowsTheReport();
  void handicapRemembersTheChoiceOnlyOnceTheSimLoaded();
  void handicapWarnsOfInvalidCardsAndUnscoredRaces();
  void fixedPitchTextLinesUp();
  void screenshot();
};

void MainWindowTest::startUpMakesTheWorkspaceClearsScratchAndEnablesTheMenu() {
  Frame frame;
  const Workspace ws = workspaceAt(programFolder(), defaultWorkspaceBase());
  fs::create_directories(ws.predict);
  fs::create_directories(fs::path(ws.unzip) / "inner");
  std::ofstream(fs::path(ws.predict) / "OLD.TXT") << "old report\n";
  std::ofstream(fs::path(ws.predict) / "keep.DAT") << "not a report\n";
  std::ofstream(fs::path(ws.unzip) / "SAX0313.TCF") << "unpacked\n";
  QVERIFY(!frame.window.menuEnabled());
  QVERIFY(!frame.window.menu(0)->menuAction()->isEnabled());

  QVERIFY(frame.startUp());
  QVERIFY(frame.window.menuEnabled());
  for (int i = 0; i < 4; ++i) QVERIFY(frame.window.menu(i)->menuAction()->isEnabled());
  for (const std::string& folder : {ws.predict, ws.datasets, ws.sim, ws.unzip, ws.trainData, ws.temp}) {
    QVERIFY2(fs::is_directory(folder), folder.c_str());
  }
  QVERIFY(!fs::exists(fs::path(ws.predict) / "OLD.TXT"));
  QVERIFY(fs::exists(fs::path(ws.predict) / "keep.DAT"));
  QVERIFY(fs::is_empty(ws.unzip));
  QVERIFY(frame.ui.calls().empty());
}

void MainWindowTest::startUpStopsWhenAFolderCannotBeMade() {
  Frame frame;
  const Workspace ws = workspaceAt(programFolder(), defaultWorkspaceBase());
  fs::create_directories(ws.base);
  std::ofstream(ws.predict) << "a file where the folder belongs\n";
  QVERIFY(!frame.startUp());
  QVERIFY(!frame.window.menuEnabled());
  QCOMPARE(frame.ui.calls().size(), size_t{1});
  QCOMPARE(frame.ui.calls()[0].caption, std::string("ERROR"));
  QCOMPARE(frame.ui.calls()[0].text, "Cannot create folder " + ws.predict + ": Not a directory");
}

void MainWindowTest::menusHoldEveryItemInOrder() {
  Frame frame;
  const QList<QAction*> bar = frame.window.menuBar()->actions();
  QCOMPARE(bar.size(), 5);
  QCOMPARE(bar[0]->text(), QStringLiteral("&Handicap"));
  QCOMPARE(bar[1]->text(), QStringLiteral("&Database"));
  QCOMPARE(bar[2]->text(), QStringLiteral("&Train"));
  QCOMPARE(bar[3]->text(), QStringLiteral("&Window"));
  QCOMPARE(bar[4]->text(), QStringLiteral("H&elp"));
  QCOMPARE(entries(frame.window.menu(0)), (QStringList{"&Handicap Races...", "&Print Handicap Results...",
                                                       "-", "Printer &Setup...", "-", "&Exit!"}));
  QCOMPARE(entries(frame.window.menu(1)),
           (QStringList{"&Profit/Loss Analysis...", "&Value Betting...", "-", "&Create/Append DataSet...",
                        "&Delete DataSet...", "Re&name DataSet...", "-", "&Split DataSet...",
                        "Co&mbine DataSets...", "-", "&Exotics Report...", "Da&ily Double Report...",
                        "DataSet Contents &Report..."}));
  QCOMPARE(entries(frame.window.menu(2)),
           (QStringList{"&Prep SIM...", "-", "&Train SIM (or Train More)...", "-", "&Stop Training!", "-",
                        "&Delete SIM...", "&Rename SIM...", "-", "SIM Report &Card..."}));
  QCOMPARE(entries(frame.window.menu(3)), (QStringList{"&About...", "User &Manual..."}));
  QCOMPARE(entries(frame.window.windowMenu()), (QStringList{"&Tile", "&Cascade", "-", "Close &All"}));
}

// The letter a text's single "&" marks (upper case), or none.
std::optional<QChar> mnemonic(const QString& text) {
  std::optional<QChar> found;
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;  // "&&" is a plain ampersand
      continue;
    }
    if (found) return std::nullopt;  // two marks: neither works
    found = text[i + 1].toUpper();
  }
  return found;
}

// Every entry of one menu (and every menu of the bar) has its own letter,
// so that a letter always reaches one item; F1 and Ctrl+Q reach the manual
// and Exit from the main window.
void MainWindowTest::menuKeysAreDistinctAndShortcutsWork() {
  QString opened;
  FrameCommands commands;
  commands.openManual = [&opened](const QString& file) {
    opened = file;
    return true;
  };
  Frame frame(commands);
  QVERIFY(frame.startUp());
  // With a result window the printer item joins the bar.
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF"}));
  QCOMPARE(frame.window.menuBar()->actions().size(), 6);

  auto checkLetters = [](const QString& where, const QList<QAction*>& actions) -> QString {
    QMap<QChar, QString> taken;
    int entries = 0;
    for (QAction* action : actions) {
      if (action->isSeparator() || action->text().isEmpty()) continue;
      ++entries;
      const std::optional<QChar> letter = mnemonic(action->text());
      if (!letter) return where + ": no single letter in " + action->text();
      if (taken.contains(*letter)) return where + ": " + taken[*letter] + " and " + action->text();
      taken.insert(*letter, action->text());
    }
    return entries > 0 ? QString() : where + ": empty";
  };
  const QString bar = checkLetters(QStringLiteral("menu bar"), frame.window.menuBar()->actions());
  QVERIFY2(bar.isEmpty(), qPrintable(bar));
  int menus = 0;
  for (QAction* top : frame.window.menuBar()->actions()) {
    if (top->menu() == nullptr) continue;
    ++menus;
    const QString clash = checkLetters(top->text(), top->menu()->actions());
    QVERIFY2(clash.isEmpty(), qPrintable(clash));
  }
  QCOMPARE(menus, 5);

  QCOMPARE(frame.window.action(MenuCommand::kUserManual)->shortcut(), QKeySequence(Qt::Key_F1));
  QCOMPARE(frame.window.action(MenuCommand::kExit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  // Both keys work wherever the focus is in the window.
  QVERIFY(frame.window.actions().contains(frame.window.action(MenuCommand::kUserManual)));
  QVERIFY(frame.window.actions().contains(frame.window.action(MenuCommand::kExit)));
  frame.window.action(MenuCommand::kUserManual)->trigger();
  QVERIFY(opened.endsWith(QStringLiteral("manual/index.html")));
  QVERIFY(frame.ui.calls().empty());
}

void MainWindowTest::commandsFollowTrainingAndPatternFile() {
  Frame frame;
  QVERIFY(frame.startUp());
  MainWindow& w = frame.window;
  struct Case {
    const char* name;
    bool training;
    bool patterns;
    bool prep, train, stop;
  };
  const Case cases[] = {
      {"idle, no patterns", false, false, true, false, false},
      {"idle, patterns ready", false, true, true, true, false},
      {"training, patterns ready", true, true, false, false, true},
      {"training, no patterns", true, false, false, false, true},
  };
  const fs::path patterns = fs::path(w.workspace().trainData) / kPatternFileName;
  for (const Case& c : cases) {
    frame.training.running_ = c.training;
    if (c.patterns) {
      std::ofstream(patterns) << "x";
    } else {
      fs::remove(patterns);
    }
    emit w.menu(2)->aboutToShow();  // the rules are applied as the menu opens
    QVERIFY2(w.action(MenuCommand::kPrepSim)->isEnabled() == c.prep, c.name);
    QVERIFY2(w.action(MenuCommand::kTrainSim)->isEnabled() == c.train, c.name);
    QVERIFY2(w.action(MenuCommand::kStopTraining)->isEnabled() == c.stop, c.name);
  }
  // Before any run: nothing to print and no print item.
  emit w.menu(0)->aboutToShow();
  QVERIFY(!w.action(MenuCommand::kPrintHandicapResults)->isEnabled());
  QCOMPARE(w.printerItemPosition(), -1);
}

void MainWindowTest::resultWindowsCascadeCloseAndTakeThePrintItem() {
  Frame frame;
  QVERIFY(frame.startUp());
  MainWindow& w = frame.window;
  w.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF", "SAX0315.TCF"}));
  QCOMPARE(frame.titles(), (QStringList{"SAX0313", "SAX0314", "SAX0315"}));
  QCOMPARE(w.handicappedResults().size(), size_t{3});
  QCOMPARE(w.printerItemPosition(), 5);
  QVERIFY(w.menuEnabled());
  QVERIFY(w.area().isEnabled());
  QVERIFY(w.area().pictureRect().isEmpty());
  emit w.menu(0)->aboutToShow();
  QVERIFY(w.action(MenuCommand::kPrintHandicapResults)->isEnabled());

  // Each window one scroll-bar width right and one caption lower than the
  // one before.
  const int s = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int c = w.style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QRect first = w.resultWindows()[0].frame->geometry();
  const QRect third = w.resultWindows()[2].frame->geometry();
  QCOMPARE(third.topLeft() - first.topLeft(), QPoint(2 * s, 2 * c));
  QCOMPARE(first.width(), w.area().viewport()->width() - 2 * s);

  // Closing one window keeps the others in order and the print item.
  const auto closeResult = [&w](size_t index) { w.resultWindows()[index].frame->close(); };
  closeResult(1);
  QCOMPARE(frame.titles(), (QStringList{"SAX0313", "SAX0315"}));
  QCOMPARE(w.printerItemPosition(), 5);
  // Closing the last brings the picture back and takes the item away.
  closeResult(1);
  closeResult(0);
  QVERIFY(w.resultWindows().empty());
  QCOMPARE(w.printerItemPosition(), -1);
  QVERIFY(!w.area().pictureRect().isEmpty());

  // A later run adds the item again at the same place; a new run replaces
  // the windows of the one before.
  w.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF"}));
  w.runHandicap(frame.sampleRun({"SAX0315.TCF"}));
  QCOMPARE(frame.titles(), QStringList{"SAX0315"});
  QCOMPARE(w.area().subWindowList().size(), 1);
  QCOMPARE(w.printerItemPosition(), 5);
}

void MainWindowTest::printItemPrintsTheActiveWindow() {
  QStringList printed;
  FrameCommands commands;
  commands.printResultWindow = [&printed](MainWindow&, const ResultWindow& r) { printed << r.title; };
  Frame frame(commands);
  QVERIFY(frame.startUp());
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF"}));
  frame.window.area().setActiveSubWindow(frame.window.resultWindows()[0].frame);
  frame.window.printerItem()->trigger();
  frame.window.area().setActiveSubWindow(frame.window.resultWindows()[1].frame);
  frame.window.printerItem()->trigger();
  QCOMPARE(printed, (QStringList{"SAX0313", "SAX0314"}));
}

// Other commands' dialogs are windows of their own, which a result window
// never covers: the results stay in view while those are open, and only a
// handicap run that goes ahead replaces them.
void MainWindowTest::resultWindowsStayInViewWhileOtherCommandsRun() {
  MainWindow* window = nullptr;
  int shown = -1;  // result windows in view while the command's window was up
  const auto look = [&window, &shown] {
    shown = 0;
    for (const ResultWindow& result : window->resultWindows()) shown += result.frame->isVisible() ? 1 : 0;
  };
  std::optional<HandicapChoice> choice;
  FrameCommands commands;
  commands.chooseHandicap = [&](MainWindow&) {
    look();
    return choice;
  };
  commands.printHandicapResults = [&](MainWindow&) { look(); };
  commands.printerSetup = [&](MainWindow&) { look(); };
  commands.openManual = [&](const QString&) {
    look();
    return true;
  };
  commands.runMenuCommand = [&](MainWindow&, MenuCommand) { look(); };
  Frame frame(commands);
  window = &frame.window;
  QVERIFY(frame.startUp());
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF", "SAX0315.TCF"}));
  std::vector<QPointer<QMdiSubWindow>> before;
  for (const ResultWindow& result : frame.window.resultWindows()) before.push_back(result.frame);
  QCOMPARE(before.size(), size_t{3});

  const struct {
    const char* name;
    MenuCommand command;
  } cases[] = {
      {"Handicap Races, cancelled", MenuCommand::kHandicapRaces},
      {"Print Handicap Results", MenuCommand::kPrintHandicapResults},
      {"Printer Setup", MenuCommand::kPrinterSetup},
      {"About", MenuCommand::kAbout},
      {"User Manual", MenuCommand::kUserManual},
      {"Profit/Loss", MenuCommand::kProfitLoss},
      {"Create DataSet", MenuCommand::kCreateDataset},
      {"Delete DataSet", MenuCommand::kDeleteDataset},
      {"Rename DataSet", MenuCommand::kRenameDataset},
      {"Prep SIM", MenuCommand::kPrepSim},
      {"Delete SIM", MenuCommand::kDeleteSim},
      {"Rename SIM", MenuCommand::kRenameSim},
  };
  for (const auto& c : cases) {
    shown = -1;
    if (c.command == MenuCommand::kAbout) {
      QTimer::singleShot(0, [&look] {
        look();
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
      });
    }
    emit frame.window.menu(0)->aboutToShow();
    QVERIFY2(frame.window.action(c.command)->isEnabled(), c.name);
    frame.window.action(c.command)->trigger();
    QVERIFY2(shown == 3, qPrintable(QStringLiteral("%1: %2 in view").arg(c.name).arg(shown)));
    // Still the same windows, in view once the command is over.
    for (const QPointer<QMdiSubWindow>& frameWindow : before)
      QVERIFY2(frameWindow && frameWindow->isVisible(), c.name);
  }
  QCOMPARE(frame.titles(), (QStringList{"SAX0313", "SAX0314", "SAX0315"}));

  // A handicap run that goes ahead closes the old windows as it starts.
  choice = frame.sampleRun({"SAX0314.TCF"});
  frame.window.action(MenuCommand::kHandicapRaces)->trigger();
  QCOMPARE(shown, 3);
  for (const QPointer<QMdiSubWindow>& frameWindow : before) QVERIFY(frameWindow.isNull());
  QCOMPARE(frame.titles(), QStringList{"SAX0314"});
  QVERIFY(frame.window.resultWindows()[0].frame->isVisible());
}

// Ctrl+A and Ctrl+C (or the list's context menu) copy the report: the
// lines of its file as they stand there, joined by line feeds.
void MainWindowTest::resultWindowCopiesTheReportAsInItsFile() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF"}));
  // The last one opened, on top.
  const ResultWindow& result = frame.window.resultWindows()[1];
  QListWidget* list = result.list;
  frame.window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&frame.window));
  list->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), list);

  // The file itself, its line ends made line feeds and the last one off.
  QFile file(result.path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QString whole = QString::fromUtf8(file.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (whole.endsWith(QLatin1Char('\n'))) whole.chop(1);
  QVERIFY(whole.count(QLatin1Char('\n')) > 20);

  QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
  QStringList menuTexts;
  for (QAction* action : list->actions()) menuTexts << action->text();
  QCOMPARE(menuTexts, (QStringList{"&Copy", "Select &All"}));
  QAction* copy = list->actions()[0];
  QAction* selectAll = list->actions()[1];
  // Nothing picked yet: nothing to copy.
  QVERIFY(!copy->isEnabled());

  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(list->selectedItems().size(), list->count());
  QVERIFY(copy->isEnabled());
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), whole);

  // Some lines picked out, the later one first: they come in report order.
  const QStringList lines = whole.split(QLatin1Char('\n'));
  list->clearSelection();
  list->item(7)->setSelected(true);
  list->item(2)->setSelected(true);
  list->item(3)->setSelected(true);
  copy->trigger();
  QCOMPARE(clipboard->text(), lines[2] + '\n' + lines[3] + '\n' + lines[7]);
  // The context menu's Select All, then Copy, gives the whole again.
  selectAll->trigger();
  copy->trigger();
  QCOMPARE(clipboard->text(), whole);
}

// The Window menu arranges the result windows side by side or in the
// cascade, and closes them all as closing each one would; it has nothing
// to offer without result windows.
void MainWindowTest::windowMenuTilesCascadesAndClosesAll() {
  Frame frame;
  QVERIFY(frame.startUp());
  MainWindow& w = frame.window;
  const MenuCommand windowCommands[] = {MenuCommand::kTileWindows, MenuCommand::kCascadeWindows,
                                        MenuCommand::kCloseAllWindows};
  const auto windowCommandsEnabled = [&w, &windowCommands](bool enabled) {
    emit w.windowMenu()->aboutToShow();
    for (MenuCommand command : windowCommands) {
      if (w.action(command)->isEnabled() != enabled) return false;
    }
    return true;
  };
  QVERIFY(windowCommandsEnabled(false));
  w.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF", "SAX0315.TCF"}));
  QVERIFY(windowCommandsEnabled(true));

  // Tiled: side by side, none over another, all inside the frame; a
  // resize keeps them so.
  const auto tiled = [&w]() -> QString {
    const QRect client = w.area().viewport()->rect();
    const std::vector<ResultWindow>& results = w.resultWindows();
    for (size_t i = 0; i < results.size(); ++i) {
      const QRect r = results[i].frame->geometry();
      if (!client.contains(r)) return QStringLiteral("window %1 outside").arg(i);
      for (size_t j = i + 1; j < results.size(); ++j) {
        if (r.intersects(results[j].frame->geometry())) return QStringLiteral("%1 over %2").arg(i).arg(j);
      }
    }
    return {};
  };
  w.action(MenuCommand::kTileWindows)->trigger();
  QVERIFY2(tiled().isEmpty(), qPrintable(tiled()));
  // In report order: the first card at the top left, the third below.
  QCOMPARE(w.resultWindows()[0].frame->geometry().topLeft(), QPoint(0, 0));
  QVERIFY(w.resultWindows()[1].frame->geometry().left() > 0);
  QVERIFY(w.resultWindows()[2].frame->geometry().top() > 0);
  w.resize(w.size() + QSize(120, 80));
  QTRY_VERIFY2(tiled().isEmpty(), qPrintable(tiled()));

  // Cascade: back to one step right and one caption down each, the last
  // on top, a window the user maximised or minimised among them.
  w.resultWindows()[0].frame->showMaximized();
  w.resultWindows()[1].frame->showMinimized();
  w.action(MenuCommand::kCascadeWindows)->trigger();
  const int s = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int c = w.style()->pixelMetric(QStyle::PM_TitleBarHeight);
  QVERIFY(!w.resultWindows()[0].frame->isMaximized());
  QVERIFY(!w.resultWindows()[1].frame->isMinimized());
  QCOMPARE(w.resultWindows()[1].frame->geometry().topLeft(), QPoint(s, c));
  const QRect first = w.resultWindows()[0].frame->geometry();
  QCOMPARE(first.topLeft(), QPoint(0, 0));
  QCOMPARE(first.width(), w.area().viewport()->width() - 2 * s);
  QCOMPARE(w.resultWindows()[2].frame->geometry().topLeft(), QPoint(2 * s, 2 * c));
  QCOMPARE(w.activeResultIndex(), 2);

  // Close All: as if each were closed, the print item goes and the picture
  // comes back, while the last run's results can still be printed.
  w.action(MenuCommand::kCloseAllWindows)->trigger();
  QVERIFY(w.resultWindows().empty());
  QTRY_COMPARE(w.area().subWindowList().size(), 0);
  QCOMPARE(w.printerItemPosition(), -1);
  QVERIFY(!w.area().pictureRect().isEmpty());
  QVERIFY(windowCommandsEnabled(false));
  emit w.menu(0)->aboutToShow();
  QVERIFY(w.action(MenuCommand::kPrintHandicapResults)->isEnabled());
  // The next run brings the print item back, cascaded again.
  w.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF"}));
  QCOMPARE(w.printerItemPosition(), 5);
  QCOMPARE(w.resultWindows()[1].frame->geometry().topLeft(), QPoint(s, c));
}

void MainWindowTest::progressCancelHidesAtOnceAndStopsTheRun() {
  {
    ProgressDialog progress;
    progress.open(QStringLiteral("Work"));
    QVERIFY(progress.isVisible());
    QVERIFY(progress.percentCallback(40) == false);
    QCOMPARE(progress.text(), QStringLiteral("40% complete"));
    QCOMPARE(progress.percent(), 40);
    progress.setText("Reading SAX0313.TCF");
    progress.percentCallback(40);  // the same percent again changes nothing shown
    QCOMPARE(progress.text(), QStringLiteral("Reading SAX0313.TCF"));
    progress.percentCallback(-1);
    QCOMPARE(progress.percent(), 40);
    QTest::mouseClick(progress.cancelButton(), Qt::LeftButton);
    QVERIFY(!progress.isVisible());
    QVERIFY(progress.cancelled());
    QVERIFY(progress.percentCallback(50));
    progress.open(QStringLiteral("Again"));  // a new operation starts uncancelled
    QVERIFY(!progress.cancelled());
    QCOMPARE(progress.percent(), 0);
  }
  // Cancel pressed as the run starts: the run stops between files, and the
  // menu and frame come back.
  Frame frame;
  QVERIFY(frame.startUp());
  bool sawDisabled = false;
  QTimer::singleShot(0, &frame.window, [&frame, &sawDisabled] {
    sawDisabled = !frame.window.menuEnabled() && !frame.window.area().isEnabled();
    frame.window.progressDialog().cancel();
  });
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF", "SAX0315.TCF"}));
  QVERIFY(sawDisabled);
  QVERIFY(frame.window.resultWindows().size() < 3);
  QVERIFY(frame.window.menuEnabled());
  QVERIFY(frame.window.area().isEnabled());
  QVERIFY(!frame.window.progressDialog().isVisible());
}

void MainWindowTest::exitWhileTrainingAsksToStopAndSavesMaximize() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.training.running_ = true;
  // No: the training goes on and the window stays.
  frame.ui.queueAnswers({false});
  frame.window.action(MenuCommand::kExit)->trigger();
  QVERIFY(frame.window.isVisible());
  QCOMPARE(frame.training.stops_, 0);
  QVERIFY(frame.training.running_);
  QCOMPARE(frame.ui.calls().size(), size_t{1});
  QCOMPARE(frame.ui.calls()[0].caption, std::string("Query"));
  QCOMPARE(frame.ui.calls()[0].text, std::string(kStopTrainingAndExit));
  QCOMPARE(frame.store.read(setting::kMaximize, "unset"), std::string("unset"));

  // Yes: stopped (and saved) first, then closed; a failed save is told,
  // not passed over.
  frame.training.stopProblem_ = "Cannot save the trained weights to X.SIM";
  frame.ui.queueAnswers({true});
  QVERIFY(frame.window.close());
  QCOMPARE(frame.training.stops_, 1);
  QCOMPARE(frame.ui.errors(), std::vector<std::string>{"Cannot save the trained weights to X.SIM"});
  QCOMPARE(frame.store.read(setting::kMaximize, "unset"), std::string("n"));
  SettingsStore again(SettingsStore::defaultFile());  // it reached the file
  QCOMPARE(again.read(setting::kMaximize, "unset"), std::string("n"));
}

void MainWindowTest::closeDuringARunStopsItAndClosesAfter() {
  Frame frame;
  QVERIFY(frame.startUp());
  bool closedAtOnce = true;
  QTimer::singleShot(0, &frame.window, [&frame, &closedAtOnce] { closedAtOnce = frame.window.close(); });
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF", "SAX0315.TCF"}));
  // The run was holding the thread: the close stopped it rather than
  // pulling the window from under it, and is carried out afterwards.
  QVERIFY(!closedAtOnce);
  QVERIFY(frame.window.resultWindows().size() < 3);
  QTRY_VERIFY(!frame.window.isVisible());
  QCOMPARE(frame.store.read(setting::kMaximize, "unset"), std::string("n"));
}

void MainWindowTest::timerPutsTrainingStatusInTitle() {
  Frame frame;
  QVERIFY(frame.startUp());
  QCOMPARE(frame.window.windowTitle(), QStringLiteral("Stridewell 5"));
  frame.training.give("Pass 3 of 10 (30%)");
  QTRY_COMPARE_WITH_TIMEOUT(frame.window.windowTitle(), QStringLiteral("Pass 3 of 10 (30%)"), 10000);
  // A command while training runs leaves its status; once it has ended, the
  // next command takes the last status away.
  frame.training.running_ = true;
  frame.window.action(MenuCommand::kPrinterSetup)->trigger();
  QCOMPARE(frame.window.windowTitle(), QStringLiteral("Pass 3 of 10 (30%)"));
  frame.training.running_ = false;
  frame.training.give("Stridewell 5 - Training COMPLETE (10 passes)[SIM=Tiny]");
  QTRY_COMPARE_WITH_TIMEOUT(frame.window.windowTitle(),
                            QStringLiteral("Stridewell 5 - Training COMPLETE (10 passes)[SIM=Tiny]"), 10000);
  frame.window.action(MenuCommand::kPrinterSetup)->trigger();
  QCOMPARE(frame.window.windowTitle(), QStringLiteral("Stridewell 5"));
}

void MainWindowTest::aboutBoxAndManual() {
  QString opened;
  FrameCommands commands;
  commands.openManual = [&opened](const QString& file) {
    opened = file;
    return true;
  };
  Frame frame(commands);
  QVERIFY(frame.startUp());
  QStringList aboutTexts;
  QTimer::singleShot(0, [&aboutTexts] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    for (QLabel* label : box->findChildren<QLabel*>()) aboutTexts << label->text();
    box->close();
  });
  frame.window.action(MenuCommand::kAbout)->trigger();
  QVERIFY(aboutTexts.join('\n').contains(
      "Stridewell\nHorse Handicapping Software\n(Simulated Annealing Model)\nVersion 5.00"));

  frame.window.action(MenuCommand::kUserManual)->trigger();
  QVERIFY(opened.endsWith(QStringLiteral("manual/index.html")));
  QVERIFY(QFileInfo::exists(opened));
  QVERIFY(frame.ui.calls().empty());
}

// With nothing else set up to show it, the manual opens in the program's
// own window, the whole of it (every section heading of the page), and a
// second F1 brings back that same window.
void MainWindowTest::manualShowsInTheProgramsOwnWindow() {
  Frame frame(FrameCommands{});
  QVERIFY(frame.startUp());
  frame.window.action(MenuCommand::kUserManual)->trigger();
  QVERIFY(frame.ui.calls().empty());
  ManualViewer* viewer = frame.window.manualViewer();
  QVERIFY(viewer != nullptr);
  QVERIFY(viewer->isVisible());

  QFile page(MainWindow::manualFile());
  QVERIFY(page.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(page.readAll());
  const QString shown = viewer->browser()->toPlainText();
  const QRegularExpression heading(QStringLiteral("<h[12][^>]*>([^<]+)</h[12]>"));
  int headings = 0;
  for (const QRegularExpressionMatch& match : heading.globalMatch(html)) {
    ++headings;
    QVERIFY2(shown.contains(match.captured(1).trimmed()), qPrintable(match.captured(1)));
  }
  QVERIFY(headings >= 3);

  viewer->close();
  QVERIFY(!viewer->isVisible());
  frame.window.action(MenuCommand::kUserManual)->trigger();
  QCOMPARE(frame.window.manualViewer(), viewer);
  QVERIFY(viewer->isVisible());
  QVERIFY(frame.ui.calls().empty());

  // A page that is not there shows nothing rather than an empty window.
  ManualViewer other;
  QVERIFY(!other.open(QStringLiteral("/nonexistent/manual/index.html")));
}

// The first time, the window takes most of the screen, centred; after the
// user moved and sized it, the next run opens it just there.
void MainWindowTest::windowOpensOnMostOfTheScreenAndComesBackWhereItWas() {
  test::IsolatedUser user;
  RecordingInteraction ui;
  QRect left;
  {
    SettingsStore store(SettingsStore::defaultFile(), &ui);
    store.writeFlag(kSettingsSection, setting::kMaximize, false);
    MainWindow window(store, ui, FrameCommands{});
    window.showAtLastPlace();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.isMaximized());
    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.geometry();
    if (window.minimumWidth() < area.width() * 3 / 4 && window.minimumHeight() < area.height() * 3 / 4) {
      QVERIFY2(frame.width() >= area.width() * 3 / 4 && frame.width() <= area.width() * 17 / 20,
               qPrintable(QStringLiteral("%1 of %2").arg(frame.width()).arg(area.width())));
      QVERIFY2(frame.height() >= area.height() * 3 / 4 && frame.height() <= area.height() * 17 / 20,
               qPrintable(QStringLiteral("%1 of %2").arg(frame.height()).arg(area.height())));
    }
    QVERIFY((frame.center() - area.center()).manhattanLength() <= 2);

    QVERIFY(test::startUpWindow(window));
    window.setGeometry(QRect(area.topLeft() + QPoint(30, 40), frame.size() - QSize(20, 10)));
    QTRY_COMPARE(window.geometry().topLeft(), area.topLeft() + QPoint(30, 40));
    left = window.geometry();
    QVERIFY(window.close());
  }
  SettingsStore store(SettingsStore::defaultFile(), &ui);
  QVERIFY(!store.read(setting::kWindowGeometry, "").empty());
  MainWindow window(store, ui, FrameCommands{});
  window.showAtLastPlace();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTRY_COMPARE(window.geometry(), left);
  QVERIFY(ui.calls().empty());
}

void MainWindowTest::secondInstanceIsRefused() {
  QTemporaryDir folder;
  const QString workspace = folder.filePath(QStringLiteral("home"));
  auto first = std::make_unique<SingleInstance>();
  using Outcome = SingleInstance::Outcome;
  QCOMPARE(first->acquire(workspace), Outcome::kAcquired);
  SingleInstance second;
  QCOMPARE(second.acquire(workspace), Outcome::kHeldElsewhere);
  QVERIFY(!second.held());
  first.reset();  // the first copy ends
  QCOMPARE(second.acquire(workspace), Outcome::kAcquired);
  // A lock left by a process that is gone does not lock the user out.
  QTemporaryDir other;
  {
    QFile stale(QDir(other.path()).filePath(SingleInstance::lockFileName()));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    // pid, program name, host: a process of this machine that has ended.
    stale.write(QByteArray("999999999\ngui_frame_tests\n") + QSysInfo::machineHostName().toUtf8() + "\n");
  }
  SingleInstance third;
  QCOMPARE(third.acquire(other.path()), Outcome::kAcquired);
  // A Workspace that cannot be made is not "already running": the start-up
  // sequence reports the folder.
  QFile blocker(QDir(other.path()).filePath(QStringLiteral("file")));
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  SingleInstance fourth;
  QCOMPARE(fourth.acquire(QDir(other.path()).filePath(QStringLiteral("file/home"))), Outcome::kNoLock);
  QVERIFY(!fourth.held());
}

// The desktop finds the program's launcher, icon and metainfo by the id the
// program announces, and matches its windows by their class: a rename on
// one side only loses the icon and the taskbar grouping.
void MainWindowTest::desktopIdentityMatchesTheShippedDesktopFiles() {
  const QString oldName = QCoreApplication::applicationName();
  setDesktopIdentity();
  const QString id = QGuiApplication::desktopFileName();
  const QString windowClass = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(oldName);
  QCOMPARE(id, QString::fromLatin1(kDesktopId));
  QVERIFY(!windowClass.isEmpty());
  QVERIFY2(!windowClass.contains(QRegularExpression(QStringLiteral("\\s"))), qPrintable(windowClass));

  // Both pictures are built in, so that no size is a blown-up bitmap.
  const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
  QVERIFY2(sizes.contains(QSize(48, 48)) && sizes.contains(QSize(256, 256)),
           qPrintable(QString::number(sizes.size())));
  QVERIFY(!QGuiApplication::windowIcon().pixmap(48, 48).isNull());

  const auto readShipped = [](const QString& name) {
    QFile file(QStringLiteral(STRIDEWELL_SOURCE_DIR "/packaging/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  const QString desktop = readShipped(id + QStringLiteral(".desktop"));
  QVERIFY2(!desktop.isEmpty(), "no .desktop file named by the id");
  QVERIFY(desktop.contains(QStringLiteral("\nIcon=") + id + QLatin1Char('\n')));
  QVERIFY(desktop.contains(QStringLiteral("\nStartupWMClass=") + windowClass + QLatin1Char('\n')));
  const QString metainfo = readShipped(id + QStringLiteral(".metainfo.xml"));
  QVERIFY2(!metainfo.isEmpty(), "no metainfo file named by the id");
  QVERIFY(metainfo.contains(QStringLiteral("<id>") + id + QStringLiteral("</id>")));
  QVERIFY(metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">") + id +
                            QStringLiteral(".desktop<")));
}

// The main window shows the program's own icon, the picture the desktop's
// icon theme gets, and not a picture of its own.
void MainWindowTest::windowIconIsTheProgramsIcon() {
  const QString oldName = QCoreApplication::applicationName();
  setDesktopIdentity();
  QCoreApplication::setApplicationName(oldName);
  Frame frame;
  QVERIFY(!frame.window.testAttribute(Qt::WA_SetWindowIcon));
  QImage shipped(QStringLiteral(STRIDEWELL_SOURCE_DIR "/packaging/icons/stridewell-48.png"));
  QVERIFY(!shipped.isNull());
  const QImage shown = frame.window.windowIcon().pixmap(QSize(48, 48), 1.0).toImage();
  QCOMPARE(shown.size(), QSize(48, 48));
  QCOMPARE(meanDifference(shown, shipped), 0.0);
}

// At a device pixel ratio of 2 each picture has twice the pixels each way
// at the same logical size, shows the same thing (reduced to ratio 1 it
// matches the ratio-1 picture), and is drawn anew: it is far from both a
// smooth and a blocky enlargement of the ratio-1 picture, which is what a
// blurry picture on a high-density screen is.
void MainWindowTest::picturesAreDrawnForTheDevicePixelRatio() {
  struct Case {
    const char* name;
    std::function<QPixmap(qreal)> draw;
    QSize logical;
  };
  const Case cases[] = {{"horse", horsePicture, kHorsePictureSize},
                        {"background tile", backgroundPattern, kBackgroundTileSize},
                        {"printer", printerPicture, kPrinterPictureSize}};
  for (const Case& c : cases) {
    const QPixmap one = c.draw(1.0);
    const QPixmap two = c.draw(2.0);
    QVERIFY2(one.size() == c.logical && one.devicePixelRatio() == 1.0, c.name);
    QVERIFY2(two.size() == c.logical * 2, c.name);
    QVERIFY2(two.devicePixelRatio() == 2.0, c.name);
    QVERIFY2(two.deviceIndependentSize().toSize() == c.logical, c.name);

    const QImage low = one.toImage();
    const QImage high = two.toImage();
    const double reduced =
        meanDifference(high.scaled(c.logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), low);
    const double smooth =
        meanDifference(high, low.scaled(c.logical * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const double blocky =
        meanDifference(high, low.scaled(c.logical * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    const QString numbers = QStringLiteral("%1: reduced %2, smooth %3, blocky %4")
                                .arg(QLatin1String(c.name))
                                .arg(reduced)
                                .arg(smooth)
                                .arg(blocky);
    QVERIFY2(reduced < 3.0, qPrintable(numbers));
    QVERIFY2(smooth > 2 * reduced && blocky > 2 * reduced, qPrintable(numbers));
  }

  // The icons that carry the printer pick the sharp one at ratio 2.
  const QImage iconAtTwo = printerIcon().pixmap(kPrinterPictureSize, 2.0).toImage();
  QCOMPARE(iconAtTwo.size(), kPrinterPictureSize * 2);
  QCOMPARE(meanDifference(iconAtTwo, printerPicture(2.0).toImage()), 0.0);

  // The About box's horse, 120 wide: 240 x 173 pixels at ratio 2 (260 x
  // 240 / 360 = 173.3).
  const QPixmap about = smallHorsePicture(120, 2.0);
  QCOMPARE(about.size(), QSize(240, 173));
  QCOMPARE(about.deviceIndependentSize().width(), 120.0);

  // The frame area draws for its own screen (ratio 1 here) at the same
  // logical size, so the layout does not move with the ratio.
  Frame frame;
  QCOMPARE(frame.window.area().picture().devicePixelRatio(),
           frame.window.area().viewport()->devicePixelRatioF());
  QCOMPARE(frame.window.area().picture().deviceIndependentSize().toSize(), kHorsePictureSize);
}

void MainWindowTest::handicapDialogRunShowsTheReport() {
  HandicapDialog::sharedList().clear();
  FrameCommands commands = defaultFrameCommands();
  Frame frame(commands);
  QVERIFY(frame.startUp());
  bool drove = false;
  QTimer::singleShot(0, [&drove] {
    auto* dialog = findTopLevel<HandicapDialog>();
    if (!dialog) return;
    dialog->showFolder(kExamples.string());
    auto* files = dialog->findChild<QListWidget*>("cardFiles");
    const QList<QListWidgetItem*> found = files->findItems("SAX0313", Qt::MatchStartsWith);
    if (found.size() != 1) return;
    files->setCurrentItem(found.first());
    QTest::mouseClick(dialog->findChild<QPushButton*>("addFile"), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QPushButton*>("handicap"), Qt::LeftButton);
    drove = true;
  });
  frame.window.action(MenuCommand::kHandicapRaces)->trigger();
  QVERIFY(drove);
  QCOMPARE(frame.titles(), QStringList{"SAX0313"});
  const ResultWindow& result = frame.window.resultWindows()[0];
  const fs::path report = fs::path(frame.window.workspace().predict) / "SAX0313.TXT";
  QCOMPARE(result.path, QString::fromStdString(report.string()));
  const QStringList expected = fileLines(report);
  QVERIFY(expected.size() > 20);
  QVERIFY(expected.contains("SIM In Use: Default"));
  QStringList shown;
  for (int i = 0; i < result.list->count(); ++i) shown << result.list->item(i)->text();
  QCOMPARE(shown, expected);
  QVERIFY(test::columnsLineUp(result.list->font()));
  QCOMPARE(frame.window.printerItemPosition(), 5);
  QVERIFY(frame.window.menuEnabled());
}

void MainWindowTest::handicapRemembersTheChoiceOnlyOnceTheSimLoaded() {
  Frame frame;
  QVERIFY(frame.startUp());
  const fs::path damaged = fs::path(frame.window.workspace().sim) / "Damaged.SIM";
  std::ofstream(damaged, std::ios::binary) << "not weights";
  struct Case {
    const char* sim;
    std::string path;
    bool loads;
  };
  const Case cases[] = {
      {"Gone", (fs::path(frame.window.workspace().sim) / "Gone.SIM").string(), false},
      {"Damaged", damaged.string(), false},
      {"Default", (fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM").string(), true},
  };
  frame.store.write(setting::kSimName, "Earlier");
  for (const Case& c : cases) {
    frame.ui.clear();
    HandicapChoice choice = frame.sampleRun({"SAX0313.TCF"});
    choice.setup.simName = c.sim;
    choice.setup.simPath = c.path;
    choice.remember = {{std::string(kSettingsSection), std::string(setting::kSimName), c.sim}};
    frame.window.runHandicap(choice);
    const std::string remembered = SettingsStore(frame.store.file()).read(setting::kSimName, "");
    QCOMPARE(remembered, std::string(c.loads ? c.sim : "Earlier"));
    QCOMPARE(frame.ui.errors().empty(), c.loads);
    frame.window.closeAllResultWindows();
  }
}

void MainWindowTest::handicapWarnsOfInvalidCardsAndUnscoredRaces() {
  Frame frame;
  QVERIFY(frame.startUp());
  // An invalid card: the warning names the file and the line that failed.
  HandicapChoice invalid = frame.sampleRun({});
  const std::string bad = (kExamples.parent_path() / "bad" / "SAX0313.TCF").string();
  invalid.files = {bad};
  frame.window.runHandicap(invalid);
  QCOMPARE(frame.ui.warnings().size(), size_t{1});
  const std::string warning = frame.ui.warnings()[0];
  QVERIFY2(warning.rfind("File " + bad + " is NOT VALID!\n" + bad + ": line ", 0) == 0, warning.c_str());
  frame.window.closeAllResultWindows();

  // An SI Map rule whose SIM is gone: the report shows the error in place
  // and the run ends with a warning naming the races.
  frame.ui.clear();
  HandicapChoice mapped = frame.sampleRun({"SAX0314.TCF"});
  mapped.setup.mapMode = true;
  mapped.setup.simMap[0].enabled = true;
  mapped.setup.simMap[0].criteria.trackFlags = RaceCriteria::kAllTracks;
  mapped.setup.simMap[0].criteria.distanceFlags = RaceCriteria::kAnyDistance;
  mapped.setup.simMap[0].criteria.classFlags = RaceCriteria::kAnyClass;
  mapped.setup.simMap[0].criteria.surfaceFlags = RaceCriteria::kAllSurfaces;
  mapped.setup.simMap[0].criteria.conditionFlags = RaceCriteria::kAllConditions;
  mapped.setup.simMap[0].simName = "Gone";
  mapped.setup.simMap[0].weightsPath = (fs::path(frame.window.workspace().sim) / "Gone.SIM").string();
  frame.window.runHandicap(mapped);
  QCOMPARE(frame.ui.warnings().size(), size_t{1});
  const std::string unscored = frame.ui.warnings()[0];
  QVERIFY2(unscored.find("NOT scored") != std::string::npos, unscored.c_str());
  QVERIFY2(unscored.find("\nSAX0314.TCF race 2: SIM Gone: Cannot open ") != std::string::npos,
           unscored.c_str());
  QCOMPARE(frame.titles(), QStringList{"SAX0314"});
}

// Every fixed-pitch text takes a face whose columns line up, whatever
// fonts the machine has.
void MainWindowTest::fixedPitchTextLinesUp() {
  QVERIFY(test::columnsLineUp(fixedPitchFont()));
  // A system fixed font that does not line up is passed over for a
  // monospace family that does, at its size; one that does is kept.
  QFont proportional(QStringLiteral("DejaVu Sans"));
  proportional.setPointSize(13);
  QVERIFY(!test::columnsLineUp(proportional));
  const QFont chosen = fixedPitchFont(proportional);
  QVERIFY(test::columnsLineUp(chosen));
  QCOMPARE(chosen.pointSize(), 13);
  const QFont mono(QStringLiteral("DejaVu Sans Mono"));
  QVERIFY(test::columnsLineUp(mono));
  QCOMPARE(fixedPitchFont(mono).family(), mono.family());
}

// Writes the main window with result windows to the folder named by
// STRIDEWELL_SCREENSHOTS (docs/screenshots in the source tree).
void MainWindowTest::screenshot() {
  const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("set STRIDEWELL_SCREENSHOTS to a folder to write the main window's pictures");
  Frame frame;
  QVERIFY(frame.startUp());
  frame.window.resize(1000, 700);
  frame.window.runHandicap(frame.sampleRun({"SAX0313.TCF", "SAX0314.TCF", "SAX0315.TCF"}));
  QTest::qWait(100);
  QVERIFY(frame.window.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("main-window.png")));
  frame.window.closeAllResultWindows();
  QTest::qWait(50);
  QVERIFY(frame.window.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("main-window-empty.png")));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
