// The Database menu's dataset commands driven through their dialogs on the
// offscreen platform, over datasets made from the shipped sample days:
// Split and Combine (the races each output receives, read back from the
// files record by record), Delete and Rename with their checks and
// questions, and the three reports (the viewer's lines against the core's
// own report of the same dataset, the clipboard's CR LF copy, the remembered
// choices, printing without a printer).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "gui/dataset_combine_dialog.h"
#include "gui/dataset_delete_dialog.h"
#include "gui/dataset_rename_dialog.h"
#include "gui/dataset_split_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/progress_dialog.h"
#include "gui/report_dialog.h"
#include "gui/report_viewer.h"
#include "operations/contents_report.h"
#include "operations/create_run.h"
#include "operations/payout_report.h"
#include "support/isolated_user.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using namespace stridewell::gui;
using stridewell::test::RecordingInteraction;
using Kind = RecordingInteraction::Kind;
using Records = std::vector<std::string>;

using stridewell::test::fileBytes;
using stridewell::test::itemTexts;

namespace {

const fs::path kSamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "plain";

void writeAll(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// A dataset file cut into its race records, by the file's own layout: a
// 6-byte header of three little-endian 16-bit lengths, then those bytes.
Records raceRecords(const fs::path& file) {
  const std::string bytes = fileBytes(file);
  Records records;
  size_t at = 0;
  while (at + 6 <= bytes.size()) {
    size_t length = 6;
    for (int i = 0; i < 3; ++i) {
      length += static_cast<uint8_t>(bytes[at + 2 * i]) | static_cast<uint8_t>(bytes[at + 2 * i + 1]) << 8;
    }
    records.push_back(bytes.substr(at, length));
    at += length;
  }
  return records;
}

std::string joined(const Records& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record;
  return bytes;
}

// The lines of a text file, line ends removed.
QStringList fileLines(const fs::path& path) {
  QStringList lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines << QString::fromLatin1(line.data(), qsizetype(line.size()));
  return lines;
}

void selectNamed(QListWidget* list, const QString& name) {
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  if (!found.isEmpty()) found.front()->setSelected(true);
}

// Runs `act` on the first modal dialog of type T that appears; whatever the
// act's checks found, the dialog is closed afterwards so a failure never
// leaves the test waiting on it. The watch is answered so that a test
// expecting no such dialog can end it; it belongs to the application.
template <typename T>
QTimer* whenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      QPointer<QDialog> dialog(widget);
      act(widget);
      if (dialog && dialog->isVisible()) dialog->reject();
    }
  });
  timer->start(10);
  return timer;
}

// Calls `act` each time `widget` is shown: the moment a run's progress
// window opens, so a Cancel or a close lands while the run is going on.
class WhenShown final : public QObject {
 public:
  WhenShown(QWidget* widget, std::function<void()> act) : widget_(widget), act_(std::move(act)) {
    widget_->installEventFilter(this);
  }
  ~WhenShown() override { widget_->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Show) act_();
    return false;
  }

 private:
  QWidget* widget_;
  std::function<void()> act_;
};

// A user of its own with a main window started up in their Workspace.
struct Frame {
  Frame() : store(SettingsStore::defaultFile(), &ui), window(store, ui) {
    window.resize(900, 700);
    window.show();
  }
  bool startUp() { return test::startUpWindow(window); }
  fs::path dataset(const std::string& name) const {
    return fs::path(window.workspace().datasets) / (name + ".DSI");
  }
  // The sample days built into a dataset by the core's create run.
  int makeSamples(const std::string& name) {
    const FolderPairing pairing = pairCardFolder(kSamples.string());
    RecordingInteraction quiet;
    NoProgress progress;
    return createDataset(name, false, kSamples.string(), pairing.pairs, window.workspace(), quiet, progress)
        .races;
  }
  RecordingInteraction::Call lastCall() const {
    const auto calls = ui.calls();
    return calls.empty() ? RecordingInteraction::Call{Kind::kError, "", "<nothing>"} : calls.back();
  }

  test::IsolatedUser user;
  RecordingInteraction ui;
  SettingsStore store;
  MainWindow window;
};

}  // namespace

class DatasetCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    frame_ = std::make_unique<Frame>();
    QVERIFY(frame_->startUp());
  }
  void cleanup() { frame_.reset(); }

  // Every 2nd race to test at "50%", the names checked in order, the source
  // untouched, and an existing output only replaced after a Yes.
  void splitSendsEveryNthRaceToTest() {
    Frame& f = *frame_;
    const int races = f.makeSamples("Samples");
    QVERIFY(races >= 4);
    const Records source = raceRecords(f.dataset("Samples"));
    QCOMPARE(int(source.size()), races);
    writeAll(f.dataset("alpha"), source.front());  // a second entry, listed first

    whenModal<DatasetSplitDialog>([&f](DatasetSplitDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Split DataSet"));
      QCOMPARE(itemTexts(dialog->sourceList()), (QStringList{"alpha", "Samples"}));
      QCOMPARE(dialog->sourceList()->currentIndex(), 0);
      QCOMPARE(dialog->focusWidget(), dialog->sourceList());
      QCOMPARE(itemTexts(dialog->allocationList()),
               (QStringList{"50%", "33%", "25%", "20%", "10%", "5%", "1%"}));
      QCOMPARE(dialog->allocationList()->currentText(), QStringLiteral("10%"));
      QVERIFY(dialog->okButton()->isEnabled());
      dialog->sourceList()->setCurrentIndex(1);

      struct Refusal {
        const char* train;
        const char* test;
        const char* error;
        QWidget* focus;
      };
      const Refusal refusals[] = {
          {"", "", "Train dataset name cannot be blank.", dialog->trainEdit()},
          {"Train", "  ", "Test dataset name cannot be blank.", dialog->testEdit()},
          {"Tr:ain", "Test", "Train dataset name cannot contain any of the following characters: ?*<\">/\\:|",
           dialog->trainEdit()},
          {"Train", "Te|st", "Test dataset name cannot contain any of the following characters: ?*<\">/\\:|",
           dialog->testEdit()},
          {"Train", "TRAIN", "Train and Test dataset cannot have the same name.", dialog->testEdit()},
          {"Train", "samples", "Test dataset cannot have the same name as the source dataset.",
           dialog->testEdit()},
      };
      for (const Refusal& refusal : refusals) {
        f.ui.clear();
        dialog->trainEdit()->setText(QString::fromUtf8(refusal.train));
        dialog->testEdit()->setText(QString::fromUtf8(refusal.test));
        dialog->okButton()->click();
        QVERIFY2(dialog->isVisible(), refusal.error);
        QCOMPARE(f.ui.errors(), std::vector<std::string>{refusal.error});
        QCOMPARE(dialog->focusWidget(), refusal.focus);
      }
      f.ui.clear();
      dialog->trainEdit()->setText(QStringLiteral(" Train "));
      dialog->testEdit()->setText(QStringLiteral("Test"));
      dialog->allocationList()->setCurrentIndex(0);  // 50%
      QCOMPARE(dialog->step(), 2);
      dialog->okButton()->click();
      QVERIFY(!dialog->isVisible());
    });
    runDatasetCommand(f.window, MenuCommand::kSplitDataset);

    Records train;
    Records test;
    for (int n = 1; n <= races; ++n) (n % 2 == 0 ? test : train).push_back(source[n - 1]);
    QCOMPARE(f.lastCall().caption, std::string("Split Dataset"));
    QCOMPARE(f.lastCall().text, "Dataset successfully split.\n\nSource dataset contains " +
                                    std::to_string(races) + " races.\n\nTrain dataset received " +
                                    std::to_string(train.size()) + " races.\nTest dataset received " +
                                    std::to_string(test.size()) + " races.");
    QCOMPARE(f.ui.errors().size(), size_t(0));
    QVERIFY(raceRecords(f.dataset("Train")) == train);
    QVERIFY(raceRecords(f.dataset("Test")) == test);
    QVERIFY(raceRecords(f.dataset("Samples")) == source);
    QVERIFY(f.window.menuEnabled());
    QVERIFY(!f.window.progressDialog().isVisible());

    // Both outputs exist now: one question names both; No keeps the dialog
    // open at the train field and nothing is written.
    f.ui.clear();
    f.ui.queueAnswers({false});
    whenModal<DatasetSplitDialog>([&f](DatasetSplitDialog* dialog) {
      dialog->sourceList()->setCurrentIndex(1);
      dialog->trainEdit()->setText(QStringLiteral("Train"));
      dialog->testEdit()->setText(QStringLiteral("Test"));
      dialog->okButton()->click();
      QVERIFY(dialog->isVisible());
      QCOMPARE(f.ui.queries(),
               std::vector<std::string>{"Train dataset \"Train\" already exists.\n"
                                        "Test dataset \"Test\" already exists.\nOver-write?"});
      QCOMPARE(dialog->focusWidget(), dialog->trainEdit());
      dialog->reject();
    });
    runDatasetCommand(f.window, MenuCommand::kSplitDataset);
    QVERIFY(raceRecords(f.dataset("Train")) == train);
    QCOMPARE(f.ui.calls().size(), size_t(1));
  }

  // The sources' races, source after source in list order whatever order
  // they were picked in; the selection line and button follow the picks.
  void combineJoinsThePicksInListOrder() {
    Frame& f = *frame_;
    const int races = f.makeSamples("Samples");
    QVERIFY(races >= 3);
    const Records all = raceRecords(f.dataset("Samples"));
    const Records alpha(all.begin(), all.begin() + 2);
    const Records zed(all.begin() + 2, all.end());
    writeAll(f.dataset("Zed"), joined(zed));
    writeAll(f.dataset("Alpha"), joined(alpha));

    f.ui.queueAnswers({false});
    whenModal<DatasetCombineDialog>([&f](DatasetCombineDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Combine DataSets"));
      QCOMPARE(itemTexts(dialog->list()), (QStringList{"Alpha", "Samples", "Zed"}));
      QCOMPARE(dialog->selectionText()->text(), QStringLiteral("0 datasets selected."));
      QVERIFY(!dialog->actionButton()->isEnabled());
      selectNamed(dialog->list(), QStringLiteral("Zed"));
      QCOMPARE(dialog->selectionText()->text(), QStringLiteral("1 dataset selected."));
      QVERIFY(dialog->actionButton()->isEnabled());
      selectNamed(dialog->list(), QStringLiteral("Alpha"));
      QCOMPARE(dialog->selectionText()->text(), QStringLiteral("2 datasets selected."));
      QCOMPARE(dialog->selectedNames(), (std::vector<std::string>{"Alpha", "Zed"}));

      struct Refusal {
        const char* name;
        Kind kind;
        const char* text;
      };
      const Refusal refusals[] = {
          {" ", Kind::kError, "New dataset name cannot be blank."},
          {"A*", Kind::kError,
           "New dataset name cannot contain any of the following characters: ?*<\">/\\:|"},
          {"zED", Kind::kError, "New dataset cannot have the same name as a source dataset."},
          {"Samples", Kind::kQuery, "DataSet with that name already exists; over-write?"},  // answered No
      };
      for (const Refusal& refusal : refusals) {
        f.ui.clear();
        dialog->nameEdit()->setText(QString::fromUtf8(refusal.name));
        dialog->actionButton()->click();
        QVERIFY2(dialog->isVisible(), refusal.text);
        QCOMPARE(f.ui.texts(refusal.kind), std::vector<std::string>{refusal.text});
        QCOMPARE(dialog->focusWidget(), dialog->nameEdit());
      }
      f.ui.clear();
      dialog->nameEdit()->setText(QStringLiteral(" Both "));
      dialog->actionButton()->click();
      QVERIFY(!dialog->isVisible());
    });
    runDatasetCommand(f.window, MenuCommand::kCombineDatasets);

    QCOMPARE(f.ui.calls().size(), size_t(1));
    QCOMPARE(f.lastCall().caption, std::string("Combine Datasets"));
    QCOMPARE(f.lastCall().text, "2 datasets successfully combined.\n\nResultant dataset contains " +
                                    std::to_string(races) + " races.");
    QCOMPARE(fileBytes(f.dataset("Both")), joined(alpha) + joined(zed));
    QCOMPARE(fileBytes(f.dataset("Zed")), joined(zed));
    QVERIFY(raceRecords(f.dataset("Samples")) == all);
    QVERIFY(f.window.menuEnabled());
  }

  void renameChecksAsksAndNeverReplaces() {
    Frame& f = *frame_;
    writeAll(f.dataset("Beta"), "beta bytes");
    writeAll(f.dataset("Gamma"), "gamma bytes");

    // Refusals first, then Beta onto the existing Gamma: asked, then refused.
    f.ui.queueAnswers({true});
    whenModal<DatasetRenameDialog>([&f](DatasetRenameDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Rename DataSet"));
      QCOMPARE(itemTexts(dialog->oldNameList()), (QStringList{"Beta", "Gamma"}));
      QCOMPARE(dialog->focusWidget(), dialog->oldNameList());
      QVERIFY(dialog->renameButton()->isEnabled());
      const std::pair<const char*, const char*> refusals[] = {
          {"  ", "New name cannot be blank."},
          {"a/b", "DataSet name cannot contain any of the following characters: ?*<\">/\\:|"},
          {" . ", "DataSet name cannot be \".\" or \"..\"."},
          {"Delta.DSI", "DataSet name cannot end in \".DSI\"; the program adds that itself."},
          {"a\tb", "DataSet name cannot contain control characters (tabs, line ends and the like)."},
      };
      for (const auto& [text, error] : refusals) {
        f.ui.clear();
        dialog->newNameEdit()->setText(QString::fromUtf8(text));
        dialog->renameButton()->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(f.ui.errors(), std::vector<std::string>{error});
        QCOMPARE(dialog->focusWidget(), dialog->newNameEdit());
      }
      f.ui.clear();
      dialog->newNameEdit()->setText(QStringLiteral("Gamma"));
      dialog->renameButton()->click();
      QVERIFY(!dialog->isVisible());
    });
    runDatasetCommand(f.window, MenuCommand::kRenameDataset);
    QCOMPARE(f.ui.queries(), std::vector<std::string>{"Rename DataSet \"Beta\" to \"Gamma\"; are you sure?"});
    QCOMPARE(f.ui.errors(), std::vector<std::string>{"Rename failed.\n" + f.dataset("Beta").string() +
                                                     " -> " + f.dataset("Gamma").string() + ": File exists"});
    QCOMPARE(fileBytes(f.dataset("Beta")), std::string("beta bytes"));
    QCOMPARE(fileBytes(f.dataset("Gamma")), std::string("gamma bytes"));

    // No leaves everything; Yes moves the file.
    for (const bool yes : {false, true}) {
      f.ui.clear();
      f.ui.queueAnswers({yes});
      whenModal<DatasetRenameDialog>([](DatasetRenameDialog* dialog) {
        dialog->oldNameList()->setCurrentIndex(0);
        dialog->newNameEdit()->setText(QStringLiteral(" Delta "));
        dialog->renameButton()->click();
      });
      runDatasetCommand(f.window, MenuCommand::kRenameDataset);
      QCOMPARE(f.ui.errors().size(), size_t(0));
      QCOMPARE(fs::exists(f.dataset("Beta")), !yes);
      QCOMPARE(fs::exists(f.dataset("Delta")), yes);
    }
    QCOMPARE(fileBytes(f.dataset("Delta")), std::string("beta bytes"));
  }

  void deleteAsksOnceForAllPicks() {
    Frame& f = *frame_;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) writeAll(f.dataset(name), name);

    whenModal<DatasetDeleteDialog>([&f](DatasetDeleteDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Delete DataSet"));
      QCOMPARE(dialog->actionButton()->text(), QStringLiteral("&Delete"));
      QCOMPARE(dialog->selectionText()->text(), QStringLiteral("0 datasets selected."));
      QVERIFY(!dialog->actionButton()->isEnabled());
      selectNamed(dialog->list(), QStringLiteral("Gamma"));
      selectNamed(dialog->list(), QStringLiteral("Alpha"));
      QCOMPARE(dialog->selectionText()->text(), QStringLiteral("2 datasets selected."));
      f.ui.queueAnswers({false, true});
      dialog->actionButton()->click();  // No: the dialog stays
      QVERIFY(dialog->isVisible());
      QVERIFY(fs::exists(f.dataset("Alpha")));
      dialog->actionButton()->click();  // Yes
      QVERIFY(!dialog->isVisible());
    });
    runDatasetCommand(f.window, MenuCommand::kDeleteDataset);
    QCOMPARE(f.ui.queries(), (std::vector<std::string>{"Delete selected datasets; are you sure?",
                                                       "Delete selected datasets; are you sure?"}));
    QVERIFY(!fs::exists(f.dataset("Alpha")));
    QVERIFY(fs::exists(f.dataset("Beta")));
    QVERIFY(!fs::exists(f.dataset("Gamma")));

    // With no dataset left the list only says so, and nothing can be picked.
    fs::remove(f.dataset("Beta"));
    bool seen = false;
    whenModal<DatasetDeleteDialog>([&seen](DatasetDeleteDialog* dialog) {
      seen = true;
      QCOMPARE(itemTexts(dialog->list()), QStringList{"<No datasets have been created.>"});
      QVERIFY(!dialog->list()->isEnabled());
      QVERIFY(!dialog->actionButton()->isEnabled());
      QCOMPARE(dialog->selectionText()->text(), QString());
      dialog->accept();  // as Enter would: nothing to delete, stays open
      QVERIFY(dialog->isVisible());
    });
    f.ui.clear();
    f.window.action(MenuCommand::kDeleteDataset)->trigger();  // through the Database menu
    QVERIFY(seen);
    QVERIFY(f.ui.empty());
  }

  void deleteThatFailsSaysWhichFileAndWhy() {
    Frame& f = *frame_;
    writeAll(f.dataset("Alpha"), "Alpha");
    whenModal<DatasetDeleteDialog>([&f](DatasetDeleteDialog* dialog) {
      selectNamed(dialog->list(), QStringLiteral("Alpha"));
      // Something that unlink refuses now holds the name.
      fs::remove(f.dataset("Alpha"));
      fs::create_directory(f.dataset("Alpha"));
      f.ui.queueAnswers({true});
      dialog->actionButton()->click();
    });
    runDatasetCommand(f.window, MenuCommand::kDeleteDataset);
    QCOMPARE(f.ui.errors(), std::vector<std::string>{"Cannot delete dataset 'Alpha'.\n" +
                                                     f.dataset("Alpha").string() + ": Is a directory"});
    QVERIFY(fs::is_directory(f.dataset("Alpha")));
  }

  void reportsShowTheCoreReport_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title");
    QTest::newRow("exotics") << int(MenuCommand::kExoticsReport) << QStringLiteral("Exotics Report");
    QTest::newRow("daily double") << int(MenuCommand::kDailyDoubleReport)
                                  << QStringLiteral("Daily Double Report");
    QTest::newRow("contents") << int(MenuCommand::kContentsReport)
                              << QStringLiteral("DataSet Contents Report");
  }

  // The viewer shows what the core writes for the same dataset; the
  // clipboard holds the comma table (the contents report's text) with CR LF
  // line ends; the choices are remembered; TEMP is left clean.
  void reportsShowTheCoreReport() {
    QFETCH(int, command);
    QFETCH(QString, title);
    Frame& f = *frame_;
    const int races = f.makeSamples("Samples");
    QVERIFY(races > 0);
    writeAll(f.dataset("Alpha"), "");
    f.store.write(setting::kReportDataset, "SAMPLES");
    f.store.write(setting::kReportClipboard, "n");

    // The core's own report of the same dataset.
    test::TempFolder expected;
    const std::string text = (expected.path() / "text.txt").string();
    const std::string comma = (expected.path() / "comma.txt").string();
    RecordingInteraction quiet;
    NoProgress progress;
    const bool contents = command == int(MenuCommand::kContentsReport);
    if (contents) {
      QCOMPARE(runContentsReport("Samples", f.dataset("Samples").string(), text, quiet, progress),
               ReportOutcome::kDone);
    } else {
      const PayoutReportKind kind = command == int(MenuCommand::kExoticsReport)
                                        ? PayoutReportKind::kExotics
                                        : PayoutReportKind::kDailyDouble;
      QCOMPARE(runPayoutReport(kind, "Samples", f.dataset("Samples").string(), text, comma, quiet, progress),
               ReportOutcome::kDone);
    }
    const QStringList expectedLines = fileLines(text);
    QCOMPARE(expectedLines.first(), QStringLiteral("DataSet: Samples"));
    QCOMPARE(expectedLines.last(), QStringLiteral("%1 races total.").arg(races));
    QString expectedClip = QString::fromLatin1(QByteArray::fromStdString(fileBytes(contents ? text : comma)));
    expectedClip.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    QApplication::clipboard()->setText(QStringLiteral("before"));

    whenModal<ReportDialog>([&title](ReportDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), title);
      QCOMPARE(itemTexts(dialog->datasetList()), (QStringList{"Alpha", "Samples"}));
      QCOMPARE(dialog->datasetList()->currentText(), QStringLiteral("Samples"));  // remembered, any case
      QCOMPARE(dialog->clipboardCheck()->text(), QStringLiteral("Copy to Clipboard"));
      QVERIFY(!dialog->clipboardCheck()->isChecked());
      dialog->clipboardCheck()->setChecked(true);
      dialog->okButton()->click();
    });
    QStringList shown;
    QString viewerTitle;
    bool wide = false;
    bool menuWhileShown = true;
    whenModal<ReportViewer>([&](ReportViewer* viewer) {
      shown = itemTexts(viewer->list());
      viewerTitle = viewer->windowTitle();
      wide = viewer->list()->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
      menuWhileShown = f.window.menuEnabled();
      viewer->cancelButton()->click();
    });
    runDatasetCommand(f.window, MenuCommand(command));

    QVERIFY(f.ui.empty());
    QCOMPARE(viewerTitle, title);
    QVERIFY(wide);
    QVERIFY(!menuWhileShown);
    QCOMPARE(shown, expectedLines);
    QCOMPARE(QApplication::clipboard()->text(), expectedClip);
    QVERIFY(expectedClip.contains(QStringLiteral("\r\n")));
    QCOMPARE(f.store.read(setting::kReportDataset, ""), std::string("Samples"));
    QCOMPARE(f.store.read(setting::kReportClipboard, ""), std::string("y"));
    QVERIFY(fs::is_empty(f.window.workspace().temp));
    QVERIFY(f.window.menuEnabled());
    QVERIFY(!f.window.progressDialog().isVisible());
  }

  // With no dataset only Cancel works; a print that cannot be made is
  // reported once the viewer's "&Print" was pressed.
  void reportWithoutDatasetsAndFailedPrint() {
    Frame& f = *frame_;
    bool seen = false;
    whenModal<ReportDialog>([&seen](ReportDialog* dialog) {
      seen = true;
      QCOMPARE(itemTexts(dialog->datasetList()), QStringList{"<No datasets have been created.>"});
      QVERIFY(!dialog->datasetList()->isEnabled());
      QVERIFY(!dialog->clipboardCheck()->isEnabled());
      QVERIFY(!dialog->okButton()->isEnabled());
    });
    runDatasetCommand(f.window, MenuCommand::kExoticsReport);
    QVERIFY(seen);
    QVERIFY(f.ui.empty());
    QCOMPARE(f.store.read(setting::kReportDataset, "<none>"), std::string("<none>"));

    if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("a printer is installed here; this would print");
    QVERIFY(f.makeSamples("Samples") > 0);
    whenModal<ReportDialog>([](ReportDialog* dialog) { dialog->okButton()->click(); });
    whenModal<ReportViewer>([](ReportViewer* viewer) {
      // No printer: the offer of a PDF file instead is declined.
      whenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
      viewer->printButton()->click();
    });
    runDatasetCommand(f.window, MenuCommand::kContentsReport);
    QCOMPARE(f.ui.errors(), std::vector<std::string>{"Error during print."});
    QVERIFY(fs::is_empty(f.window.workspace().temp));
  }

  // Cancel in the progress window: nothing is written, the menu returns.
  void cancelledRunsLeaveNothing() {
    Frame& f = *frame_;
    QVERIFY(f.makeSamples("Samples") > 0);
    const std::string source = fileBytes(f.dataset("Samples"));
    ProgressDialog& progress = f.window.progressDialog();
    WhenShown cancel(&progress, [&progress] { progress.cancel(); });

    whenModal<DatasetSplitDialog>([](DatasetSplitDialog* dialog) {
      dialog->trainEdit()->setText(QStringLiteral("Train"));
      dialog->testEdit()->setText(QStringLiteral("Test"));
      dialog->okButton()->click();
    });
    runDatasetCommand(f.window, MenuCommand::kSplitDataset);
    QCOMPARE(f.ui.calls(),
             (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Split Dataset", "User aborted."}}));
    QVERIFY(!fs::exists(f.dataset("Train")));
    QVERIFY(!fs::exists(f.dataset("Test")));

    f.ui.clear();
    whenModal<DatasetCombineDialog>([](DatasetCombineDialog* dialog) {
      selectNamed(dialog->list(), QStringLiteral("Samples"));
      dialog->nameEdit()->setText(QStringLiteral("Copy"));
      dialog->actionButton()->click();
    });
    runDatasetCommand(f.window, MenuCommand::kCombineDatasets);
    QCOMPARE(f.ui.calls(),
             (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Combine Datasets", "User aborted."}}));
    QVERIFY(!fs::exists(f.dataset("Copy")));

    // A cancelled report shows nothing at all and leaves no file in TEMP.
    f.ui.clear();
    bool viewed = false;
    whenModal<ReportDialog>([](ReportDialog* dialog) { dialog->okButton()->click(); });
    QTimer* viewerWatch = whenModal<ReportViewer>([&viewed](ReportViewer*) { viewed = true; });
    runDatasetCommand(f.window, MenuCommand::kExoticsReport);
    QTest::qWait(50);
    delete viewerWatch;
    QVERIFY(!viewed);
    QVERIFY(f.ui.empty());
    QVERIFY(fs::is_empty(f.window.workspace().temp));
    QCOMPARE(fileBytes(f.dataset("Samples")), source);
    QVERIFY(f.window.menuEnabled());
  }

  // Closing the window during a run stops the run first and closes after.
  void closeDuringARunStopsItAndClosesAfter() {
    Frame& f = *frame_;
    QVERIFY(f.makeSamples("Samples") > 0);
    bool visibleAtClose = false;
    WhenShown close(&f.window.progressDialog(), [&f, &visibleAtClose] {
      f.window.close();
      visibleAtClose = f.window.isVisible();
    });
    whenModal<DatasetSplitDialog>([](DatasetSplitDialog* dialog) {
      dialog->trainEdit()->setText(QStringLiteral("Train"));
      dialog->testEdit()->setText(QStringLiteral("Test"));
      dialog->okButton()->click();
    });
    runDatasetCommand(f.window, MenuCommand::kSplitDataset);
    QVERIFY(visibleAtClose);
    QCOMPARE(f.ui.calls(),
             (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Split Dataset", "User aborted."}}));
    QVERIFY(!fs::exists(f.dataset("Train")));
    QTRY_VERIFY(!f.window.isVisible());
  }

 private:
  std::unique_ptr<Frame> frame_;
};

QTEST_MAIN(DatasetCommandsTest)
#include "dataset_commands_test.moc"
