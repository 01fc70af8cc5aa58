// The Create DataSet dialog and its run, driven through the widgets on the
// offscreen platform: the matched-pair and left-over lists with their
// counts, browsing with DATASETDIR kept on every folder and put back by
// Cancel, the "&Build" checks in order, and whole runs from the Database
// menu on the sample days: create, append, and Cancel in both. With
// STRIDEWELL_SCREENSHOTS set to a folder, also writes the dialog's picture
// there (docs/screenshots).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_name.h"
#include "gui/create_dataset_dialog.h"
#include "gui/frame_area.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "operations/create_run.h"
#include "support/isolated_user.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using namespace stridewell::gui;
using stridewell::test::RecordingInteraction;
using Kind = RecordingInteraction::Kind;

using stridewell::test::child;
using stridewell::test::fileBytes;
using stridewell::test::itemTexts;

namespace {

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";
// Nine, eleven and nine races with their results, less one: race 6 of
// 15 March is a simulcast whose card names its host track (OP, race 10), so
// it meets no result of SA and is dropped.
constexpr int kSampleRaces = 9 + 11 + 9 - 1;
const std::string kElevenBlanks(11, ' ');

bool fixedPitch(const QWidget* widget) {
  return stridewell::test::columnsLineUp(widget->font());
}

void copyInto(const fs::path& folder, const fs::path& from, const std::string& as) {
  fs::create_directories(folder);
  fs::copy_file(from, folder / as);
}

// The three plain sample days in a folder of their own.
fs::path samplesFolder(const fs::path& root) {
  const fs::path folder = root / "samples";
  for (const char* day : {"SAX0313", "SAX0314", "SAX0315"}) {
    for (const char* extension : {".TCF", ".XRD"}) {
      copyInto(folder, kExamples / "plain" / (std::string(day) + extension), std::string(day) + extension);
    }
  }
  return folder;
}

// A main window with a user of its own (Workspace and settings in a
// temporary folder) after start-up.
struct Frame {
  Frame() : store(SettingsStore::defaultFile(), &ui), window(store, ui) {
    window.resize(900, 700);
    window.show();
  }
  bool startUp() { return test::startUpWindow(window); }
  fs::path dataset(const std::string& name) const { return datasetPath(window.workspace(), name); }

  test::IsolatedUser user;
  RecordingInteraction ui;
  SettingsStore store;
  MainWindow window;
};

CreateDatasetDialog* openDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<CreateDatasetDialog*>(widget); dialog && dialog->isVisible())
      return dialog;
  }
  return nullptr;
}

// Runs "&Create/Append DataSet..." with the dialog filled in by `fill`,
// then "&Build"; `duringRun` is called once, at the first turn of the event
// loop that finds the progress window up. False when the dialog never came.
bool runFromMenu(Frame& frame, const std::function<void(CreateDatasetDialog&)>& fill,
                 const std::function<void()>& duringRun = {}) {
  bool drove = false;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (!frame.window.progressDialog().isVisible()) return;
    watcher.stop();
    if (duringRun) duringRun();
  });
  QTimer::singleShot(0, [&] {
    CreateDatasetDialog* dialog = openDialog();
    if (dialog == nullptr) return;
    fill(*dialog);
    drove = true;
    watcher.start();
    QTest::mouseClick(child<QPushButton>(*dialog, "build"), Qt::LeftButton);
    // A refused Build leaves the dialog open: close it so that the command
    // ends.
    if (dialog->isVisible()) dialog->reject();
  });
  frame.window.action(MenuCommand::kCreateDataset)->trigger();
  return drove;
}

std::function<void(CreateDatasetDialog&)> named(const std::string& name, bool append) {
  return [name, append](CreateDatasetDialog& dialog) {
    child<QComboBox>(dialog, "name")->setEditText(QString::fromStdString(name));
    child<QCheckBox>(dialog, "append")->setChecked(append);
  };
}

}  // namespace

class DatasetCreateTest : public QObject {
  Q_OBJECT

 private:
  // A user for the dialog alone: a Workspace and a settings file.
  struct User {
    test::TempFolder folder;
    Workspace workspace;
    std::unique_ptr<SettingsStore> store;
    RecordingInteraction ui;

    User() {
      workspace = workspaceAt((folder.path() / "program").string(), (folder.path() / "home").string());
      fs::create_directories(workspace.datasets);
      fs::create_directories(workspace.unzip);
      store = std::make_unique<SettingsStore>((folder.path() / "settings.conf").string());
    }
    std::string datasetFolder() const {
      return SettingsStore(store->file()).read(setting::kDatasetFolder, "(none)");
    }
  };

 private slots:
  void listsPairsAndLeftOversWithTheirCounts() {
    User user;
    const fs::path data = user.folder.path() / "data";
    copyInto(data, kExamples / "plain" / "SAX0313.TCF", "SAX0313.TCF");
    copyInto(data, kExamples / "plain" / "SAX0313.XRD", "SAX0313.XRD");
    // Letter case on disk does not matter; both are shown in upper case.
    copyInto(data, kExamples / "plain" / "SAX0315.TCF", "sax0315.tcf");
    copyInto(data, kExamples / "plain" / "SAX0315.XRD", "SAX0315.XRD");
    // A day in its two archives pairs like plain files.
    copyInto(data, kExamples / "zipped" / "SAX0316M.ZIP", "SAX0316M.ZIP");
    copyInto(data, kExamples / "zipped" / "SAX0316X.ZIP", "SAX0316X.ZIP");
    // Partners missing.
    copyInto(data, kExamples / "plain" / "SAX0314.TCF", "SAX0314.TCF");
    copyInto(data, kExamples / "plain" / "SAX0314.XRD", "SAX0399.XRD");
    fs::create_directories(data / "older");
    user.store->write(setting::kDatasetFolder, data.string());

    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    QCOMPARE(dialog.windowTitle(), QString("Create DataSet"));
    QCOMPARE(child<QLineEdit>(dialog, "path")->text(), QString::fromStdString(data.string()));
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "folders")), QStringList{"older"});
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "matched")),
             (QStringList{"SAX0313.TCF    SAX0313.XRD", "SAX0315.TCF    SAX0315.XRD",
                          "SAX0316.TCF    SAX0316.XRD"}));
    QCOMPARE(child<QLabel>(dialog, "matchedCount")->text(), QString("3"));
    // A results file without its card: blanks in the card column, so it
    // sorts first.
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "leftOver")),
             (QStringList{QString::fromStdString(kElevenBlanks + "    SAX0399.XRD"),
                          QString::fromStdString("SAX0314.TCF    " + kElevenBlanks)}));
    QCOMPARE(child<QLabel>(dialog, "leftOverCount")->text(), QString("2"));
    QVERIFY(fixedPitch(child<QListWidget>(dialog, "matched")));
    QVERIFY(fixedPitch(child<QListWidget>(dialog, "leftOver")));
    QVERIFY(child<QPushButton>(dialog, "build")->isEnabled());
    QVERIFY(child<QPushButton>(dialog, "upOneLevel")->isEnabled());
    // The run takes the pairs in the folder's card order.
    QCOMPARE(dialog.pairs().size(), size_t{3});
    QCOMPARE(dialog.pairs()[0].cardName, std::string("SAX0313.TCF"));
    QCOMPARE(dialog.pairs()[1].cardName, std::string("SAX0315.TCF"));
    QCOMPARE(dialog.pairs()[2].resultsName, std::string("SAX0316.XRD"));
    // No datasets yet: the name list is empty and so is the name.
    QCOMPARE(child<QComboBox>(dialog, "name")->count(), 0);
    QCOMPARE(child<QComboBox>(dialog, "name")->currentText(), QString());
    QVERIFY(!child<QCheckBox>(dialog, "append")->isChecked());
    QVERIFY(user.ui.calls().empty());
  }

  void browsingKeepsEveryFolderAndCancelPutsTheFirstBack() {
    User user;
    const fs::path data = samplesFolder(user.folder.path());
    fs::create_directories(data / "older" / "deeper");
    fs::create_directories(data / "newer");
    user.store->write(setting::kDatasetFolder, data.string());
    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    dialog.show();
    auto* folders = child<QListWidget>(dialog, "folders");
    QCOMPARE(itemTexts(folders), (QStringList{"newer", "older"}));

    // Double-click opens a subfolder, which is kept at once.
    QListWidgetItem* older = folders->findItems("older", Qt::MatchExactly).front();
    const QPoint where = folders->visualItemRect(older).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, where);
    QCOMPARE(dialog.folder(), (data / "older").string());
    QCOMPARE(user.datasetFolder(), (data / "older").string());
    QCOMPARE(child<QLabel>(dialog, "matchedCount")->text(), QString("0"));
    QCOMPARE(child<QLabel>(dialog, "leftOverCount")->text(), QString("0"));
    QVERIFY(child<QListWidget>(dialog, "matched")->count() == 0);
    QVERIFY(!child<QPushButton>(dialog, "build")->isEnabled());

    // Enter with no subfolder selected does nothing; with one, opens it.
    folders->setFocus();
    folders->clearSelection();
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(dialog.folder(), (data / "older").string());
    QVERIFY(dialog.isVisible());
    folders->setCurrentRow(0);
    folders->item(0)->setSelected(true);
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(dialog.folder(), (data / "older" / "deeper").string());
    QVERIFY(dialog.isVisible());

    // Up One Level, twice, back to the samples with their three pairs.
    QTest::mouseClick(child<QPushButton>(dialog, "upOneLevel"), Qt::LeftButton);
    QCOMPARE(dialog.folder(), (data / "older").string());
    QTest::mouseClick(child<QPushButton>(dialog, "upOneLevel"), Qt::LeftButton);
    QCOMPARE(dialog.folder(), data.string());
    QCOMPARE(user.datasetFolder(), data.string());
    QCOMPARE(child<QLabel>(dialog, "matchedCount")->text(), QString("3"));
    QVERIFY(child<QPushButton>(dialog, "build")->isEnabled());

    // A drive shows its root, where there is no level above.
    dialog.usePlaces({user.folder.path().string(), "/"});
    auto* drives = child<QComboBox>(dialog, "drives");
    QCOMPARE(drives->currentText(), QString::fromStdString(user.folder.path().string()));
    emit drives->activated(0);  // "/" sorts first
    QCOMPARE(dialog.folder(), std::string("/"));
    QCOMPARE(child<QLineEdit>(dialog, "path")->text(), QString("/"));
    QVERIFY(!child<QPushButton>(dialog, "upOneLevel")->isEnabled());
    QCOMPARE(user.datasetFolder(), std::string("/"));

    // Escape: DATASETDIR is what it was when the dialog opened.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(user.datasetFolder(), data.string());
    QVERIFY(user.ui.calls().empty());
  }

  // The browser is the Handicap dialog's: a typed folder or file shows
  // that folder's pairs; what cannot be shown says why under the path and
  // leaves the pairs and DATASETDIR of the folder shown; Enter in the box
  // does not end the dialog.
  void aTypedPathShowsThatFolderOrSaysWhyNot() {
    User user;
    const fs::path data = samplesFolder(user.folder.path() / "Daten M\xC3\xA4rz");  // blank, non-ASCII
    const fs::path other = user.folder.path() / "other";
    copyInto(other, kExamples / "plain" / "SAX0313.TCF", "SAX0313.TCF");
    user.store->write(setting::kDatasetFolder, other.string());
    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* path = child<QLineEdit>(dialog, "path");
    auto* problem = child<QLabel>(dialog, "pathProblem");
    auto* matchedCount = child<QLabel>(dialog, "matchedCount");
    QCOMPARE(matchedCount->text(), QString("0"));
    const struct {
      std::string typed;
      std::string shown;
      const char* pairs;
      std::string problem;
    } cases[] = {
        {data.string(), data.string(), "3", ""},
        {other.string() + "/SAX0313.TCF", other.string(), "0", ""},
        {data.string() + "/SAX0314.XRD", data.string(), "3", ""},  // a results file: its folder
        {(other / "gone").string(), data.string(), "3",
         "Cannot open " + (other / "gone").string() + ": No such file or directory"},
    };
    for (const auto& c : cases) {
      const QByteArray which = QByteArray::fromStdString(c.typed);
      path->setText(QString::fromStdString(c.typed));
      QTest::keyClick(path, Qt::Key_Return);
      QVERIFY2(dialog.isVisible(), which);
      QVERIFY2(dialog.folder() == c.shown, which);
      QVERIFY2(user.datasetFolder() == c.shown, which);
      QVERIFY2(matchedCount->text() == c.pairs, which);
      QVERIFY2(problem->text().toStdString() == c.problem, which);
    }
    QCOMPARE(dialog.pairs().size(), size_t{3});
    QVERIFY(user.ui.calls().empty());

    // A folder typed but not taken, then Escape: DATASETDIR is what it was
    // when the dialog opened, and the folder typed is not taken on closing.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    path->setFocus();
    path->setText(QString::fromStdString(user.folder.path().string()));
    QTest::keyClick(path, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.folder(), data.string());
    QCOMPARE(user.datasetFolder(), other.string());
  }

  void aMissingFolderShowsItsNearestParent() {
    User user;
    const fs::path data = samplesFolder(user.folder.path());
    user.store->write(setting::kDatasetFolder, (data / "gone" / "too").string());
    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    QCOMPARE(dialog.folder(), data.string());
    QCOMPARE(child<QLabel>(dialog, "matchedCount")->text(), QString("3"));
    dialog.reject();
    QCOMPARE(user.datasetFolder(), (data / "gone" / "too").string());
  }

  void buildChecksTheRequestInOrder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("accepted");
    const int none = -1;
    QTest::newRow("no name") << "" << false << false << int(Kind::kError)
                             << "You must specify a name for the DataSet" << false;
    QTest::newRow("blanks only") << "   " << true << false << int(Kind::kError)
                                 << "You must specify a name for the DataSet" << false;
    QTest::newRow("forbidden character")
        << "Spring/Fall" << false << false << int(Kind::kError)
        << "DataSet name cannot contain any of the following characters: ?*<\">/\\:|" << false;
    QTest::newRow("forbidden before exists")
        << "Spring?" << true << false << int(Kind::kError)
        << "DataSet name cannot contain any of the following characters: "
           "?*<\">/\\:|"
        << false;
    QTest::newRow("a folder's name") << " .. " << false << false << int(Kind::kError)
                                     << "DataSet name cannot be \".\" or \"..\"." << false;
    QTest::newRow("the extension typed")
        << "Spring.dsi" << true << false << int(Kind::kError)
        << "DataSet name cannot end in \".DSI\"; the program adds that itself." << false;
    QTest::newRow("a control character")
        << "Spring\x01" << false << false << int(Kind::kError)
        << "DataSet name cannot contain control characters (tabs, line ends and the like)." << false;
    QTest::newRow("too long") << QString(239, 'n') << false << false << int(Kind::kError)
                              << "DataSet name is too long: at most 238 bytes." << false;
    QTest::newRow("over-write, No") << "Spring" << false << false << int(Kind::kQuery)
                                    << "DataSet with that name already exists; over-write?" << false;
    QTest::newRow("over-write, Yes") << " Spring " << false << true << int(Kind::kQuery)
                                     << "DataSet with that name already exists; over-write?" << true;
    QTest::newRow("append to a new name")
        << "Summer" << true << false << int(Kind::kError) << "DataSet does not exist (Append on)" << false;
    QTest::newRow("append to an existing one") << "Spring" << true << false << none << "" << true;
    QTest::newRow("a new dataset") << "Summer" << false << false << none << "" << true;
  }

  void buildChecksTheRequestInOrder() {
    QFETCH(QString, name);
    QFETCH(bool, append);
    QFETCH(bool, answer);
    QFETCH(int, kind);
    QFETCH(QString, message);
    QFETCH(bool, accepted);
    User user;
    std::ofstream(datasetPath(user.workspace, "Spring"), std::ios::binary) << "x";
    const fs::path data = samplesFolder(user.folder.path());
    user.store->write(setting::kDatasetFolder, data.string());
    user.ui.queueAnswers({answer});
    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    QCOMPARE(child<QComboBox>(dialog, "name")->count(), 1);
    QCOMPARE(child<QComboBox>(dialog, "name")->itemText(0), QString("Spring"));
    dialog.show();
    child<QComboBox>(dialog, "name")->setEditText(name);
    child<QCheckBox>(dialog, "append")->setChecked(append);
    QTest::mouseClick(child<QPushButton>(dialog, "build"), Qt::LeftButton);

    const std::vector<RecordingInteraction::Call> calls = user.ui.calls();
    if (kind < 0) {
      QVERIFY(calls.empty());
    } else {
      QCOMPARE(calls.size(), size_t{1});
      QCOMPARE(int(calls[0].kind), kind);
      QCOMPARE(QString::fromStdString(calls[0].text), message);
    }
    QCOMPARE(dialog.isVisible(), !accepted);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    if (accepted) {
      QCOMPARE(QString::fromStdString(dialog.name()), name);
      QCOMPARE(dialog.append(), append);
      QCOMPARE(dialog.folder(), data.string());
    }
    // The checks never touch the dataset.
    QCOMPARE(fileBytes(datasetPath(user.workspace, "Spring")), std::string("x"));
  }

  void theNameIsWhatWasTyped() {
    User user;
    std::ofstream(datasetPath(user.workspace, "Spring 2026"), std::ios::binary) << "x";
    const fs::path data = samplesFolder(user.folder.path());
    user.store->write(setting::kDatasetFolder, data.string());
    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    dialog.show();
    auto* name = child<QComboBox>(dialog, "name");
    // A prefix of an existing name stays itself, also after Enter; so does
    // a name that differs from an existing one in letter case only.
    for (const QString& typed : {QString("Spring"), QString("spring 2026")}) {
      name->lineEdit()->clear();
      QTest::keyClicks(name->lineEdit(), typed);
      QTest::keyClick(name->lineEdit(), Qt::Key_Return);
      QCOMPARE(QString::fromStdString(dialog.name()), typed);
      QVERIFY(dialog.isVisible());
    }
    child<QCheckBox>(dialog, "append")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(dialog, "build"), Qt::LeftButton);
    QCOMPARE(user.ui.errors(), std::vector<std::string>{"DataSet does not exist (Append on)"});
    QVERIFY(dialog.isVisible());
  }

  void createsThenAppendsFromTheMenu() {
    Frame frame;
    QVERIFY(frame.startUp());
    const fs::path data = samplesFolder(frame.user.root());
    frame.store.write(setting::kDatasetFolder, data.string());

    bool menuDuringRun = true;
    bool frameDuringRun = true;
    QString caption;
    bool progressShown = false;
    auto watch = [&] {
      menuDuringRun = frame.window.menuEnabled();
      frameDuringRun = frame.window.area().isEnabled();
      caption = frame.window.progressDialog().windowTitle();
      progressShown = frame.window.progressDialog().isVisible();
    };
    QVERIFY(runFromMenu(frame, named("Spring", false), watch));
    QVERIFY(!menuDuringRun);
    QVERIFY(!frameDuringRun);
    QVERIFY(progressShown);
    QCOMPARE(caption, QString("Creating DataSet: Spring"));
    const std::string done = "DataSet complete.  " + std::to_string(kSampleRaces) + " races written.";
    QCOMPARE(frame.ui.calls(), (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Spring", done}}));
    QVERIFY(frame.window.menuEnabled());
    QVERIFY(!frame.window.progressDialog().isVisible());
    QCOMPARE(frame.store.read(setting::kDatasetFolder, ""), data.string());

    // The same bytes as the core run over the same folder.
    const std::string created = fileBytes(frame.dataset("Spring"));
    QVERIFY(!created.empty());
    {
      RecordingInteraction quiet;
      NoProgress noProgress;
      QCOMPARE(createDataset("Reference", false, data.string(), pairCardFolder(data.string()).pairs,
                             frame.window.workspace(), quiet, noProgress)
                   .races,
               kSampleRaces);
      QCOMPARE(fileBytes(frame.dataset("Reference")), created);
      fs::remove(frame.dataset("Reference"));
    }

    // Appending the same days again: at the first race the dataset holds
    // already the user is asked whether to leave such races out. With No
    // the file becomes its old bytes twice (a dataset has no header), and
    // the user is told how many races the dataset already held.
    frame.ui.clear();
    frame.ui.queueAnswers({false});
    QVERIFY(runFromMenu(frame, named("Spring", true), watch));
    QCOMPARE(caption, QString("Appending DataSet: Spring"));
    QCOMPARE(frame.ui.calls(),
             (std::vector<RecordingInteraction::Call>{
                 {Kind::kQuery, "Query", std::string(kDuplicateQuery)},
                 {Kind::kWarning, "Warning",
                  std::to_string(kSampleRaces) +
                      " appended races were already in the dataset (same track, date and race number); they "
                      "are now stored twice."},
                 {Kind::kNotice, "Spring", done}}));
    QCOMPARE(fileBytes(frame.dataset("Spring")), created + created);
    QVERIFY(frame.window.menuEnabled());

    // With Yes every race the dataset holds already is left out.
    frame.ui.clear();
    frame.ui.queueAnswers({true});
    QVERIFY(runFromMenu(frame, named("Spring", true)));
    QCOMPARE(
        frame.ui.calls(),
        (std::vector<RecordingInteraction::Call>{
            {Kind::kQuery, "Query", std::string(kDuplicateQuery)},
            {Kind::kWarning, "Warning",
             std::to_string(kSampleRaces) +
                 " appended races were already in the dataset (same track, date and race number); left out."},
            {Kind::kNotice, "Spring", "DataSet complete.  0 races written."}}));
    QCOMPARE(fileBytes(frame.dataset("Spring")), created + created);

    // Over-writing after a Yes: the old races go.
    frame.ui.clear();
    frame.ui.queueAnswers({true});
    QVERIFY(runFromMenu(frame, named("Spring", false)));
    QCOMPARE(frame.ui.calls(),
             (std::vector<RecordingInteraction::Call>{
                 {Kind::kQuery, "Query", "DataSet with that name already exists; over-write?"},
                 {Kind::kNotice, "Spring", done}}));
    QCOMPARE(fileBytes(frame.dataset("Spring")), created);
  }

  void cancelLeavesNoDatasetOrTheOldOne() {
    Frame frame;
    QVERIFY(frame.startUp());
    const fs::path data = samplesFolder(frame.user.root());
    frame.store.write(setting::kDatasetFolder, data.string());
    auto pressCancel = [&frame] { frame.window.progressDialog().cancelButton()->click(); };
    const std::vector<RecordingInteraction::Call> aborted{{Kind::kNotice, "Create DataSet", "User Aborted."}};

    QVERIFY(runFromMenu(frame, named("Spring", false), pressCancel));
    QCOMPARE(frame.ui.calls(), aborted);
    QVERIFY(!fs::exists(frame.dataset("Spring")));
    QVERIFY(fs::is_empty(frame.window.workspace().datasets));  // no half-written file left behind
    QVERIFY(frame.window.menuEnabled());
    QVERIFY(!frame.window.progressDialog().isVisible());

    // An append that is cancelled leaves the dataset byte for byte.
    RecordingInteraction quiet;
    NoProgress noProgress;
    QCOMPARE(createDataset("Spring", false, data.string(), pairCardFolder(data.string()).pairs,
                           frame.window.workspace(), quiet, noProgress)
                 .races,
             kSampleRaces);
    const std::string before = fileBytes(frame.dataset("Spring"));
    frame.ui.clear();
    QVERIFY(runFromMenu(frame, named("Spring", true), pressCancel));
    QCOMPARE(frame.ui.calls(), aborted);
    QCOMPARE(fileBytes(frame.dataset("Spring")), before);
    QVERIFY(frame.window.menuEnabled());
  }

  void closingTheWindowDuringTheRunCancelsItAndClosesAfter() {
    Frame frame;
    QVERIFY(frame.startUp());
    const fs::path data = samplesFolder(frame.user.root());
    frame.store.write(setting::kDatasetFolder, data.string());
    bool closedAtOnce = true;
    QVERIFY(runFromMenu(frame, named("Spring", false), [&] { closedAtOnce = frame.window.close(); }));
    // The run held the thread: the close stopped it before its next pair
    // instead of taking the window from under it.
    QVERIFY(!closedAtOnce);
    QCOMPARE(frame.ui.calls(),
             (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Create DataSet", "User Aborted."}}));
    QVERIFY(!fs::exists(frame.dataset("Spring")));
    QVERIFY(frame.window.isVisible());
    // ... and the window closes once the run is over.
    QTRY_VERIFY(!frame.window.isVisible());
  }

  void aDatasetFileThatCannotBeMadeShowsNoProgressWindow() {
    Frame frame;
    QVERIFY(frame.startUp());
    const fs::path data = samplesFolder(frame.user.root());
    frame.store.write(setting::kDatasetFolder, data.string());
    // A file where the DATASETS folder belongs: no dataset can be written.
    const fs::path datasets = frame.window.workspace().datasets;
    fs::remove_all(datasets);
    std::ofstream(datasets) << "not a folder\n";
    bool progressShown = false;
    QVERIFY(runFromMenu(frame, named("Spring", false), [&] { progressShown = true; }));
    // The message names the file the run could not make and the reason.
    QCOMPARE(frame.ui.calls(),
             (std::vector<RecordingInteraction::Call>{
                 {Kind::kError, "ERROR",
                  "Cannot create/open dataset file.\n" + datasets.string() + "/.Spring.DSI.new-" +
                      std::to_string(::getpid()) + ": Not a directory"}}));
    QVERIFY(!progressShown);
    QVERIFY(frame.window.menuEnabled());
    QVERIFY(frame.window.area().isEnabled());
  }

  void refusedOrCancelledDialogRunsNothing() {
    Frame frame;
    QVERIFY(frame.startUp());
    const fs::path data = samplesFolder(frame.user.root());
    frame.store.write(setting::kDatasetFolder, data.string());
    // Append to a dataset that does not exist: refused; the test then
    // closes the dialog, as Cancel would.
    QVERIFY(runFromMenu(frame, named("Spring", true)));
    QCOMPARE(frame.ui.errors(), std::vector<std::string>{"DataSet does not exist (Append on)"});
    QCOMPARE(frame.ui.calls().size(), size_t{1});
    QVERIFY(fs::is_empty(frame.window.workspace().datasets));
    QVERIFY(frame.window.menuEnabled());
    QVERIFY(!frame.window.progressDialog().isVisible());
  }

  void screenshot() {
    const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("set STRIDEWELL_SCREENSHOTS to a folder to write the dialog's picture");
    User user;
    const fs::path data = samplesFolder(user.folder.path());
    for (const char* archive : {"SAX0316M.ZIP", "SAX0316X.ZIP"}) {
      copyInto(data, kExamples / "zipped" / archive, archive);
    }
    copyInto(data, kExamples / "plain" / "SAX0313.TCF", "SAX0320.TCF");
    fs::create_directories(data / "2025");
    std::ofstream(datasetPath(user.workspace, "Santa Anita 2026"), std::ios::binary) << "x";
    user.store->write(setting::kDatasetFolder, data.string());
    CreateDatasetDialog dialog(*user.store, user.workspace, user.ui);
    dialog.usePlaces({"/", user.folder.path().string()});
    child<QComboBox>(dialog, "name")->setEditText("Santa Anita 2026");
    child<QCheckBox>(dialog, "append")->setChecked(true);
    dialog.show();
    QTest::qWait(50);
    QVERIFY(dialog.grab().save(QString::fromUtf8(folder) + "/create-dataset.png"));
  }
};

QTEST_MAIN(DatasetCreateTest)
#include "dataset_create_test.moc"
