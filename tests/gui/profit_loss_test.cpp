// The Profit/Loss Analysis command driven through its windows on the
// offscreen platform: the dialog's criteria controls (CUSTOM lists shown
// only while chosen, "&RESET", the choices remembered in the process and
// not in the settings), its checks and settings; a whole run over a dataset
// made from the sample cards, whose report, comma copy and chart are
// checked against the core run called directly with the same choices;
// printing, Cancel on the progress window, and the errors before a run.
// The breakdown window opened from the report: its table and bars against
// the core breakdown of the same races. With STRIDEWELL_SCREENSHOTS set to
// a folder, also writes pictures of the dialog, the profit chart and the
// breakdown there.
#include <QApplication>
#include <QBarSet>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/segment_breakdown.h"
#include "analysis/strategy_family.h"
#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_name.h"
#include "gui/criteria_controls.h"
#include "gui/main_window.h"
#include "gui/profit_loss_chart.h"
#include "gui/profit_loss_command.h"
#include "gui/profit_loss_dialog.h"
#include "gui/progress_dialog.h"
#include "gui/report_viewer.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "operations/profit_loss_run.h"
#include "race/criteria_choices.h"
#include "support/isolated_user.h"
#include "support/recording_interaction.h"
#include "value_betting_test.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using namespace stridewell::gui;
using stridewell::test::RecordingInteraction;

using stridewell::test::child;
using stridewell::test::itemTexts;

namespace {

const fs::path kSamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "plain";

QStringList fileLines(const fs::path& file) {
  QStringList lines;
  std::ifstream in(file, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines << QString::fromStdString(line);
  return lines;
}

void check(QListWidget* list, int row, bool on = true) {
  list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

// The polls under way; each test's end stops them, so that none outlives
// the test whose variables it touches.
std::vector<std::shared_ptr<std::function<void()>>>& polls() {
  static std::vector<std::shared_ptr<std::function<void()>>> all;
  return all;
}

void stopPolls() {
  for (auto& poll : polls()) *poll = nullptr;
  polls().clear();
}

// Calls `handle` with the first visible window of type T once one shows,
// from the event loop of whatever modal window or run is under way; gives
// up after ten seconds (the waiting test then fails on what is missing).
template <typename T>
void whenShown(std::function<void(T&)> handle) {
  auto deadline = std::make_shared<QDeadlineTimer>(10000);
  auto poll = std::make_shared<std::function<void()>>();
  std::weak_ptr<std::function<void()>> weak = poll;
  *poll = [handle, deadline, weak] {
    const auto self = weak.lock();
    if (!self) return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) {
        const std::function<void(T&)> keep = handle;  // outlives the poll's closure
        *self = nullptr;
        keep(*found);
        return;
      }
    }
    if (deadline->hasExpired()) {
      *self = nullptr;
      return;
    }
    QTimer::singleShot(10, [weak] {
      if (const auto again = weak.lock(); again && *again) (*again)();
    });
  };
  polls().push_back(poll);
  QTimer::singleShot(0, [weak] {
    if (const auto first = weak.lock(); first && *first) (*first)();
  });
}

// A user of its own, a main window that went through start-up there, and
// optionally the dataset "Spring" made from the three sample days.
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
  std::string reportPath() const { return joinPath(window.workspace().temp, "bets.txt"); }
  // A run over the dataset "Spring" with the shipped Default SIM, all races.
  ProfitLossChoice springChoice() const {
    ProfitLossChoice choice;
    choice.request.datasetName = "Spring";
    choice.request.datasetPath = datasetPath(window.workspace(), "Spring");
    choice.request.simName = "Default";
    choice.request.simPath = joinPath(window.workspace().programFolder, "Default.SIM");
    choice.request.criteria = buildCriteria(CriteriaChoices{});
    return choice;
  }

  test::IsolatedUser user;
  RecordingInteraction ui;
  SettingsStore store;
  MainWindow window;
};

// What the core run gives for the same choices, called directly.
struct DirectRun {
  QStringList lines;
  QString comma;
  StrategyTotalsTable totals{};
  std::vector<SettledRace> settled;
  int races = 0;
};

DirectRun runDirectly(const Workspace& workspace, const ProfitLossRequest& request) {
  DirectRun run;
  auto model = std::make_unique<SimModel>(true);
  if (defineSimShape(*model, {}, true) == 0) qFatal("no SIM shape");
  const std::string path = joinPath(workspace.temp, "direct.txt");
  std::ostringstream comma;
  RecordingInteraction ui;
  NoProgress progress;
  const ProfitLossOutcome outcome =
      runProfitLoss(request, *model, path, &comma, ui, progress, &run.totals, realFileSystem(), &run.settled);
  if (outcome.status != ProfitLossStatus::kDone) qFatal("direct run failed");
  run.lines = fileLines(path);
  run.races = outcome.racesAnalyzed;
  fs::remove(path);
  // The clipboard holds each line ended by CR LF.
  run.comma = QString::fromStdString(comma.str()).replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return run;
}

// The classes the runs below pick from the CUSTOM list: maiden special
// weight, every claiming band and the allowance bands up to $30,000.
constexpr int kPickedClasses[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

}  // namespace

class ProfitLossTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ProfitLossDialog::rememberedChoices() = CriteriaChoices{}; }
  void cleanup() { stopPolls(); }

  void dialogControls() {
    Frame frame;
    QVERIFY(frame.startUp());
    std::ofstream(fs::path(frame.window.workspace().sim) / "Zeta.SIM") << "weights";
    std::ofstream(fs::path(frame.window.workspace().sim) / "alpha.SIM") << "weights";
    ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    QCOMPARE(dialog.windowTitle(), QString("Profit/Loss Analysis"));
    QCOMPARE(itemTexts(child<QComboBox>(dialog, "datasets")),
             QStringList({"<No datasets have been created.>"}));
    QCOMPARE(itemTexts(child<QComboBox>(dialog, "sims")), QStringList({"Default", "alpha", "Zeta"}));
    QCOMPARE(child<QGroupBox>(dialog, "criteriaGroup")->title(),
             QString("Race Selection Criteria (only races matching these criteria are used)"));
    QCOMPARE(itemTexts(child<QComboBox>(dialog, "distanceBox")),
             QStringList({"All", "Routes only", "Sprints only", "CUSTOM"}));
    QCOMPARE(itemTexts(child<QComboBox>(dialog, "classBox")),
             QStringList({"All", "Maiden Claiming only", "Maiden Special Weight only", "Claiming only",
                          "Allowance only", "Stakes only", "CUSTOM"}));
    QCOMPARE(child<QListWidget>(dialog, "distanceList")->count(), 25);
    QCOMPARE(child<QListWidget>(dialog, "distanceList")->item(13)->text(), QString("1+1/16 miles"));
    QCOMPARE(child<QListWidget>(dialog, "classList")->count(), 23);
    QCOMPARE(child<QListWidget>(dialog, "classList")->item(22)->text(), QString("Stakes: Non-Graded"));
    QCOMPARE(child<QLineEdit>(dialog, "trackEdit")->maxLength(), 3);

    // The three fixed options: set, hidden and out of reach.
    struct Fixed {
      const char* name;
      const char* text;
      bool checked;
    };
    for (const Fixed& fixed :
         {Fixed{"autoScratch", "Auto Scratch", true}, Fixed{"forceDry", "Force DRY", true},
          Fixed{"skipTurf", "Skip TURF -> DIRT", false}}) {
      auto* box = child<QCheckBox>(dialog, fixed.name);
      QCOMPARE(box->text(), QString(fixed.text));
      QCOMPARE(box->isChecked(), fixed.checked);
      QVERIFY(box->isHidden());
      QVERIFY(!box->isEnabled());
    }
    QCOMPARE(child<QCheckBox>(dialog, "morningLine")->text(),
             QString("Use Morning Line Odds (instead of Actual Track Odds)"));
    QCOMPARE(child<QPushButton>(dialog, "reset")->text(), QString("&RESET"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.focusWidget(), child<QPushButton>(dialog, "reset"));
  }

  void customListsShowOnlyWhileChosenAndResetClearsAll() {
    Frame frame;
    QVERIFY(frame.startUp());
    ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    dialog.show();
    auto* distance = child<QComboBox>(dialog, "distanceBox");
    auto* raceClass = child<QComboBox>(dialog, "classBox");
    auto* distances = child<QListWidget>(dialog, "distanceList");
    auto* classes = child<QListWidget>(dialog, "classList");
    QVERIFY(!distances->isVisible());
    QVERIFY(!classes->isVisible());

    struct Step {
      int distanceItem;
      int classItem;
      bool distancesShown;
      bool classesShown;
    };
    const Step steps[] = {{3, 0, true, false},
                          {3, 6, true, true},
                          {1, 6, false, true},
                          {0, 5, false, false},
                          {3, 6, true, true}};
    for (const Step& step : steps) {
      distance->setCurrentIndex(step.distanceItem);
      raceClass->setCurrentIndex(step.classItem);
      QCOMPARE(distances->isVisible(), step.distancesShown);
      QCOMPARE(classes->isVisible(), step.classesShown);
    }

    check(distances, 4);
    check(classes, 19);
    child<QComboBox>(dialog, "surfaceBox")->setCurrentIndex(2);
    child<QComboBox>(dialog, "conditionBox")->setCurrentIndex(1);
    child<QLineEdit>(dialog, "trackEdit")->setText("AQ");
    QTest::mouseClick(child<QPushButton>(dialog, "reset"), Qt::LeftButton);
    for (const char* box : {"distanceBox", "classBox", "surfaceBox", "conditionBox"}) {
      QCOMPARE(child<QComboBox>(dialog, box)->currentIndex(), 0);
    }
    QCOMPARE(child<QLineEdit>(dialog, "trackEdit")->text(), QString());
    QVERIFY(!distances->isVisible());
    QVERIFY(!classes->isVisible());
    for (QListWidget* list : {distances, classes}) {
      for (int i = 0; i < list->count(); ++i) QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
    }
  }

  void emptyCustomListsAreRefusedClassesFirst() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    dialog.show();
    child<QComboBox>(dialog, "distanceBox")->setCurrentIndex(kDistanceCustomItem);
    child<QComboBox>(dialog, "classBox")->setCurrentIndex(kClassCustomItem);
    auto* ok = child<QPushButton>(dialog, "ok");

    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(frame.ui.errors(), std::vector<std::string>({"Custom class list is empty (no checked items)."}));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget(), child<QListWidget>(dialog, "classList"));

    check(child<QListWidget>(dialog, "classList"), 3);
    frame.ui.clear();
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(frame.ui.errors(),
             std::vector<std::string>({"Custom distance list is empty (no checked items)."}));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget(), child<QListWidget>(dialog, "distanceList"));
    // Nothing was written or remembered yet.
    QCOMPARE(frame.store.read(setting::kTestDataset, "none"), std::string("none"));
    QCOMPARE(ProfitLossDialog::rememberedChoices().raceClass, 0);

    check(child<QListWidget>(dialog, "distanceList"), 6);
    frame.ui.clear();
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(frame.ui.empty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const RaceCriteria& criteria = dialog.choice().request.criteria;
    QCOMPARE(int(criteria.distanceFlags), 0x08);
    QCOMPARE(int(criteria.classFlags), 0x40);
  }

  // Enter means OK wherever the focus is (the focus starts on RESET), except
  // in a check list, where it must neither run nor reset. With no dataset, a
  // run of OK ends the dialog with its error box; RESET would empty the track.
  void enterRunsOkNeverResetNorFromAList() {
    Frame frame;
    QVERIFY(frame.startUp());
    struct Case {
      const char* focus;
      bool runsOk;
    };
    const Case cases[] = {
        {"reset", true}, {"trackEdit", true}, {"sims", true}, {"classList", false}, {"morningLine", true}};
    for (const Case& c : cases) {
      frame.ui.clear();
      ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      child<QComboBox>(dialog, "classBox")->setCurrentIndex(kClassCustomItem);
      check(child<QListWidget>(dialog, "classList"), 3);
      child<QLineEdit>(dialog, "trackEdit")->setText("AQ");
      auto* target = child<QWidget>(dialog, c.focus);
      target->setFocus();
      QTest::keyClick(target, Qt::Key_Return);
      QVERIFY2(dialog.isVisible() != c.runsOk, c.focus);
      const std::vector<std::string> expected =
          c.runsOk ? std::vector<std::string>{"No datasets exist.  See 'Create DataSet...'"}
                   : std::vector<std::string>{};
      QVERIFY2(frame.ui.errors() == expected, c.focus);
      QVERIFY2(child<QLineEdit>(dialog, "trackEdit")->text() == QString("AQ"), c.focus);
      QVERIFY2(child<QComboBox>(dialog, "classBox")->currentIndex() == kClassCustomItem, c.focus);
    }
  }

  void okWritesTheSettingsAndRemembersTheChoicesForThisRunOnly() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    QVERIFY(frame.makeDataset("autumn"));
    std::ofstream(fs::path(frame.window.workspace().sim) / "Mine.SIM") << "weights";
    frame.store.write(setting::kTestDataset, "SPRING");
    frame.store.write(setting::kTestSimName, "mine");
    frame.store.write(setting::kShortReport, "y");
    frame.store.write(setting::kClipboard, "Y");  // only exactly "y" counts
    {
      ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
      QCOMPARE(child<QComboBox>(dialog, "datasets")->currentText(), QString("Spring"));
      QCOMPARE(child<QComboBox>(dialog, "sims")->currentText(), QString("Mine"));
      QVERIFY(!child<QCheckBox>(dialog, "morningLine")->isChecked());
      QVERIFY(child<QCheckBox>(dialog, "shortReport")->isChecked());
      QVERIFY(!child<QCheckBox>(dialog, "clipboard")->isChecked());

      child<QComboBox>(dialog, "datasets")->setCurrentText("autumn");
      child<QComboBox>(dialog, "sims")->setCurrentIndex(0);
      child<QCheckBox>(dialog, "morningLine")->setChecked(true);
      child<QCheckBox>(dialog, "clipboard")->setChecked(true);
      child<QComboBox>(dialog, "distanceBox")->setCurrentIndex(2);
      // Checks of a list that is not in use are not remembered.
      check(child<QListWidget>(dialog, "distanceList"), 0);
      child<QComboBox>(dialog, "classBox")->setCurrentIndex(kClassCustomItem);
      check(child<QListWidget>(dialog, "classList"), 8);
      check(child<QListWidget>(dialog, "classList"), 20);
      child<QComboBox>(dialog, "surfaceBox")->setCurrentIndex(3);
      child<QComboBox>(dialog, "conditionBox")->setCurrentIndex(2);
      child<QLineEdit>(dialog, "trackEdit")->setText(" qz");
      QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      const ProfitLossRequest& request = dialog.choice().request;
      QCOMPARE(request.datasetName, std::string("autumn"));
      QCOMPARE(request.datasetPath, datasetPath(frame.window.workspace(), "autumn"));
      QCOMPARE(request.simName, std::string("Default"));
      QCOMPARE(request.simPath, joinPath(frame.window.workspace().programFolder, "Default.SIM"));
      QVERIFY(request.options.autoScratch && request.options.forceDry && !request.options.skipTurfToDirt);
      QVERIFY(request.options.morningLineOdds && request.options.shortReport);
      QVERIFY(dialog.choice().copyToClipboard);
      QCOMPARE(std::string(request.criteria.trackCode), std::string("qzX"));
      QCOMPARE(int(request.criteria.trackFlags), 0);
      QCOMPARE(int(request.criteria.surfaceFlags), 0x08);
      QCOMPARE(int(request.criteria.conditionFlags), 0x04);
    }
    // What another run of the program would read.
    const SettingsStore reread(frame.store.file());
    struct Key {
      std::string_view key;
      const char* value;
    };
    for (const Key& key :
         {Key{setting::kAutoScratch, "y"}, Key{setting::kForceDry, "y"}, Key{setting::kSkipTurfToDirt, "n"},
          Key{setting::kUseMorningLineOdds, "y"}, Key{setting::kShortReport, "y"},
          Key{setting::kClipboard, "y"}, Key{setting::kTestDataset, "autumn"}}) {
      QCOMPARE(reread.read(key.key, "?"), std::string(key.value));
    }
    // The SIM is remembered by the run, once its weights have loaded: OK
    // leaves the last one in place.
    QCOMPARE(reread.read(setting::kTestSimName, "?"), std::string("mine"));
    // The criteria are in no settings file.
    std::ifstream file(frame.store.file());
    const std::string settingsText((std::istreambuf_iterator<char>(file)), {});
    QVERIFY(settingsText.find("qz") == std::string::npos);

    // The next dialog of this run shows them again.
    ProfitLossDialog again(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    again.show();
    QCOMPARE(child<QComboBox>(again, "distanceBox")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(again, "classBox")->currentIndex(), kClassCustomItem);
    QCOMPARE(child<QComboBox>(again, "surfaceBox")->currentIndex(), 3);
    QCOMPARE(child<QComboBox>(again, "conditionBox")->currentIndex(), 2);
    QCOMPARE(child<QLineEdit>(again, "trackEdit")->text(), QString("qz"));
    QVERIFY(child<QListWidget>(again, "classList")->isVisible());
    QVERIFY(!child<QListWidget>(again, "distanceList")->isVisible());
    for (int i = 0; i < kCriteriaClassCount; ++i) {
      QCOMPARE(child<QListWidget>(again, "classList")->item(i)->checkState() == Qt::Checked,
               i == 8 || i == 20);
    }
    QCOMPARE(child<QListWidget>(again, "distanceList")->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(child<QComboBox>(again, "datasets")->currentText(), QString("autumn"));

    // Cancel remembers nothing.
    child<QComboBox>(again, "surfaceBox")->setCurrentIndex(1);
    QTest::mouseClick(child<QPushButton>(again, "cancel"), Qt::LeftButton);
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(ProfitLossDialog::rememberedChoices().surface, 3);
  }

  void noDatasetsEndsAsCancelledAfterTheOptionsAreWritten() {
    Frame frame;
    QVERIFY(frame.startUp());
    ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
    dialog.show();
    child<QCheckBox>(dialog, "shortReport")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
    QCOMPARE(frame.ui.errors(), std::vector<std::string>({"No datasets exist.  See 'Create DataSet...'"}));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(frame.store.read(setting::kShortReport, "?"), std::string("y"));
    QCOMPARE(frame.store.read(setting::kTestSimName, "?"), std::string("?"));
    QCOMPARE(frame.store.read(setting::kTestDataset, "?"), std::string("?"));
  }

  // The whole command from the menu: the dialog with a CUSTOM class list,
  // the run, the comma copy on the clipboard, the report in the viewer and
  // its chart, each against the core run called with the same choices.
  void wholeRunFromTheMenu() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    QGuiApplication::clipboard()->clear();

    bool dialogSeen = false;
    bool viewerSeen = false;
    bool chartSeen = false;
    QStringList shownLines;
    QString viewerTitle;
    QList<qreal> bars;
    QString figures;
    CriteriaChoices picked;
    whenShown<ProfitLossDialog>([&](ProfitLossDialog& dialog) {
      dialogSeen = true;
      child<QComboBox>(dialog, "classBox")->setCurrentIndex(kClassCustomItem);
      for (int item : kPickedClasses) check(child<QListWidget>(dialog, "classList"), item);
      child<QCheckBox>(dialog, "clipboard")->setChecked(true);
      picked = dialog.criteria()->choices();
      whenShown<ReportViewer>([&](ReportViewer& viewer) {
        viewerSeen = true;
        viewerTitle = viewer.windowTitle();
        shownLines = itemTexts(viewer.list());
        auto* chartButton = child<QPushButton>(viewer, "chartButton");
        whenShown<ProfitChartDialog>([&](ProfitChartDialog& chart) {
          chartSeen = true;
          for (int i = 0; i < chart.profitBars()->count(); ++i) bars << chart.profitBars()->at(i);
          figures = chart.figures()->text();
          QTest::mouseClick(child<QPushButton>(chart, "close"), Qt::LeftButton);
          QTimer::singleShot(0, viewer.cancelButton(),
                             [&viewer] { QTest::mouseClick(viewer.cancelButton(), Qt::LeftButton); });
        });
        QTest::mouseClick(chartButton, Qt::LeftButton);
      });
      QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
    });
    frame.window.action(MenuCommand::kProfitLoss)->trigger();
    QVERIFY(dialogSeen);
    QVERIFY(viewerSeen);
    QVERIFY(chartSeen);
    QCOMPARE(viewerTitle, QString("Profit/Loss Analysis"));
    QVERIFY2(frame.ui.empty(), frame.ui.empty() ? "" : frame.ui.calls().front().text.c_str());
    QVERIFY(frame.window.menuEnabled());
    QVERIFY(!fs::exists(frame.reportPath()));
    QCOMPARE(frame.store.read(setting::kTestSimName, "?"), std::string("Default"));

    ProfitLossRequest request;
    request.datasetName = "Spring";
    request.datasetPath = datasetPath(frame.window.workspace(), "Spring");
    request.simName = "Default";
    request.simPath = joinPath(frame.window.workspace().programFolder, "Default.SIM");
    request.criteria = buildCriteria(picked);
    const DirectRun direct = runDirectly(frame.window.workspace(), request);
    QVERIFY(direct.races > 0);
    QCOMPARE(shownLines, direct.lines);
    // The custom list is described in the header.
    QVERIFY(shownLines.size() > 3);
    QCOMPARE(shownLines[0], QString("DataSet:   Spring"));
    QCOMPARE(shownLines[1], QString("SIM Model: Default"));
    QVERIFY(shownLines[2].startsWith("Maiden Special Weight"));
    QCOMPARE(shownLines.last(), QString("%1 races analyzed.").arg(direct.races));

    const QString clip = QGuiApplication::clipboard()->text();
    QCOMPARE(clip, direct.comma);
    QVERIFY(clip.startsWith("BetType,#bets,#hits,hit%,$Bet,$Payout,Profit(%)\r\n"));
    QCOMPARE(clip.count("\r\n"), 1 + kStrategyCount);

    const auto families = familyTotals(direct.totals);
    QCOMPARE(bars.size(), kStrategyFamilyCount);
    for (int i = 0; i < kStrategyFamilyCount; ++i) {
      QVERIFY(std::abs(bars[i] - profitPercent(families[static_cast<size_t>(i)])) < 1e-9);
      QVERIFY(figures.contains(QString::fromStdString(
          familySummaryLine(static_cast<StrategyFamily>(i), families[static_cast<size_t>(i)]))));
    }
    // Some of the samples' money was bet on every family.
    for (const FamilyTotals& family : families) QVERIFY(family.amountBet > 0);
  }

  // The breakdown window of a run's report: WIN by odds band at first, then
  // any strategy by any key, each table ending in the strategy's totals
  // and each bar the return of its row.
  void breakdownFromTheReport() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    const ProfitLossChoice choice = frame.springChoice();
    const DirectRun direct = runDirectly(frame.window.workspace(), choice.request);
    QVERIFY(direct.races > 0);
    QCOMPARE(direct.settled.size(), size_t(direct.races));

    struct Seen {
      QString strategy;
      QString key;
      QStringList labels;  // first column, total row included
      std::vector<double> bets, returned, bars;
    };
    auto read = [](ProfitBreakdownDialog& dialog) {
      Seen seen;
      seen.strategy = dialog.strategyBox()->currentText();
      seen.key = dialog.keyBox()->currentText();
      QTableWidget* table = dialog.table();
      for (int row = 0; row < table->rowCount(); ++row) {
        seen.labels << table->item(row, 0)->text();
        seen.bets.push_back(table->item(row, 4)->text().toDouble());
        seen.returned.push_back(table->item(row, 5)->text().toDouble());
      }
      for (int i = 0; i < dialog.returnBars()->count(); ++i) seen.bars.push_back(dialog.returnBars()->at(i));
      return seen;
    };
    const int bwin = findStrategy("BWIN");
    std::vector<Seen> seen;
    bool shown = false;
    whenShown<ReportViewer>([&](ReportViewer& viewer) {
      whenShown<ProfitBreakdownDialog>([&](ProfitBreakdownDialog& dialog) {
        shown = true;
        seen.push_back(read(dialog));
        dialog.strategyBox()->setCurrentIndex(bwin);
        dialog.keyBox()->setCurrentIndex(static_cast<int>(SegmentKey::kMonth));
        seen.push_back(read(dialog));
        const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
        if (!folder.isEmpty()) {
          dialog.strategyBox()->setCurrentIndex(kDefaultBreakdownStrategy);
          dialog.keyBox()->setCurrentIndex(static_cast<int>(SegmentKey::kOdds));
          dialog.resize(820, 720);
          QTest::qWait(200);
          dialog.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("profit-breakdown.png"));
        }
        QTest::mouseClick(child<QPushButton>(dialog, "close"), Qt::LeftButton);
        QTimer::singleShot(0, viewer.cancelButton(),
                           [&viewer] { QTest::mouseClick(viewer.cancelButton(), Qt::LeftButton); });
      });
      QTest::mouseClick(child<QPushButton>(viewer, "breakdownButton"), Qt::LeftButton);
    });
    runProfitLoss(frame.window, choice, defaultProfitLossServices());
    QVERIFY(shown);
    QCOMPARE(seen.size(), size_t(2));
    QCOMPARE(seen[0].strategy, QString("WIN"));
    QCOMPARE(seen[0].key, QString("Odds band"));
    QCOMPARE(seen[1].strategy, QString("BWIN"));
    QCOMPARE(seen[1].key, QString("Month"));

    const int strategies[] = {kDefaultBreakdownStrategy, bwin};
    const SegmentKey keys[] = {SegmentKey::kOdds, SegmentKey::kMonth};
    for (size_t c = 0; c < seen.size(); ++c) {
      const Seen& s = seen[c];
      const StrategyTotals& line = direct.totals[static_cast<size_t>(strategies[c])];
      const SegmentBreakdown expected = breakDown(direct.settled, keys[c], strategies[c]);
      QCOMPARE(s.labels.size(), qsizetype(expected.rows.size() + 1));
      QVERIFY(!expected.rows.empty());
      QCOMPARE(s.labels.last(), QString("Total"));
      // The total row is the strategy's line of the report.
      QCOMPARE(s.bets.back(), double(line.amountBet));
      QVERIFY(std::abs(s.returned.back() - double(line.amountPaid)) < 0.006);
      QCOMPARE(s.bars.size(), expected.rows.size());
      double betSum = 0;
      for (size_t i = 0; i < expected.rows.size(); ++i) {
        QCOMPARE(s.labels[qsizetype(i)], QString::fromStdString(expected.rows[i].segment.label));
        betSum += s.bets[i];
        // Each bar is the return of its row: (returned - bet) / bet.
        const double percent = (s.returned[i] - s.bets[i]) / s.bets[i] * 100.0;
        QVERIFY2(std::abs(s.bars[i] - percent) < 0.01, qPrintable(s.labels[qsizetype(i)]));
      }
      QCOMPARE(betSum, double(line.amountBet));
    }
  }

  void printingTheReport() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    ProfitLossChoice choice = frame.springChoice();
    choice.request.options.shortReport = true;

    struct Case {
      const char* what;
      bool printResult;
      std::vector<std::string> errors;
    };
    const Case cases[] = {{"printed", true, {}}, {"printer failed", false, {"Error during print."}}};
    for (const Case& c : cases) {
      frame.ui.clear();
      ProfitLossServices services = defaultProfitLossServices();
      std::vector<std::string> printed;
      QStringList printedLines;
      services.print = [&](const std::string& path, const std::string& title, QWidget*) {
        printed.push_back(title);
        printedLines = fileLines(path);
        return c.printResult;
      };
      QStringList shown;
      whenShown<ReportViewer>([&](ReportViewer& viewer) {
        shown = itemTexts(viewer.list());
        QTest::mouseClick(viewer.printButton(), Qt::LeftButton);
      });
      runProfitLoss(frame.window, choice, services);
      QCOMPARE(printed, std::vector<std::string>({"Stridewell 5 - Profit/Loss Analysis"}));
      QCOMPARE(printedLines, shown);
      QVERIFY(shown.contains("Short report format."));
      QCOMPARE(frame.ui.errors(), c.errors);
      QVERIFY(!fs::exists(frame.reportPath()));
    }
  }

  void clipboardFailureIsAWarningOnly() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    ProfitLossChoice choice = frame.springChoice();
    choice.copyToClipboard = true;
    ProfitLossServices services = defaultProfitLossServices();
    std::string copiedText;
    services.copyToClipboard = [&](const std::string& path) {
      std::ifstream in(path, std::ios::binary);
      copiedText.assign(std::istreambuf_iterator<char>(in), {});
      return false;
    };
    bool viewerSeen = false;
    whenShown<ReportViewer>([&](ReportViewer& viewer) {
      viewerSeen = true;
      QTest::mouseClick(viewer.cancelButton(), Qt::LeftButton);
    });
    runProfitLoss(frame.window, choice, services);
    QVERIFY(viewerSeen);
    QCOMPARE(frame.ui.warnings(), std::vector<std::string>({"Cannot copy data to clipboard."}));
    QVERIFY(copiedText.rfind("BetType,#bets", 0) == 0);
    // The temporary copy is gone.
    for (const auto& entry : fs::directory_iterator(frame.window.workspace().temp)) {
      QFAIL(qPrintable(QString::fromStdString(entry.path().string())));
    }
  }

  void cancelOnTheProgressWindowShowsNothing() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    ProfitLossChoice choice = frame.springChoice();
    bool menuWhileRunning = true;
    QString caption;
    bool viewerSeen = false;
    whenShown<ProgressDialog>([&](ProgressDialog& progress) {
      menuWhileRunning = frame.window.menuEnabled();
      caption = progress.windowTitle();
      QTest::mouseClick(progress.cancelButton(), Qt::LeftButton);
    });
    whenShown<ReportViewer>([&](ReportViewer& viewer) {
      viewerSeen = true;
      viewer.reject();
    });
    ProfitLossServices services = defaultProfitLossServices();
    runProfitLoss(frame.window, choice, services);
    QTest::qWait(50);
    QCOMPARE(caption, QString("Performing Profit/Loss Analysis..."));
    QVERIFY(!menuWhileRunning);
    QVERIFY(!viewerSeen);
    QVERIFY(frame.window.menuEnabled());
    QVERIFY(frame.ui.empty());
    QVERIFY(!fs::exists(frame.reportPath()));
  }

  void errorsBeforeTheRunLeaveTheMenuAlone() {
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    ProfitLossChoice choice = frame.springChoice();
    choice.request.simName = "Gone";
    choice.request.simPath = joinPath(frame.window.workspace().sim, "Gone.SIM");
    bool progressSeen = false;
    whenShown<ProgressDialog>([&](ProgressDialog&) { progressSeen = true; });
    runProfitLoss(frame.window, choice, defaultProfitLossServices());
    QTest::qWait(50);
    QVERIFY(!progressSeen);
    QCOMPARE(frame.ui.errors().size(), size_t(1));
    QVERIFY(frame.ui.errors()[0].rfind("Error loading SIM data", 0) == 0);
    // A SIM that did not load is not the dialog's next choice.
    QCOMPARE(frame.store.read(setting::kTestSimName, "?"), std::string("?"));

    frame.ui.clear();
    choice.request.simPath = joinPath(frame.window.workspace().programFolder, "Default.SIM");
    choice.request.datasetPath = datasetPath(frame.window.workspace(), "Missing");
    runProfitLoss(frame.window, choice, defaultProfitLossServices());
    QCOMPARE(frame.ui.errors().size(), size_t(1));
    QVERIFY(frame.ui.errors()[0].rfind("Error opening dataset", 0) == 0);
    QVERIFY(frame.window.menuEnabled());
  }

  void screenshots() {
    const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("STRIDEWELL_SCREENSHOTS is not set");
    Frame frame;
    QVERIFY(frame.startUp());
    QVERIFY(frame.makeDataset("Spring"));
    {
      ProfitLossDialog dialog(frame.store, frame.window.workspace(), frame.ui, &frame.window);
      child<QComboBox>(dialog, "classBox")->setCurrentIndex(kClassCustomItem);
      for (int item : kPickedClasses) check(child<QListWidget>(dialog, "classList"), item);
      dialog.show();
      QTest::qWait(100);
      QVERIFY(dialog.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("profit-loss.png")));
    }
    CriteriaChoices choices;
    choices.raceClass = kClassCustomItem;
    for (int item : kPickedClasses) choices.classChecks[static_cast<size_t>(item)] = true;
    ProfitLossRequest request;
    request.datasetName = "Spring";
    request.datasetPath = datasetPath(frame.window.workspace(), "Spring");
    request.simName = "Default";
    request.simPath = joinPath(frame.window.workspace().programFolder, "Default.SIM");
    request.criteria = buildCriteria(choices);
    const DirectRun direct = runDirectly(frame.window.workspace(), request);
    ProfitChartDialog chart(direct.totals, "DataSet: Spring, SIM Model: Default", &frame.window);
    chart.resize(760, 620);
    chart.show();
    QTest::qWait(200);
    QVERIFY(chart.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("profit-chart.png")));
  }
};

// The Value Betting tests share this program.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTEST_SET_MAIN_SOURCE_PATH
  ProfitLossTest profitLoss;
  ValueBettingTest valueBetting;
  const int failed = QTest::qExec(&profitLoss, argc, argv);
  return failed + QTest::qExec(&valueBetting, argc, argv);
}

#include "profit_loss_test.moc"
