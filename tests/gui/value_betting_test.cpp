// The Value Betting command driven through its windows on the offscreen
// platform: a run from the menu over a dataset made from the sample cards,
// whose report and bankroll chart are checked against the core run called
// directly with the same choices; the combined chances chosen in the
// dialog; the dialog's refusals; and an error before the run. With
// STRIDEWELL_SCREENSHOTS set to a folder, also writes pictures of the
// dialog and the outcome window there. Run by the profit/loss tests'
// program.
#include "value_betting_test.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/interaction.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_name.h"
#include "gui/criteria_controls.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "gui/value_betting_command.h"
#include "gui/value_betting_dialog.h"
#include "gui/value_betting_window.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "operations/value_run.h"
#include "race/criteria_choices.h"
#include "support/isolated_user.h"
#include "support/recording_interaction.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using namespace stridewell::gui;
using stridewell::test::child;
using stridewell::test::RecordingInteraction;

namespace {

const fs::path kSamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "plain";

// Calls `handle` with the first visible window of type T once one shows,
// from the event loop of whatever modal window or run is under way; gives
// up after ten seconds (the waiting test then fails on what is missing).
// `alive` is cleared at the end of each test, so no poll outlives it.
template <typename T>
void whenShown(std::shared_ptr<bool> alive, std::function<void(T&)> handle) {
  auto deadline = std::make_shared<QDeadlineTimer>(10000);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [alive, handle, deadline, weak = std::weak_ptr<std::function<void()>>(poll)] {
    if (!*alive) return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) {
        handle(*found);
        return;
      }
    }
    if (deadline->hasExpired()) return;
    if (const auto self = weak.lock()) QTimer::singleShot(10, [self] { (*self)(); });
  };
  QTimer::singleShot(0, [poll] { (*poll)(); });
}

struct Frame {
  Frame() : store(SettingsStore::defaultFile(), &ui), window(store, ui) {
    window.resize(900, 700);
    window.show();
  }
  bool startUp() { return test::startUpWindow(window); }
  bool makeDataset(const std::string& name) {
    RecordingInteraction quiet;
    NoProgress none;
    const FolderPairing pairing = pairCardFolder(kSamples.string());
    const CreateOutcome outcome =
        createDataset(name, false, kSamples.string(), pairing.pairs, window.workspace(), quiet, none);
    return outcome.status == CreateStatus::kDone && outcome.races > 0;
  }
  ValueRequest springRequest() const {
    ValueRequest request;
    request.datasetName = "Spring";
    request.datasetPath = datasetPath(window.workspace(), "Spring");
    request.simName = "Default";
    request.simPath = joinPath(window.workspace().programFolder, "Default.SIM");
    request.criteria = buildCriteria(CriteriaChoices{});
    return request;
  }

  test::IsolatedUser user;
  RecordingInteraction ui;
  SettingsStore store;
  MainWindow window;
};

struct DirectRun {
  std::string report;
  ValueSummary summary;
};

DirectRun runDirectly(const ValueRequest& request) {
  auto model = std::make_unique<SimModel>(true);
  if (defineSimShape(*model, {}, true) == 0) qFatal("no SIM shape");
  RecordingInteraction ui;
  NoProgress progress;
  std::ostringstream report;
  const ValueOutcome outcome = runValueBetting(request, *model, report, ui, progress);
  if (outcome.status != ValueStatus::kDone) qFatal("direct run failed");
  return {report.str(), outcome.summary};
}

// What the outcome window showed.
struct Shown {
  bool seen = false;
  QString report;
  QList<QPointF> curve;
  QList<QPointF> drawdown;
  QString note;
};

void readAndClose(ValueBettingWindow& window, Shown& shown) {
  shown.seen = true;
  shown.report = window.report()->toPlainText();
  shown.curve = window.curve()->points();
  shown.drawdown = window.drawdown()->points();
  shown.note = window.note()->text();
  QTest::mouseClick(child<QPushButton>(window, "close"), Qt::LeftButton);
}

}  // namespace

void ValueBettingTest::init() {
  alive_ = std::make_shared<bool>(true);
  ValueBettingDialog::remembered() = ValueBettingDialog::Remembered{};
}

void ValueBettingTest::cleanup() {
  *alive_ = false;
}

// Chosen in the dialog from the menu; the window shows the same report as
// the core run and a point per race with bets.
void ValueBettingTest::wholeRunFromTheMenu() {
  Frame frame;
  QVERIFY(frame.startUp());
  QVERIFY(frame.makeDataset("Spring"));
  bool dialogSeen = false;
  Shown shown;
  whenShown<ValueBettingDialog>(alive_, [&](ValueBettingDialog& dialog) {
    dialogSeen = true;
    QCOMPARE(dialog.windowTitle(), QString("Value Betting"));
    QCOMPARE(dialog.fitDatasets()->currentText(), QString(kNoFitEntry));
    QCOMPARE(dialog.fraction()->value(), 0.25);
    QCOMPARE(dialog.margin()->value(), 0.05);
    QCOMPARE(dialog.bankroll()->value(), 1000.0);
    dialog.fraction()->setValue(0.5);
    dialog.bankroll()->setValue(400);
    whenShown<ValueBettingWindow>(alive_, [&](ValueBettingWindow& window) { readAndClose(window, shown); });
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
  });
  frame.window.action(MenuCommand::kValueBetting)->trigger();
  QVERIFY(dialogSeen);
  QVERIFY(shown.seen);
  QVERIFY(frame.ui.errors().empty());
  QVERIFY(frame.window.menuEnabled());

  ValueRequest request = frame.springRequest();
  request.rules.fraction = 0.5;
  request.rules.bankroll = 40000;
  const DirectRun direct = runDirectly(request);
  QCOMPARE(shown.report.toStdString(), direct.report);
  QVERIFY(!direct.summary.curve.empty());
  QCOMPARE(shown.curve.size(), qsizetype(direct.summary.curve.size()));
  for (qsizetype i = 0; i < shown.curve.size(); ++i) {
    QCOMPARE(shown.curve[i].x(), double(i + 1));
    QCOMPARE(shown.curve[i].y(), double(direct.summary.curve[size_t(i)].bankroll) / 100);
  }
  const Drawdown& fall = direct.summary.drawdown;
  if (fall.trough >= 0) {
    QCOMPARE(shown.drawdown.size(), qsizetype(2));
    QCOMPARE(shown.drawdown[1].x(), double(fall.trough + 1));
    QVERIFY2(shown.note.contains(QString("(%1% of the peak)").arg(fall.percent, 0, 'f', 2)),
             qPrintable(shown.note));
  } else {
    QCOMPARE(shown.drawdown.size(), qsizetype(0));
  }

  // The choices are offered again.
  ValueBettingDialog again(frame.store, frame.window.workspace(), frame.ui, &frame.window);
  QCOMPARE(again.fraction()->value(), 0.5);
  QCOMPARE(again.bankroll()->value(), 400.0);
  QCOMPARE(again.datasets()->currentText(), QString("Spring"));
}

// A fit dataset chosen in the dialog gives the combined chances.
void ValueBettingTest::combinedChancesFromTheDialog() {
  Frame frame;
  QVERIFY(frame.startUp());
  QVERIFY(frame.makeDataset("Spring"));
  QVERIFY(frame.makeDataset("Autumn"));
  Shown shown;
  ValueBettingServices services;
  services.choose = [&](MainWindow& window) -> std::optional<ValueRequest> {
    ValueBettingDialog dialog(window.settings(), window.workspace(), window.ui(), &window);
    dialog.datasets()->setCurrentText("Spring");
    dialog.fitDatasets()->setCurrentText("Autumn");
    QTimer::singleShot(0, &dialog,
                       [&dialog] { QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton); });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.request();
  };
  whenShown<ValueBettingWindow>(alive_, [&](ValueBettingWindow& window) { readAndClose(window, shown); });
  runValueBetting(frame.window, services);
  QVERIFY(shown.seen);
  QVERIFY2(
      shown.report.contains("Chances:          combined, exp(a ln SIM + b ln final odds), fitted on Autumn"),
      qPrintable(shown.report));
}

// An empty custom list keeps the dialog open; no datasets ends it.
void ValueBettingTest::dialogRefusals() {
  Frame frame;
  QVERIFY(frame.startUp());
  {
    ValueBettingDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(frame.ui.errors(), std::vector<std::string>{"No datasets exist.  See 'Create DataSet...'"});
  }
  QVERIFY(frame.makeDataset("Spring"));
  ValueBettingDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
  dialog.show();
  child<QComboBox>(dialog, "classBox")->setCurrentIndex(kClassCustomItem);
  QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
  QVERIFY(dialog.isVisible());
  QCOMPARE(frame.ui.errors().back(), std::string("Custom class list is empty (no checked items)."));
}

// A dataset that cannot be opened: its error, no window, the menu back.
void ValueBettingTest::errorBeforeTheRun() {
  Frame frame;
  QVERIFY(frame.startUp());
  ValueRequest request = frame.springRequest();
  request.datasetPath = joinPath(frame.window.workspace().datasets, "Missing.DSI");
  bool windowSeen = false;
  whenShown<ValueBettingWindow>(alive_, [&](ValueBettingWindow& window) {
    windowSeen = true;
    window.reject();
  });
  runValueBettingRequest(frame.window, request);
  QTest::qWait(50);
  QVERIFY(!windowSeen);
  QCOMPARE(frame.ui.errors().size(), size_t(1));
  QVERIFY(frame.ui.errors()[0].rfind("Error opening dataset", 0) == 0);
  QVERIFY(frame.window.menuEnabled());
}

// Cancel on the progress window: the menu held during the run, no window
// after it.
void ValueBettingTest::cancelOnTheProgressWindowShowsNothing() {
  Frame frame;
  QVERIFY(frame.startUp());
  QVERIFY(frame.makeDataset("Spring"));
  bool menuWhileRunning = true;
  QString caption;
  bool windowSeen = false;
  whenShown<ProgressDialog>(alive_, [&](ProgressDialog& progress) {
    menuWhileRunning = frame.window.menuEnabled();
    caption = progress.windowTitle();
    QTest::mouseClick(progress.cancelButton(), Qt::LeftButton);
  });
  whenShown<ValueBettingWindow>(alive_, [&](ValueBettingWindow& window) {
    windowSeen = true;
    window.reject();
  });
  runValueBettingRequest(frame.window, frame.springRequest());
  QTest::qWait(50);
  QCOMPARE(caption, QString(kValueBettingCaption));
  QVERIFY(!menuWhileRunning);
  QVERIFY(!windowSeen);
  QVERIFY(frame.window.menuEnabled());
  QVERIFY(frame.ui.calls().empty());
}

void ValueBettingTest::screenshots() {
  const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("STRIDEWELL_SCREENSHOTS is not set");
  Frame frame;
  QVERIFY(frame.startUp());
  QVERIFY(frame.makeDataset("Spring"));
  {
    ValueBettingDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    dialog.show();
    QTest::qWait(100);
    QVERIFY(dialog.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("value-betting-dialog.png")));
  }
  const DirectRun direct = runDirectly(frame.springRequest());
  ValueBettingWindow window(direct.report, direct.summary, &frame.window);
  window.resize(1280, 640);
  window.show();
  QTest::qWait(200);
  QVERIFY(window.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("value-betting.png")));
}
