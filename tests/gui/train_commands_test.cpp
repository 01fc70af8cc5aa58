// The Train menu: the Prep SIM dialog's initial state and checks, a whole
// preparation under the progress window (and its Cancel), training in the
// background with its status in the window title and its chart, Stop
// Training, handicapping while a SIM trains, the window stopping the
// training thread when it is destroyed, and the Delete SIM and Rename SIM
// dialogs.
#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "gui/criteria_controls.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/prep_sim_dialog.h"
#include "gui/progress_dialog.h"
#include "gui/report_card_command.h"
#include "gui/report_card_dialog.h"
#include "gui/report_viewer.h"
#include "gui/sim_delete_dialog.h"
#include "gui/sim_rename_dialog.h"
#include "gui/training_chart.h"
#include "gui/training_runner.h"
#include "model/pattern_record.h"
#include "model/sim_map.h"
#include "model/sim_record.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "operations/evaluate_run.h"
#include "race/criteria_choices.h"
#include "support/isolated_user.h"
#include "support/recording_interaction.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using namespace stridewell::gui;
using stridewell::test::RecordingInteraction;
using Kind = RecordingInteraction::Kind;

using stridewell::test::child;

namespace {

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "plain";
constexpr int kLongWait = 120000;  // a sanitizer build trains slowly
// Fifty passes over this many copies of the samples take half a minute on
// an idle machine: long enough to look at a run, handicap and stop it.
constexpr int kLongRunCopies = 40;

// A user of its own and a started main window with the program's commands.
struct Frame {
  Frame() : store(SettingsStore::defaultFile(), &ui), window(std::make_unique<MainWindow>(store, ui)) {
    window->resize(900, 700);
    window->show();
  }
  bool startUp() { return test::startUpWindow(*window); }
  const Workspace& ws() const { return window->workspace(); }
  // A dataset of the three sample days.
  // The sample days, `copies` times over: a run that must still be going
  // when the test looks at it needs more than the 28 sample races, which
  // an idle machine trains fifty times over in under a second.
  void makeDataset(const std::string& name, int copies = 1) {
    RecordingInteraction quiet;
    NoProgress progress;
    const FolderPairing pairing = pairCardFolder(kExamples.string());
    for (int copy = 0; copy < copies; ++copy) {
      const CreateOutcome outcome =
          createDataset(name, copy > 0, kExamples.string(), pairing.pairs, ws(), quiet, progress);
      QVERIFY(outcome.status == CreateStatus::kDone);
      QVERIFY(outcome.races > 0);
    }
  }
  void writeSim(const std::string& name, const std::string& content = "weights") {
    std::ofstream(fs::path(ws().sim) / (name + ".SIM"), std::ios::binary) << content;
  }
  fs::path trainData(const char* file) const { return fs::path(ws().trainData) / file; }
  void trigger(MenuCommand command) { window->action(command)->trigger(); }

  test::IsolatedUser user;
  RecordingInteraction ui;
  SettingsStore store;
  std::unique_ptr<MainWindow> window;
};

// Runs `drive` on the first modal dialog of type T that opens, once. A
// dialog that may never open is watched for only as long as `scope`
// lives, so that the watch cannot outlive what `drive` refers to.
template <typename T>
void whenDialogOpens(std::function<void(T&)> drive, QObject* scope = nullptr) {
  auto* timer = new QTimer(scope);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, drive] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    drive(*dialog);
  });
  timer->start();
}

TrainInfo readInfo(const fs::path& file) {
  TrainInfo info{};
  std::ifstream in(file, std::ios::binary);
  in.read(reinterpret_cast<char*>(&info), sizeof info);
  return info;
}

// Fills the Prep SIM dialog and presses "&Prep".
void prepThrough(PrepSimDialog& dialog, const QString& simName, const char* pressure) {
  child<QLineEdit>(dialog, "simName")->setText(simName);
  child<QRadioButton>(dialog, pressure)->setChecked(true);
  QTest::mouseClick(child<QPushButton>(dialog, "prep"), Qt::LeftButton);
}

// Prepares `simName` from dataset "Sample" through the menu.
void prepare(Frame& frame, const QString& simName, const char* pressure) {
  whenDialogOpens<PrepSimDialog>([&](PrepSimDialog& dialog) { prepThrough(dialog, simName, pressure); });
  frame.trigger(MenuCommand::kPrepSim);
}

// Answers "Train?" with Yes and starts training through the menu.
TrainingRunner* train(Frame& frame) {
  frame.ui.queueAnswers({true});
  frame.trigger(MenuCommand::kTrainSim);
  return TrainingRunner::find(*frame.window);
}

// Waits for the run to end and for the timer to show its last status.
bool waitForEnd(Frame& frame, TrainingRunner& runner, const QString& lastTitle) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < kLongWait) {
    QTest::qWait(50);
    if (!runner.running() && frame.window->windowTitle() == lastTitle) return true;
  }
  return false;
}

}  // namespace

class TrainCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void epochMessagesGiveThePassAndItsError();
  void progressTitleAxisAndReportReadPlainly();
  void prepDialogStartsAsTheSettingsSay();
  void prepDialogWithoutDatasetsCannotPrep();
  void prepDialogChecksInOrder();
  void prepWritesTheMatchedSetAndTrainingCompletes();
  void prepCancelRemovesTheNewFiles();
  void stopTrainingSavesAndHandicappingGoesOn();
  void destroyingTheWindowStopsAndJoinsTheThread();
  void exitDuringTrainingStopsSavesAndCloses();
  void trainRefusesWithoutPreparation();
  void prepAndTrainRefuseWhatCannotWork();
  void deleteSimAsksAndDeletes();
  void deleteSimNamesTheMapRulesUsingIt();
  void renameSimChecksAsksAndRenames();
  void reportCardNeedsADataset();
  void reportCardRunShowsTheCardAndRecordsIt();
  void reportCardCancelLeavesNothing();
  void screenshots();
};

void TrainCommandsTest::epochMessagesGiveThePassAndItsError() {
  struct Case {
    const char* text;
    bool parsed;
    int pass;
    double tss;
  };
  const Case cases[] = {
      {"[E]pass=1 tss=12.5", true, 1, 12.5},
      {"[E]pass=25 tss=0.000123", true, 25, 0.000123},
      {"[E]pass=3 tss=1.5e+06", true, 3, 1.5e6},
      {"Begin training (npasses=5, npatterns=30)", false, 0, 0},
      {"[E]pass=0 tss=1", false, 0, 0},  // passes count from 1
      {"[E]pass=2 tss=", false, 0, 0},
      {"[E]pass=2 tss=3 extra", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    int pass = -1;
    double tss = -1;
    QCOMPARE(parseEpochMessage(c.text, pass, tss), c.parsed);
    if (c.parsed) {
      QCOMPARE(pass, c.pass);
      QCOMPARE(tss, c.tss);
    } else {
      QCOMPARE(pass, -1);  // untouched
    }
  }
}

void TrainCommandsTest::progressTitleAxisAndReportReadPlainly() {
  // The run's share counts the passes before as whole and this one by its
  // share read: pass 27 of 50 at 100% is (26 * 100 + 100) / 50 = 54%.
  struct Title {
    int pass, passes, percent;
    const char* expected;
  };
  const std::vector<Title> titles{
      {27, 50, 100, "Stridewell 5: Training Long [pass 27 of 50, 100% of this pass; 54% of the run]"},
      {1, 50, 0, "Stridewell 5: Training Long [pass 1 of 50, 0% of this pass; 0% of the run]"},
      // (2 * 100 + 50) / 7 = 35.7, shown whole as 35
      {3, 7, 50, "Stridewell 5: Training Long [pass 3 of 7, 50% of this pass; 35% of the run]"},
      {5, 5, 100, "Stridewell 5: Training Long [pass 5 of 5, 100% of this pass; 100% of the run]"},
  };
  for (const Title& t : titles) {
    QCOMPARE(passProgressTitle("Long", t.pass, t.passes, t.percent), std::string(t.expected));
  }

  // Round steps, about five of them, read as numbers people write.
  struct Axis {
    double highest;
    double step;
    QStringList labels;
  };
  const std::vector<Axis> axes{
      // 43,000,000 / 5 = 8.6 M, rounded up to a step of 10 M; 5 steps reach 50 M.
      {4.3e7, 1e7, {"0", "10,000,000", "20,000,000", "30,000,000", "40,000,000", "50,000,000"}},
      // 100 / 5 = 20 exactly: the last tick is the highest value itself.
      {100.0, 20.0, {"0", "20", "40", "60", "80", "100"}},
      // 0.9 / 5 = 0.18, step 0.2, one decimal.
      {0.9, 0.2, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
      // 12,345 / 5 = 2,469, step 5,000; 3 steps reach 15,000.
      {12345.0, 5000.0, {"0", "5,000", "10,000", "15,000"}},
      // Nothing drawn yet: an axis from 0 to 1.
      {0.0, 0.2, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
  };
  for (const Axis& a : axes) {
    const std::vector<AxisTick> ticks = errorAxisTicks(a.highest);
    QStringList labels;
    for (size_t i = 0; i < ticks.size(); ++i) {
      labels << ticks[i].label;
      QVERIFY2(std::abs(ticks[i].value - a.step * static_cast<double>(i)) < a.step * 1e-9,
               qPrintable(labels.join(' ')));
    }
    QCOMPARE(labels, a.labels);
    QVERIFY(ticks.back().value >= a.highest);
  }

  // What a run saved, in words.
  TrainingJob job;
  job.simName = "Long";
  job.passes = 50;
  job.targetWeightsFile = "/w/SIM/Long.SIM";
  job.trainWeightsFile = "/w/TRAINDATA/train.SIM";
  struct Report {
    TrainingEnd end;
    int passesDone;
    bool saved;
    const char* expected;
  };
  const std::vector<Report> reports{
      {TrainingEnd::kStopped, 3, true,
       "Training of SIM Long stopped after 3 of 50 passes.\nThe weights after pass 3 were saved as SIM Long "
       "(/w/SIM/Long.SIM) and to /w/TRAINDATA/train.SIM, where Train More goes on."},
      {TrainingEnd::kStopped, 0, true,
       "Training of SIM Long stopped after 0 of 50 passes.\nNo pass was finished: the weights it started "
       "from "
       "were saved as SIM Long (/w/SIM/Long.SIM) and to /w/TRAINDATA/train.SIM, where Train More goes on."},
      {TrainingEnd::kCompleted, 50, true,
       "Training of SIM Long made 50 of 50 passes.\nThe weights after pass 50 were saved as SIM Long "
       "(/w/SIM/Long.SIM) and to /w/TRAINDATA/train.SIM, where Train More goes on."},
      {TrainingEnd::kStopped, 3, false,
       "Training of SIM Long stopped after 3 of 50 passes.\nThe weights could not be saved: disk full"},
      {TrainingEnd::kFailed, 2, false,
       "Training of SIM Long made 2 of 50 passes.\nNothing was saved: disk full"},
  };
  for (const Report& r : reports) {
    TrainingOutcome outcome;
    outcome.end = r.end;
    outcome.passesDone = r.passesDone;
    outcome.saved = r.saved;
    if (!r.saved) outcome.problem = "disk full";
    QCOMPARE(savedReport(job, outcome), std::string(r.expected));
  }
  TrainingOutcome stopped;
  stopped.end = TrainingEnd::kStopped;
  stopped.passesDone = 3;
  QCOMPARE(stoppedTitle(job, stopped),
           std::string("Stridewell 5 - Training stopped by user after 3 of 50 passes; saved as SIM Long."));
}

void TrainCommandsTest::prepDialogStartsAsTheSettingsSay() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Alpha");
  frame.makeDataset("Sample");
  frame.writeSim("Mine");
  frame.store.write(setting::kTrainDataset, "sAMPLE");  // found ignoring case

  PrepSimDialog dialog(frame.ws(), frame.store, frame.ui);
  dialog.show();
  dialog.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Prep SIM"));
  auto* dataset = child<QComboBox>(dialog, "dataset");
  QCOMPARE(dataset->count(), 2);
  QCOMPARE(dataset->currentText(), QStringLiteral("Sample"));
  QVERIFY(child<QPushButton>(dialog, "prep")->isEnabled());
  QCOMPARE(child<QPushButton>(dialog, "prep")->text(), QStringLiteral("&Prep"));
  QCOMPARE(child<QPushButton>(dialog, "cancel")->text(), QStringLiteral("&Cancel"));
  QVERIFY(child<QRadioButton>(dialog, "randomStart")->isChecked());
  QVERIFY(child<QRadioButton>(dialog, "pressureHigh")->isChecked());
  auto* startSim = child<QComboBox>(dialog, "startSim");
  QVERIFY(!startSim->isEnabled());
  QCOMPARE(startSim->count(), 2);
  QCOMPARE(startSim->itemText(0), QStringLiteral("Default"));
  QCOMPARE(startSim->itemText(1), QStringLiteral("Mine"));
  for (const char* box : {"distanceBox", "classBox", "surfaceBox", "conditionBox"}) {
    QCOMPARE(child<QComboBox>(dialog, box)->currentText(), QStringLiteral("All"));
  }
  // No custom lists here: the class list ends with "Stakes only".
  auto* classes = child<QComboBox>(dialog, "classBox");
  QCOMPARE(classes->itemText(classes->count() - 1), QStringLiteral("Stakes only"));
  QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("distanceList")) == nullptr);
  bool noted = false;
  for (QLabel* label : dialog.findChildren<QLabel*>())
    noted |= label->text() == "(blank=all tracks in dataset)";
  QVERIFY(noted);
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dataset));

  // "SIM:" enables the drop-down, "Random Starting Point" disables it.
  child<QRadioButton>(dialog, "simStart")->setChecked(true);
  QVERIFY(startSim->isEnabled());
  child<QRadioButton>(dialog, "randomStart")->setChecked(true);
  QVERIFY(!startSim->isEnabled());

  // Each pressure gives its passes.
  const std::pair<const char*, int> pressures[] = {
      {"pressureLow", 5}, {"pressureMedium", 10}, {"pressureHigh", 25}, {"pressureVeryHigh", 50}};
  for (const auto& [name, passes] : pressures) {
    child<QRadioButton>(dialog, name)->setChecked(true);
    QCOMPARE(dialog.currentRequest().passes, passes);
  }
}

void TrainCommandsTest::prepDialogWithoutDatasetsCannotPrep() {
  Frame frame;
  QVERIFY(frame.startUp());
  PrepSimDialog dialog(frame.ws(), frame.store, frame.ui);
  QCOMPARE(child<QComboBox>(dialog, "dataset")->count(), 0);
  QVERIFY(!child<QPushButton>(dialog, "prep")->isEnabled());
}

void TrainCommandsTest::prepDialogChecksInOrder() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample");
  frame.writeSim("Alpha");
  frame.writeSim("Taken");

  struct Case {
    const char* name;
    const char* startSim;  // null: random
    std::vector<bool> answers;
    std::vector<RecordingInteraction::Call> calls;
    bool accepted;
  };
  using Call = RecordingInteraction::Call;
  const std::string forbidden = "SIM name cannot contain any of the following characters: ?*<\">/\\:|";
  const Case cases[] = {
      {"   ", nullptr, {}, {Call{Kind::kError, "ERROR", "SIM name cannot be blank."}}, false},
      {"a:b", nullptr, {}, {Call{Kind::kError, "ERROR", forbidden}}, false},
      {"Default",
       nullptr,
       {},
       {Call{Kind::kError, "ERROR", "The SIM name you have chosen is reserved.  Please pick another."}},
       false},
      {" Alpha ",
       "Alpha",
       {},
       {Call{Kind::kError, "ERROR", "Starting point and target SIM cannot be identical."}},
       false},
      // The identity test minds letter case; "alpha" then exists (ignoring
      // case) in the SIM folder, so the over-write question follows.
      {"alpha",
       "Alpha",
       {false},
       {Call{Kind::kQuery, "Query", "A SIM with that name already exists; over-write?"}},
       false},
      {"Taken",
       nullptr,
       {true},
       {Call{Kind::kQuery, "Query", "A SIM with that name already exists; over-write?"}},
       true},
      {"Fresh", "Default", {}, {}, true},
  };
  for (const Case& c : cases) {
    RecordingInteraction ui;
    for (bool answer : c.answers) ui.queueAnswers({answer});
    PrepSimDialog dialog(frame.ws(), frame.store, ui);
    dialog.show();
    child<QLineEdit>(dialog, "simName")->setText(QString::fromLatin1(c.name));
    if (c.startSim) {
      child<QRadioButton>(dialog, "simStart")->setChecked(true);
      auto* sims = child<QComboBox>(dialog, "startSim");
      sims->setCurrentIndex(sims->findText(QString::fromLatin1(c.startSim)));
    }
    child<QRadioButton>(dialog, "pressureMedium")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "prep"), Qt::LeftButton);
    QVERIFY2(ui.calls() == c.calls, c.name);
    QCOMPARE(dialog.result() == QDialog::Accepted, c.accepted);
    QCOMPARE(dialog.isVisible(), !c.accepted);
    if (c.accepted) {
      QCOMPARE(dialog.request().dataset, std::string("Sample"));
      QCOMPARE(dialog.request().simName, std::string(c.name));
      QCOMPARE(dialog.request().startSim, std::string(c.startSim ? c.startSim : ""));
      QCOMPARE(dialog.request().passes, 10);
    }
  }
}

void TrainCommandsTest::prepWritesTheMatchedSetAndTrainingCompletes() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample");
  QVERIFY(!frame.window->action(MenuCommand::kTrainSim)->isEnabled());

  // The progress window is open, captioned with the SIM name, while the run reads.
  QString progressCaption;
  QObject::connect(&frame.window->progressDialog(), &QDialog::windowTitleChanged,
                   [&](const QString& title) { progressCaption = title; });
  prepare(frame, QStringLiteral(" Tiny "), "pressureLow");
  QCOMPARE(progressCaption, QStringLiteral("Prep: Tiny"));
  QVERIFY(!frame.window->progressDialog().isVisible());
  QVERIFY(frame.window->menuEnabled());
  QCOMPARE(frame.store.read(setting::kTrainDataset, ""), std::string("Sample"));

  // The closing notice counts what the files hold.
  const auto patternBytes = fs::file_size(frame.trainData(kPatternFileName));
  QCOMPARE(patternBytes % sizeof(PatternRecord), uintmax_t{0});
  const auto patterns = static_cast<int32_t>(patternBytes / sizeof(PatternRecord));
  QVERIFY(patterns > 0);
  const TrainInfo info = readInfo(frame.trainData(kTrainInfoFileName));
  QCOMPARE(info.patternCount, patterns);
  QCOMPARE(info.passes, 5);
  QCOMPARE(std::string(info.simName), std::string("Tiny"));
  QCOMPARE(fs::path(info.targetPath), fs::path(frame.ws().sim) / "Tiny.SIM");
  QVERIFY(fs::exists(frame.trainData(kTrainWeightsFileName)));
  const std::vector<RecordingInteraction::Call> calls = frame.ui.calls();
  QCOMPARE(calls.size(), size_t{1});
  QCOMPARE(calls[0].caption, std::string("Prep complete"));
  QVERIFY2(calls[0].text.rfind(std::to_string(patterns) + " patterns (", 0) == 0, calls[0].text.c_str());

  // Train: the menu follows the run, the title shows it, the chart draws it.
  frame.window->updateCommandStates();
  QVERIFY(frame.window->action(MenuCommand::kTrainSim)->isEnabled());
  TrainingRunner* runner = train(frame);
  QVERIFY(runner != nullptr);
  QCOMPARE(frame.ui.queries().back(), std::string("Train?"));
  QVERIFY(
      waitForEnd(frame, *runner, QStringLiteral("Stridewell 5 - Training COMPLETE (5 passes)[SIM=Tiny]")));
  QCOMPARE(runner->join().end, TrainingEnd::kCompleted);
  QVERIFY(fs::exists(fs::path(frame.ws().sim) / "Tiny.SIM"));
  // The saved weights are the run's last state in both files.
  QCOMPARE(fs::file_size(fs::path(frame.ws().sim) / "Tiny.SIM"),
           fs::file_size(frame.trainData(kTrainWeightsFileName)));

  const std::vector<PassError> errors = runner->passErrors();
  QCOMPARE(errors.size(), size_t{5});
  for (size_t i = 0; i < errors.size(); ++i) {
    QCOMPARE(errors[i].pass, static_cast<int>(i) + 1);
    QVERIFY(std::isfinite(errors[i].tss) && errors[i].tss > 0.0);
  }
  TrainingChartWindow* chart = runner->chart();
  QVERIFY(chart != nullptr && chart->isVisible());
  QCOMPARE(chart->windowTitle(), QStringLiteral("Training: Tiny"));
  QTRY_COMPARE(chart->series()->count(), 5);
  for (int i = 0; i < 5; ++i) {
    QCOMPARE(chart->series()->at(i), QPointF(errors[i].pass, errors[i].tss));
  }
  // The axes say what they show; the error axis reaches the largest error
  // and its labels are the ticks' values, never in exponent form.
  QCOMPARE(chart->errorAxis()->titleText(), QStringLiteral("Training error (sum of squares)"));
  QCOMPARE(chart->passAxis()->titleText(), QStringLiteral("Pass"));
  double highest = 0.0;
  for (const PassError& e : errors) highest = std::max(highest, e.tss);
  const QStringList labels = chart->errorAxis()->categoriesLabels();
  QVERIFY(labels.size() >= 2);
  QVERIFY(chart->errorAxis()->max() >= highest);
  for (const QString& label : labels) {
    QVERIFY2(!label.contains(QLatin1Char('e')), qPrintable(label));
    QCOMPARE(QLocale(QLocale::English, QLocale::UnitedStates).toDouble(label),
             chart->errorAxis()->endValue(label));
  }
  // The status line says what the run saved.
  QTRY_VERIFY(chart->statusLine().contains(
      QString::fromStdString("The weights after pass 5 were saved as SIM Tiny (" +
                             (fs::path(frame.ws().sim) / "Tiny.SIM").string() + ")")));
  // No box for a run that simply ended: the one notice is the Prep's.
  QCOMPARE(frame.ui.texts(Kind::kNotice).size(), size_t{1});
  QVERIFY(frame.ui.errors().empty());
  frame.window->updateCommandStates();
  QVERIFY(frame.window->action(MenuCommand::kPrepSim)->isEnabled());
  QVERIFY(!frame.window->action(MenuCommand::kStopTraining)->isEnabled());
}

void TrainCommandsTest::prepCancelRemovesTheNewFiles() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample");
  // Cancel is pressed as soon as the progress window shows.
  QTimer cancel;
  cancel.setInterval(0);
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (frame.window->progressDialog().isVisible()) {
      frame.window->progressDialog().cancelButton()->click();
      cancel.stop();
    }
  });
  cancel.start();
  prepare(frame, QStringLiteral("Tiny"), "pressureLow");
  QCOMPARE(frame.ui.calls().size(), size_t{1});
  QCOMPARE(frame.ui.calls()[0].caption, std::string("Prep"));
  QCOMPARE(frame.ui.calls()[0].text, std::string("User aborted."));
  QVERIFY(!fs::exists(frame.trainData(kPatternFileName)));
  QVERIFY(!fs::exists(frame.trainData(kTrainWeightsFileName)));
  QVERIFY(frame.window->menuEnabled());
  frame.window->updateCommandStates();
  QVERIFY(!frame.window->action(MenuCommand::kTrainSim)->isEnabled());
}

void TrainCommandsTest::stopTrainingSavesAndHandicappingGoesOn() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample", kLongRunCopies);
  prepare(frame, QStringLiteral("Long"), "pressureVeryHigh");
  QVERIFY(fs::exists(frame.trainData(kPatternFileName)));
  TrainingRunner* runner = train(frame);
  QVERIFY(runner != nullptr && runner->running());

  // While it runs: the title shows the pass, Prep and Train wait, Stop is offered.
  // The training thread runs at lowered priority, so on a busy machine its
  // first pass may take a while.
  QTRY_VERIFY_WITH_TIMEOUT(frame.window->windowTitle().startsWith("Stridewell 5: Training Long [pass "),
                           kLongWait);
  {
    // The pass, its share and the run's share, worked out again here.
    const QRegularExpression shape(QStringLiteral(
        R"(^Stridewell 5: Training Long \[pass (\d+) of 50, (\d+)% of this pass; (\d+)% of the run\]$)"));
    const QRegularExpressionMatch match = shape.match(frame.window->windowTitle());
    QVERIFY2(match.hasMatch(), qPrintable(frame.window->windowTitle()));
    const int pass = match.captured(1).toInt();
    const int percent = match.captured(2).toInt();
    QVERIFY(pass >= 1 && pass <= 50 && percent >= 0 && percent <= 100);
    QCOMPARE(match.captured(3).toInt(), ((pass - 1) * 100 + percent) / 50);
  }
  frame.window->updateCommandStates();
  QVERIFY(!frame.window->action(MenuCommand::kPrepSim)->isEnabled());
  QVERIFY(!frame.window->action(MenuCommand::kTrainSim)->isEnabled());
  QVERIFY(frame.window->action(MenuCommand::kStopTraining)->isEnabled());

  // Handicapping uses the other model meanwhile.
  HandicapChoice choice;
  choice.setup.simName = "Default";
  choice.setup.simPath = (fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM").string();
  choice.files.push_back((kExamples / "SAX0313.TCF").string());
  frame.window->runHandicap(choice);
  QCOMPARE(frame.window->resultWindows().size(), size_t{1});
  QVERIFY(runner->running());  // fifty passes take longer than one card

  // Exit answered No: the SIM goes on training.
  frame.ui.clear();
  frame.ui.queueAnswers({false});
  frame.trigger(MenuCommand::kExit);
  QVERIFY(frame.window->isVisible());
  QVERIFY(runner->running());
  QCOMPARE(frame.ui.queries(), std::vector<std::string>{kStopTrainingAndExit});

  frame.trigger(MenuCommand::kStopTraining);
  QTRY_VERIFY_WITH_TIMEOUT(!runner->running() && !runner->endReport().empty(), kLongWait);
  const TrainingOutcome outcome = runner->join();
  QCOMPARE(outcome.end, TrainingEnd::kStopped);
  QVERIFY(outcome.saved);
  QVERIFY(outcome.passesDone < 50);
  QVERIFY(fs::exists(fs::path(frame.ws().sim) / "Long.SIM"));
  // The title and a notice say which pass was saved, as which SIM, and where.
  const QString title =
      QString::fromStdString("Stridewell 5 - Training stopped by user after " +
                             std::to_string(outcome.passesDone) + " of 50 passes; saved as SIM Long.");
  QVERIFY(waitForEnd(frame, *runner, title));
  QTRY_COMPARE(frame.ui.calls().size(), size_t{2});
  const RecordingInteraction::Call notice = frame.ui.calls()[1];
  QCOMPARE(notice.kind, Kind::kNotice);
  QCOMPARE(notice.caption, std::string("Training stopped"));
  QCOMPARE(notice.text, savedReport(runner->job(), outcome));
  QVERIFY(notice.text.find((fs::path(frame.ws().sim) / "Long.SIM").string()) != std::string::npos);
  QVERIFY(frame.ui.errors().empty());
}

void TrainCommandsTest::destroyingTheWindowStopsAndJoinsTheThread() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample", kLongRunCopies);
  prepare(frame, QStringLiteral("Gone"), "pressureVeryHigh");
  TrainingRunner* runner = train(frame);
  QVERIFY(runner != nullptr && runner->running());
  QVERIFY(!fs::exists(fs::path(frame.ws().sim) / "Gone.SIM"));
  const std::string sim = frame.ws().sim;
  // The window goes with the thread running: it stops it, and the stop
  // saves the SIM before the thread ends, before the models are freed.
  frame.window.reset();
  QVERIFY(fs::exists(fs::path(sim) / "Gone.SIM"));
}

void TrainCommandsTest::exitDuringTrainingStopsSavesAndCloses() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample", kLongRunCopies);
  prepare(frame, QStringLiteral("Quit"), "pressureVeryHigh");
  TrainingRunner* runner = train(frame);
  QVERIFY(runner != nullptr && runner->running());
  const fs::path sim = fs::path(frame.ws().sim) / "Quit.SIM";
  QVERIFY(!fs::exists(sim));
  frame.ui.clear();
  frame.ui.queueAnswers({true});
  frame.trigger(MenuCommand::kExit);
  // Stopped and saved as Stop Training would, then closed, without a box.
  QVERIFY(!frame.window->isVisible());
  QVERIFY(!runner->running());
  const TrainingOutcome outcome = runner->join();
  QCOMPARE(outcome.end, TrainingEnd::kStopped);
  QVERIFY(outcome.saved);
  QVERIFY(fs::exists(sim));
  QCOMPARE(fs::file_size(sim), fs::file_size(frame.trainData(kTrainWeightsFileName)));
  QCOMPARE(frame.ui.queries(), std::vector<std::string>{kStopTrainingAndExit});
  QCOMPARE(frame.ui.calls().size(), size_t{1});
}

void TrainCommandsTest::trainRefusesWithoutPreparation() {
  Frame frame;
  QVERIFY(frame.startUp());
  // No pattern file.
  frame.ui.queueAnswers({true});
  runTrainCommand(*frame.window, MenuCommand::kTrainSim);
  QCOMPARE(frame.ui.errors(), std::vector<std::string>{"No training data - do prep first"});
  // A pattern file without its train information.
  std::ofstream(frame.trainData(kPatternFileName), std::ios::binary) << "";
  frame.ui.queueAnswers({true});
  runTrainCommand(*frame.window, MenuCommand::kTrainSim);
  QCOMPARE(frame.ui.errors().back(), std::string("No train info file - do prep first"));
  // "Train?" answered No: nothing starts, nothing is said.
  const size_t before = frame.ui.calls().size();
  frame.ui.queueAnswers({false});
  runTrainCommand(*frame.window, MenuCommand::kTrainSim);
  QCOMPARE(frame.ui.calls().size(), before + 1);
  QCOMPARE(frame.ui.calls().back().text, std::string("Train?"));
  QVERIFY(!TrainingRunner::find(*frame.window)->running());
}

// A preparation that yields no pattern keeps the previous one; Train refuses
// an empty preparation, a SIM folder it could not save to and a train.SIM
// whose values are not all numbers, before any thread starts.
void TrainCommandsTest::prepAndTrainRefuseWhatCannotWork() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample");
  const auto readBytes = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const auto writeBytes = [](const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  };
  writeBytes(frame.trainData("train.SIM"), "old weights");
  writeBytes(frame.trainData(kPatternFileName), "old patterns");
  writeBytes(frame.trainData(kTrainInfoFileName), "old train info");
  whenDialogOpens<PrepSimDialog>([](PrepSimDialog& dialog) {
    child<QLineEdit>(dialog, "trackEdit")->setText(QStringLiteral("ZZZ"));
    prepThrough(dialog, QStringLiteral("Gamma"), "pressureLow");
  });
  frame.trigger(MenuCommand::kPrepSim);
  QTRY_COMPARE_WITH_TIMEOUT(frame.ui.errors().size(), size_t{1}, kLongWait);
  QVERIFY2(frame.ui.errors()[0].rfind("No race of the dataset Sample met the criteria", 0) == 0,
           frame.ui.errors()[0].c_str());
  QVERIFY(frame.ui.texts(Kind::kNotice).empty());
  QCOMPARE(readBytes(frame.trainData("train.SIM")), std::string("old weights"));
  QCOMPARE(readBytes(frame.trainData(kPatternFileName)), std::string("old patterns"));
  QCOMPARE(readBytes(frame.trainData(kTrainInfoFileName)), std::string("old train info"));

  const fs::path simFile = fs::path(frame.ws().sim) / "Alpha.SIM";
  const fs::path blocker = fs::path(frame.ws().sim).parent_path() / "blocker";
  writeBytes(blocker, "a file where a folder should be");
  std::string nanWeights(69000, '\0');
  const double nan = std::nan("");
  std::memcpy(nanWeights.data(), &nan, sizeof nan);
  struct Case {
    const char* name;
    int records;
    fs::path target;
    std::string trainWeights;  // "" = none
    std::string error;         // how the one error starts
  };
  const Case cases[] = {
      {"no pattern", 0, simFile, "", "The preparation holds no pattern to train on"},
      {"SIM folder is a file", 1, blocker / "Alpha.SIM", "",
       "Cannot save " + (blocker / "Alpha.SIM").string()},
      {"train.SIM holds NaN", 1, simFile, nanWeights,
       "Error loading SIM data\n" + frame.trainData("train.SIM").string() + " is damaged: value 0 "},
  };
  for (const Case& c : cases) {
    PatternRecord record{};
    record.horseCount = 6;
    for (int k = 0; k < 6; ++k) record.horses[k].finishPosition = k + 1;
    const size_t patternBytes = sizeof record * static_cast<size_t>(c.records);
    writeBytes(frame.trainData(kPatternFileName),
               std::string(reinterpret_cast<const char*>(&record), patternBytes));
    TrainInfo info{};
    std::strncpy(info.targetPath, c.target.c_str(), sizeof info.targetPath - 1);
    std::strncpy(info.simName, "Alpha", sizeof info.simName - 1);
    info.passes = 5;
    info.patternCount = c.records;
    writeBytes(frame.trainData(kTrainInfoFileName),
               std::string(reinterpret_cast<const char*>(&info), sizeof info));
    fs::remove(frame.trainData("train.SIM"));
    if (!c.trainWeights.empty()) writeBytes(frame.trainData("train.SIM"), c.trainWeights);
    frame.ui.clear();
    frame.ui.queueAnswers({true});
    runTrainCommand(*frame.window, MenuCommand::kTrainSim);
    QVERIFY2(frame.ui.errors().size() == 1, c.name);
    const std::string shown = std::string(c.name) + ": " + frame.ui.errors()[0];
    QVERIFY2(frame.ui.errors()[0].rfind(c.error, 0) == 0, shown.c_str());
    QVERIFY2(!TrainingRunner::find(*frame.window)->running(), c.name);
    QVERIFY2(!fs::exists(simFile), c.name);
  }
}

void TrainCommandsTest::deleteSimAsksAndDeletes() {
  Frame frame;
  QVERIFY(frame.startUp());
  {
    // Nothing to delete: the placeholder and a disabled button.
    SimDeleteDialog dialog(frame.ws());
    auto* sims = child<QComboBox>(dialog, "sims");
    QCOMPARE(sims->count(), 1);
    QCOMPARE(sims->itemText(0), QStringLiteral("<No SIM models have been created.>"));
    QVERIFY(!child<QPushButton>(dialog, "delete")->isEnabled());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Delete SIM"));
  }
  frame.writeSim("Alpha");
  frame.writeSim("Beta");
  struct Case {
    bool answer;
    bool gone;
  };
  for (const Case c : {Case{false, false}, Case{true, true}}) {
    frame.ui.queueAnswers({c.answer});
    whenDialogOpens<SimDeleteDialog>([](SimDeleteDialog& dialog) {
      auto* sims = child<QComboBox>(dialog, "sims");
      QCOMPARE(sims->itemText(0), QStringLiteral("Alpha"));  // "Default" is not offered
      sims->setCurrentIndex(sims->findText("Beta"));
      QTest::mouseClick(child<QPushButton>(dialog, "delete"), Qt::LeftButton);
    });
    frame.trigger(MenuCommand::kDeleteSim);
    QCOMPARE(frame.ui.queries().back(), std::string("Delete SIM \"Beta\"; are you sure?"));
    QCOMPARE(!fs::exists(fs::path(frame.ws().sim) / "Beta.SIM"), c.gone);
    QVERIFY(fs::exists(fs::path(frame.ws().sim) / "Alpha.SIM"));
  }
  // Cancel asks nothing.
  const size_t before = frame.ui.calls().size();
  whenDialogOpens<SimDeleteDialog>([](SimDeleteDialog& dialog) {
    QTest::mouseClick(child<QPushButton>(dialog, "cancel"), Qt::LeftButton);
  });
  frame.trigger(MenuCommand::kDeleteSim);
  QCOMPARE(frame.ui.calls().size(), before);
}

void TrainCommandsTest::deleteSimNamesTheMapRulesUsingIt() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.writeSim("Alpha");
  SimMap map = defaultSimMap();
  map.rules[0].sim = "Alpha";
  QVERIFY(saveSimMap(frame.store, 3, map));
  frame.ui.queueAnswers({false});
  whenDialogOpens<SimDeleteDialog>([](SimDeleteDialog& dialog) {
    QTest::mouseClick(child<QPushButton>(dialog, "delete"), Qt::LeftButton);
  });
  frame.trigger(MenuCommand::kDeleteSim);
  QCOMPARE(
      frame.ui.queries().back(),
      std::string("SIM \"Alpha\" is named by SI Map 4 rule 1. Races those rules pick will NOT be scored once "
                  "it is gone.\nDelete SIM \"Alpha\"; are you sure?"));
  QVERIFY(fs::exists(fs::path(frame.ws().sim) / "Alpha.SIM"));  // No keeps it
}

void TrainCommandsTest::renameSimChecksAsksAndRenames() {
  Frame frame;
  QVERIFY(frame.startUp());
  {
    SimRenameDialog dialog(frame.ws(), frame.ui);
    QCOMPARE(child<QComboBox>(dialog, "sims")->itemText(0),
             QStringLiteral("<No SIM models have been created.>"));
    QVERIFY(!child<QPushButton>(dialog, "rename")->isEnabled());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Rename SIM"));
  }
  frame.writeSim("Alpha", "alpha weights");
  frame.writeSim("Beta", "beta weights");

  // Refusals keep the dialog open with the focus in the edit.
  struct Refusal {
    const char* typed;
    const char* message;
  };
  const Refusal refusals[] = {
      {"  ", "New name cannot be blank."},
      {"a*b", "SIM name cannot contain any of the following characters: ?*<\">/\\:|"},
      {" Default", "The SIM name you have chosen is reserved.  Please pick another."},
  };
  for (const Refusal& r : refusals) {
    RecordingInteraction ui;
    SimRenameDialog dialog(frame.ws(), ui);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    child<QLineEdit>(dialog, "newName")->setText(QString::fromLatin1(r.typed));
    QTest::mouseClick(child<QPushButton>(dialog, "rename"), Qt::LeftButton);
    QCOMPARE(ui.errors(), std::vector<std::string>{r.message});
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(child<QLineEdit>(dialog, "newName")));
  }

  // Through the menu: the name is trimmed; No changes nothing; Yes renames.
  const auto renameThrough = [&frame](const char* oldName, const char* typed, bool answer) {
    frame.ui.queueAnswers({answer});
    whenDialogOpens<SimRenameDialog>([oldName, typed](SimRenameDialog& dialog) {
      auto* sims = child<QComboBox>(dialog, "sims");
      sims->setCurrentIndex(sims->findText(oldName));
      child<QLineEdit>(dialog, "newName")->setText(QString::fromLatin1(typed));
      QTest::mouseClick(child<QPushButton>(dialog, "rename"), Qt::LeftButton);
    });
    frame.trigger(MenuCommand::kRenameSim);
  };
  const fs::path sim = frame.ws().sim;
  renameThrough("Alpha", "  Gamma ", false);
  QCOMPARE(frame.ui.queries().back(), std::string("Rename SIM \"Alpha\" to \"Gamma\"; are you sure?"));
  QVERIFY(fs::exists(sim / "Alpha.SIM") && !fs::exists(sim / "Gamma.SIM"));
  renameThrough("Alpha", "  Gamma ", true);
  QVERIFY(!fs::exists(sim / "Alpha.SIM") && fs::exists(sim / "Gamma.SIM"));
  QVERIFY(frame.ui.errors().empty());
  // Onto an existing SIM: refused, both files as they were.
  renameThrough("Gamma", "Beta", true);
  QCOMPARE(frame.ui.errors(),
           std::vector<std::string>{"Rename failed.\n" + (sim / "Gamma.SIM").string() + " -> " +
                                    (sim / "Beta.SIM").string() + ": File exists"});
  std::ifstream gamma(sim / "Gamma.SIM");
  std::ifstream beta(sim / "Beta.SIM");
  std::string gammaText, betaText;
  std::getline(gamma, gammaText);
  std::getline(beta, betaText);
  QCOMPARE(gammaText, std::string("alpha weights"));
  QCOMPARE(betaText, std::string("beta weights"));
}

// A copy of the shipped SIM in the SIM folder: real weights the user may
// keep a record for.
void copyDefaultSim(Frame& frame, const std::string& name) {
  fs::copy_file(fs::path(frame.ws().programFolder) / "Default.SIM",
                fs::path(frame.ws().sim) / (name + ".SIM"), fs::copy_options::overwrite_existing);
}

QStringList viewerLines(ReportViewer& viewer) {
  QStringList lines;
  for (int i = 0; i < viewer.list()->count(); ++i) lines << viewer.list()->item(i)->text();
  return lines;
}

void TrainCommandsTest::reportCardNeedsADataset() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.window->updateCommandStates();
  QVERIFY(!frame.window->action(MenuCommand::kReportCard)->isEnabled());
  // The dialog itself, opened anyway, offers nothing to run.
  {
    ReportCardDialog dialog(frame.store, frame.ws(), frame.ui);
    QVERIFY(!child<QPushButton>(dialog, "ok")->isEnabled());
    QCOMPARE(child<QComboBox>(dialog, "datasets")->currentText(),
             QStringLiteral("<No datasets have been created.>"));
  }
  frame.makeDataset("Sample");
  frame.window->updateCommandStates();
  QVERIFY(frame.window->action(MenuCommand::kReportCard)->isEnabled());
  QCOMPARE(frame.window->action(MenuCommand::kReportCard)->text(), QStringLiteral("SIM Report &Card..."));
}

void TrainCommandsTest::reportCardRunShowsTheCardAndRecordsIt() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample");
  copyDefaultSim(frame, "Copy");
  frame.window->updateCommandStates();

  QString datasetDetails, simDetailsText;
  QStringList fitItems;
  whenDialogOpens<ReportCardDialog>([&](ReportCardDialog& dialog) {
    auto* sims = child<QComboBox>(dialog, "sims");
    sims->setCurrentIndex(sims->findText(QStringLiteral("Copy")));
    datasetDetails = child<QLabel>(dialog, "datasetDetails")->text();
    simDetailsText = child<QLabel>(dialog, "simDetails")->text();
    fitItems = test::itemTexts(child<QComboBox>(dialog, "fit"));
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
  });
  QStringList shown;
  QString copied;
  whenDialogOpens<ReportViewer>([&](ReportViewer& viewer) {
    shown = viewerLines(viewer);
    QTest::mouseClick(viewer.findChild<QPushButton*>(QStringLiteral("copyButton")), Qt::LeftButton);
    copied = QApplication::clipboard()->text();
    viewer.reject();
  });
  frame.trigger(MenuCommand::kReportCard);
  QTest::qWait(20);

  // The lists say what each item holds: 28 sample races over three days.
  QVERIFY2(datasetDetails.startsWith(QStringLiteral("28 races, 2026-03-13 to 2026-03-15, ")),
           qPrintable(datasetDetails));
  QVERIFY2(simDetailsText.startsWith(QStringLiteral("69,000 bytes, changed ")), qPrintable(simDetailsText));
  QCOMPARE(fitItems, (QStringList{"(none)", "Sample"}));

  // The same card as the run called directly with the same choices.
  EvaluateRequest request;
  request.datasetName = "Sample";
  request.datasetPath = (fs::path(frame.ws().datasets) / "Sample.DSI").string();
  request.simName = "Copy";
  request.simPath = (fs::path(frame.ws().sim) / "Copy.SIM").string();
  request.criteria = buildCriteria(CriteriaChoices{});
  SimModel model(true);
  QVERIFY(defineSimShape(model, {}, true) != 0);
  RecordingInteraction quiet;
  NoProgress none;
  std::ostringstream direct;
  const EvaluateOutcome outcome = runEvaluation(request, model, direct, quiet, none);
  QVERIFY(outcome.status == EvaluateStatus::kDone);
  QVERIFY(outcome.card.races > 0);
  QStringList expected = QString::fromStdString(direct.str()).split(QLatin1Char('\n'));
  if (!expected.isEmpty() && expected.back().isEmpty()) expected.removeLast();
  QCOMPARE(shown, expected);
  QVERIFY(shown.contains(QStringLiteral("Races counted:    %1").arg(outcome.card.races)));
  QCOMPARE(copied, QString::fromStdString(direct.str()));
  QVERIFY(frame.ui.errors().empty());
  QVERIFY(frame.window->menuEnabled());
  QVERIFY(!fs::exists(fs::path(frame.ws().temp) / kReportCardFile));

  // The headline is in the SIM's record.
  SimRecord record;
  QVERIFY(readSimRecord((fs::path(frame.ws().sim) / "Copy.INFO").string(), record) == SimRecordRead::kRead);
  QVERIFY(record.card.has_value());
  QCOMPARE(record.card->dataset, std::string("Sample"));
  QCOMPARE(record.card->races, outcome.card.races);
  QCOMPARE(record.card->topPickRate, static_cast<double>(outcome.card.topPickWon) / outcome.card.races);
}

void TrainCommandsTest::reportCardCancelLeavesNothing() {
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample", 4);
  copyDefaultSim(frame, "Copy");
  frame.window->updateCommandStates();
  whenDialogOpens<ReportCardDialog>([&](ReportCardDialog& dialog) {
    auto* sims = child<QComboBox>(dialog, "sims");
    sims->setCurrentIndex(sims->findText(QStringLiteral("Copy")));
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
  });
  QString caption;
  QTimer cancel;
  cancel.setInterval(0);
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (frame.window->progressDialog().isVisible()) {
      caption = frame.window->progressDialog().windowTitle();
      frame.window->progressDialog().cancelButton()->click();
      cancel.stop();
    }
  });
  cancel.start();
  bool viewerSeen = false;
  QObject viewerWatch;
  whenDialogOpens<ReportViewer>(
      [&](ReportViewer& viewer) {
        viewerSeen = true;
        viewer.reject();
      },
      &viewerWatch);
  frame.trigger(MenuCommand::kReportCard);
  QTest::qWait(50);
  QCOMPARE(caption, QString::fromLatin1(kReportCardCaption));
  QVERIFY(!viewerSeen);
  QVERIFY(frame.ui.empty());
  QVERIFY(frame.window->menuEnabled());
  QVERIFY(!fs::exists(fs::path(frame.ws().sim) / "Copy.INFO"));
  QVERIFY(!fs::exists(fs::path(frame.ws().temp) / kReportCardFile));
}

void TrainCommandsTest::screenshots() {
  const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("set STRIDEWELL_SCREENSHOTS to a folder to save the screenshots");
  fs::create_directories(folder.toStdString());
  Frame frame;
  QVERIFY(frame.startUp());
  frame.makeDataset("Sample");
  frame.writeSim("Sprinters");
  frame.store.write(setting::kTrainDataset, "Sample");
  {
    PrepSimDialog dialog(frame.ws(), frame.store, frame.ui);
    child<QLineEdit>(dialog, "simName")->setText("Routes");
    child<QComboBox>(dialog, "distanceBox")->setCurrentIndex(1);
    dialog.show();
    QTest::qWait(100);
    QVERIFY(dialog.grab().save(QString::fromLocal8Bit(folder) + "/prep-sim.png"));
  }
  prepare(frame, QStringLiteral("Routes"), "pressureMedium");
  TrainingRunner* runner = train(frame);
  QVERIFY(runner != nullptr);
  QVERIFY(
      waitForEnd(frame, *runner, QStringLiteral("Stridewell 5 - Training COMPLETE (10 passes)[SIM=Routes]")));
  QTRY_COMPARE(runner->chart()->series()->count(), 10);
  QTest::qWait(100);
  QVERIFY(runner->chart()->grab().save(QString::fromLocal8Bit(folder) + "/training-chart.png"));

  // The report card of the SIM just trained: its dialog and its window.
  frame.window->updateCommandStates();
  bool dialogSaved = false, cardSaved = false;
  whenDialogOpens<ReportCardDialog>([&](ReportCardDialog& dialog) {
    auto* sims = child<QComboBox>(dialog, "sims");
    sims->setCurrentIndex(sims->findText(QStringLiteral("Routes")));
    QTest::qWait(100);
    dialogSaved = dialog.grab().save(QString::fromLocal8Bit(folder) + "/report-card-dialog.png");
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
  });
  whenDialogOpens<ReportViewer>([&](ReportViewer& viewer) {
    viewer.resize(760, 640);
    QTest::qWait(100);
    cardSaved = viewer.grab().save(QString::fromLocal8Bit(folder) + "/report-card.png");
    viewer.reject();
  });
  frame.trigger(MenuCommand::kReportCard);
  QVERIFY(dialogSaved);
  QVERIFY(cardSaved);
}

QTEST_MAIN(TrainCommandsTest)
#include "train_commands_test.moc"
