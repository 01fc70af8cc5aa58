// The handicap dialogs driven through their widgets on the offscreen
// platform: the Handicap Races dialog's list rules, settings and the setup
// it yields, its Path box that takes a typed or pasted folder or card, and
// its card list that picks many cards at once; the SIM Mapping dialog's store and restore across tabs, Reset,
// OK and Cancel; the Scratch Editor's save and cancel. With
// STRIDEWELL_SCREENSHOTS set to a folder, also writes the pictures of the
// two main dialogs there (docs/screenshots).
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "gui/handicap_dialog.h"
#include "gui/scratch_editor_dialog.h"
#include "gui/sim_mapping_dialog.h"
#include "layout/folder_browsing.h"
#include "model/sim_map.h"
#include "operations/scratch_edit.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"
#include "widget_texts.h"

namespace fs = std::filesystem;
using namespace stridewell;
using stridewell::gui::HandicapDialog;
using stridewell::gui::ScratchEditorDialog;
using stridewell::gui::SimMappingDialog;
using Kind = test::RecordingInteraction::Kind;

using stridewell::test::child;
using stridewell::test::fileBytes;
using stridewell::test::itemTexts;

namespace {

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

void selectText(QListWidget* list, const QString& text) {
  const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
  if (items.isEmpty()) qFatal("no item %s", qPrintable(text));
  list->setCurrentItem(items.front());
}

// Types `text` key by key (keyClicks takes ASCII only).
void typeInto(QWidget* widget, const QString& text) {
  for (const QChar letter : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
  }
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private:
  // A fresh user per test: settings file, Workspace with one SIM of its
  // own, and two card folders holding a file of the same name.
  struct User {
    test::TempFolder folder;
    Workspace workspace;
    std::unique_ptr<SettingsStore> store;
    test::RecordingInteraction ui;
    std::string cardsA, cardsB;

    User() {
      workspace = workspaceAt((folder.path() / "program").string(), (folder.path() / "home").string());
      fs::create_directories(workspace.programFolder);
      fs::create_directories(workspace.sim);
      fs::create_directories(workspace.unzip);
      fs::copy_file(fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM",
                    fs::path(workspace.programFolder) / "Default.SIM");
      std::ofstream(fs::path(workspace.sim) / "Alpha.SIM") << "weights";
      store = std::make_unique<SettingsStore>((folder.path() / "settings.conf").string());
      cardsA = (folder.path() / "cards" / "a").string();
      cardsB = (folder.path() / "cards" / "b").string();
      fs::create_directories(cardsA);
      fs::create_directories(cardsB);
      for (const char* name : {"SAX0313.TCF", "SAX0314.TCF"}) {
        fs::copy_file(kExamples / "plain" / name, fs::path(cardsA) / name);
      }
      fs::copy_file(kExamples / "plain" / "SAX0313.TCF", fs::path(cardsB) / "SAX0313.TCF");
      fs::copy_file(kExamples / "zipped" / "SAX0316M.ZIP", fs::path(cardsB) / "SAX0316M.ZIP");
      store->write(setting::kImportFolder, cardsA);
    }
    // What another run of the program would read.
    SettingsStore reread() const { return SettingsStore(store->file()); }
  };

  static void addFile(HandicapDialog& dialog, const QString& name) {
    selectText(child<QListWidget>(dialog, "cardFiles"), name);
    QVERIFY(child<QPushButton>(dialog, "addFile")->isEnabled());
    QTest::mouseClick(child<QPushButton>(dialog, "addFile"), Qt::LeftButton);
  }

 private slots:
  void init() { HandicapDialog::sharedList().clear(); }

  void handicapDialogOpensWithTheLastChoices() {
    User user;
    user.store->write(setting::kSingleSim, "n");
    user.store->write(setting::kUseMaps, "y");
    user.store->write(setting::kSimMapName, "SI Map 4");
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    QVERIFY(child<QRadioButton>(dialog, "useMap")->isChecked());
    QVERIFY(child<QComboBox>(dialog, "maps")->isEnabled());
    QVERIFY(!child<QComboBox>(dialog, "sims")->isEnabled());
    QCOMPARE(child<QComboBox>(dialog, "maps")->currentText(), QString("4"));
    QCOMPARE(child<QComboBox>(dialog, "sims")->count(), 2);  // Default, Alpha
    QVERIFY(child<QCheckBox>(dialog, "dryOnly")->isHidden());
    QVERIFY(!child<QCheckBox>(dialog, "dryOnly")->isEnabled());

    // The browser shows IMPORTDIR with its card files, nothing chosen yet.
    QCOMPARE(child<QLineEdit>(dialog, "path")->text(), QString::fromStdString(user.cardsA));
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "cardFiles")), QStringList({"SAX0313.TCF", "SAX0314.TCF"}));
    QVERIFY(!child<QPushButton>(dialog, "addFile")->isEnabled());
    QVERIFY(child<QPushButton>(dialog, "upOneLevel")->isEnabled());

    // An empty list can be neither handicapped nor cleared.
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:   0"));
    QVERIFY(!child<QPushButton>(dialog, "handicap")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "clearList")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "remove")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "editScratches")->isEnabled());

    // Switching the mode switches which drop-down is live.
    child<QRadioButton>(dialog, "singleSim")->click();
    QVERIFY(!child<QComboBox>(dialog, "maps")->isEnabled());
    QVERIFY(child<QComboBox>(dialog, "sims")->isEnabled());
  }

  void handicapListRefusesDuplicatesAndKeepsItsButtonsRight() {
    User user;
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    auto* list = child<QListWidget>(dialog, "handicapList");
    QVERIFY(stridewell::test::columnsLineUp(list->font()));  // name and folder columns line up
    addFile(dialog, "SAX0313.TCF");
    QCOMPARE(itemTexts(list), QStringList({QString::fromStdString("SAX0313.TCF  " + user.cardsA)}));
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:   1"));
    QVERIFY(child<QPushButton>(dialog, "handicap")->isEnabled());
    QVERIFY(child<QPushButton>(dialog, "clearList")->isEnabled());

    // The same name from another folder is refused, with a warning.
    dialog.showFolder(user.cardsB);
    QCOMPARE(user.reread().read(setting::kImportFolder, ""), user.cardsB);
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "cardFiles")), QStringList({"SAX0313.TCF", "SAX0316.TCF"}));
    addFile(dialog, "SAX0313.TCF");
    QCOMPARE(list->count(), 1);
    QCOMPARE(user.ui.calls().size(), size_t{1});
    QVERIFY(user.ui.calls()[0] ==
            (test::RecordingInteraction::Call{Kind::kWarning, "Warning",
                                              "SAX0313.TCF is already in list (duplicate ignored)"}));
    addFile(dialog, "SAX0316.TCF");  // the archive, under its card's name
    QCOMPARE(list->count(), 2);

    // Selecting a line enables Remove and Edit Scratches; removing disables them.
    list->setCurrentRow(0);
    QVERIFY(child<QPushButton>(dialog, "remove")->isEnabled());
    QVERIFY(child<QPushButton>(dialog, "editScratches")->isEnabled());
    QTest::mouseClick(child<QPushButton>(dialog, "remove"), Qt::LeftButton);
    QCOMPARE(itemTexts(list), QStringList({QString::fromStdString("SAX0316.TCF  " + user.cardsB)}));
    QVERIFY(!child<QPushButton>(dialog, "remove")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "editScratches")->isEnabled());
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:   1"));

    // Up one level shows the folders; Clear List empties the list.
    QTest::mouseClick(child<QPushButton>(dialog, "upOneLevel"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(dialog, "path")->text(), QString::fromStdString(parentFolder(user.cardsB)));
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "folders")), QStringList({"a", "b"}));
    QCOMPARE(child<QListWidget>(dialog, "cardFiles")->count(), 0);
    auto* folders = child<QListWidget>(dialog, "folders");
    emit folders->itemActivated(folders->item(0));  // a double click goes into the folder
    QCOMPARE(dialog.shownFolder(), user.cardsA);
    QTest::mouseClick(child<QPushButton>(dialog, "clearList"), Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QVERIFY(!child<QPushButton>(dialog, "handicap")->isEnabled());
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:   0"));
  }

  // Enter in a list does the list's own thing and never presses Handicap:
  // on a card it adds the card, on a folder it opens it, in the handicap
  // list it does nothing. Enter elsewhere still runs the handicap.
  void enterInAListNeverStartsTheRun() {
    User user;
    HandicapDialog::sharedList().add("SAX0314.TCF", user.cardsA);
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* entries = child<QListWidget>(dialog, "handicapList");
    auto* cards = child<QListWidget>(dialog, "cardFiles");
    auto* folders = child<QListWidget>(dialog, "folders");

    selectText(cards, "SAX0313.TCF");
    QTest::keyClick(cards, Qt::Key_Return);
    QCOMPARE(entries->count(), 2);
    QVERIFY(dialog.isVisible());

    dialog.showFolder(parentFolder(user.cardsB));
    selectText(folders, "b");
    QTest::keyClick(folders, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(dialog.shownFolder(), user.cardsB);
    QVERIFY(dialog.isVisible());

    entries->setCurrentRow(0);
    QTest::keyClick(entries, Qt::Key_Return);
    QCOMPARE(entries->count(), 2);
    QVERIFY(dialog.isVisible());
    QVERIFY(user.ui.calls().empty());

    QTest::keyClick(child<QComboBox>(dialog, "sims"), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  // The Path box takes what is typed (Enter) or pasted (then leaving the
  // box): a folder shows its cards, a card file or card archive picks its
  // folder and selects the card. What cannot be shown says why under the
  // path and leaves the folder shown, its cards and the list as they were.
  void thePathBoxTakesATypedOrPastedFolderOrCard() {
    User user;
    const std::string cards = fs::path(user.cardsA).parent_path().string();
    const std::string spaced = cards + "/Rennen M\xC3\xA4rz";  // a blank and a non-ASCII letter
    fs::create_directories(spaced);
    fs::copy_file(kExamples / "plain" / "SAX0314.TCF", fs::path(spaced) / "SAX0314.TCF");
    HandicapDialog::sharedList().add("SAX0314.TCF", user.cardsA);  // Handicap is enabled
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* path = child<QLineEdit>(dialog, "path");
    auto* problem = child<QLabel>(dialog, "pathProblem");
    auto* cardList = child<QListWidget>(dialog, "cardFiles");
    QVERIFY(!path->isReadOnly());

    const struct {
      std::string typed;
      std::string shown;     // the folder shown after Enter
      QStringList selected;  // the cards selected
      std::string problem;   // the line under the path
    } cases[] = {
        {user.cardsB, user.cardsB, {}, ""},
        {"  " + user.cardsA + "/ ", user.cardsA, {}, ""},
        {user.cardsB + "/SAX0316M.ZIP", user.cardsB, {"SAX0316.TCF"}, ""},
        {user.cardsA + "/SAX0314.TCF", user.cardsA, {"SAX0314.TCF"}, ""},
        {"../b", user.cardsB, {}, ""},  // from the folder shown (a)
        {spaced + "/SAX0314.TCF", spaced, {"SAX0314.TCF"}, ""},
        // From here on the folder shown and its selected card stay.
        {cards + "/nowhere",
         spaced,
         {"SAX0314.TCF"},
         "Cannot open " + cards + "/nowhere: No such file or directory"},
        {user.cardsA + "/SAX0313.TCF/x",
         spaced,
         {"SAX0314.TCF"},
         "Cannot open " + user.cardsA + "/SAX0313.TCF/x: Not a directory"},
        {user.workspace.programFolder + "/Default.SIM",
         spaced,
         {"SAX0314.TCF"},
         user.workspace.programFolder + "/Default.SIM is neither a folder nor a card or results file"},
    };
    for (const auto& c : cases) {
      const QByteArray which = QByteArray::fromStdString(c.typed);
      path->setFocus();
      path->clear();
      typeInto(path, QString::fromStdString(c.typed));
      QVERIFY2(path->text().toStdString() == c.typed, which);
      QTest::keyClick(path, Qt::Key_Return);
      QVERIFY2(dialog.isVisible(), which);  // Enter in the box never runs the handicap
      QVERIFY2(dialog.shownFolder() == c.shown, which);
      QVERIFY2(problem->text().toStdString() == c.problem, which);
      QVERIFY2(problem->isVisible() == !c.problem.empty(), which);
      QStringList selected;
      for (QListWidgetItem* item : cardList->selectedItems()) selected << item->text();
      QVERIFY2(selected == c.selected, which);
      if (c.problem.empty()) {
        QVERIFY2(path->text().toStdString() == c.shown, which);
        QVERIFY2(user.reread().read(setting::kImportFolder, "") == c.shown, which);
      } else {
        // Kept for mending; the cards of the folder shown are still there.
        QVERIFY2(path->text().toStdString() == c.typed, which);
        QVERIFY2(itemTexts(cardList) == QStringList{"SAX0314.TCF"}, which);
        QVERIFY2(user.reread().read(setting::kImportFolder, "") == spaced, which);
      }
    }
    QCOMPARE(child<QListWidget>(dialog, "handicapList")->count(), 1);
    QVERIFY(user.ui.calls().empty());  // said in the dialog, not in a box

    // Pasted, then the box is left for another control: the folder is shown
    // as by Enter.
    QApplication::clipboard()->setText(QString::fromStdString(user.cardsB));
    path->setFocus();
    path->selectAll();
    QTest::keySequence(path, QKeySequence::Paste);
    QCOMPARE(path->text().toStdString(), user.cardsB);
    QTest::keyClick(path, Qt::Key_Tab);
    QVERIFY(!path->hasFocus());
    QCOMPARE(dialog.shownFolder(), user.cardsB);
    QCOMPARE(itemTexts(cardList), QStringList({"SAX0313.TCF", "SAX0316.TCF"}));
    QVERIFY(problem->isHidden());

    // A typed card is selected: Enter on it adds it, and the dialog stays.
    path->setFocus();
    path->setText(QString::fromStdString(user.cardsB + "/SAX0316M.ZIP"));
    QTest::keyClick(path, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), cardList);
    QTest::keyClick(cardList, Qt::Key_Return);
    QCOMPARE(itemTexts(child<QListWidget>(dialog, "handicapList")).last(),
             QString::fromStdString("SAX0316.TCF  " + user.cardsB));
    QVERIFY(dialog.isVisible());
  }

  // A folder that cannot be read is refused the same way, whether typed or
  // chosen in the folder list (not for root, who reads every folder).
  void aFolderThatCannotBeReadIsNotShown() {
    if (::geteuid() == 0) QSKIP("root reads every folder");
    User user;
    const fs::path locked = fs::path(user.cardsA) / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::none);
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    const std::string why = "Cannot read folder " + locked.string() + ": Permission denied";
    auto* folders = child<QListWidget>(dialog, "folders");
    selectText(folders, "locked");
    emit folders->activated(folders->currentIndex());
    QCOMPARE(dialog.shownFolder(), user.cardsA);
    QCOMPARE(child<QLabel>(dialog, "pathProblem")->text().toStdString(), why);
    QCOMPARE(child<QListWidget>(dialog, "cardFiles")->count(), 2);
    auto* path = child<QLineEdit>(dialog, "path");
    path->setText(QString::fromStdString(locked.string()));
    QTest::keyClick(path, Qt::Key_Return);
    QCOMPARE(dialog.shownFolder(), user.cardsA);
    QCOMPARE(child<QLabel>(dialog, "pathProblem")->text().toStdString(), why);
    fs::permissions(locked, fs::perms::owner_all);
  }

  // Shift-click takes a range, Ctrl-click adds or drops one card, Ctrl+A
  // takes them all; Add File adds every card selected, in the folder's
  // order, and Add All the whole folder; the duplicates of one add give one
  // warning.
  void manyCardsTakeOneAdd() {
    User user;
    const fs::path many = user.folder.path() / "many";
    fs::create_directories(many);
    QStringList names;
    for (int day = 1; day <= 41; ++day) {
      const QString name = QString("SAX%1.TCF").arg(1000 + day);
      fs::copy_file(kExamples / "plain" / "SAX0313.TCF", many / name.toStdString());
      names << name;
    }
    user.store->write(setting::kImportFolder, many.string());
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* cardList = child<QListWidget>(dialog, "cardFiles");
    auto* entries = child<QListWidget>(dialog, "handicapList");
    auto* addAll = child<QPushButton>(dialog, "addAll");
    QCOMPARE(itemTexts(cardList), names);
    QVERIFY(addAll->isEnabled());
    auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
      cardList->scrollToItem(cardList->item(row));
      QTest::mouseClick(cardList->viewport(), Qt::LeftButton, modifiers,
                        cardList->visualItemRect(cardList->item(row)).center());
    };
    auto selectedRows = [&] {
      QList<int> rows;
      for (int row = 0; row < cardList->count(); ++row) {
        if (cardList->item(row)->isSelected()) rows << row;
      }
      return rows;
    };
    click(1, Qt::NoModifier);
    click(4, Qt::ShiftModifier);
    QCOMPARE(selectedRows(), (QList<int>{1, 2, 3, 4}));
    click(3, Qt::ControlModifier);  // dropped
    click(7, Qt::ControlModifier);  // added
    QCOMPARE(selectedRows(), (QList<int>{1, 2, 4, 7}));
    QTest::mouseClick(child<QPushButton>(dialog, "addFile"), Qt::LeftButton);
    QStringList expected;
    for (int row : {1, 2, 4, 7}) expected << names[row] + "  " + QString::fromStdString(many.string());
    QCOMPARE(itemTexts(entries), expected);
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:   4"));
    QVERIFY(user.ui.calls().empty());

    // Ctrl+A and Add File: the 37 others come in, the 4 give one warning.
    cardList->setFocus();
    QTest::keySequence(cardList, QKeySequence::SelectAll);
    QCOMPARE(cardList->selectedItems().size(), 41);
    QTest::mouseClick(child<QPushButton>(dialog, "addFile"), Qt::LeftButton);
    QCOMPARE(entries->count(), 41);
    QCOMPARE(entries->item(4)->text(), names[0] + "  " + QString::fromStdString(many.string()));
    QCOMPARE(user.ui.calls().size(), size_t{1});
    QVERIFY(user.ui.calls()[0] ==
            (test::RecordingInteraction::Call{Kind::kWarning, "Warning",
                                              "SAX1002.TCF, SAX1003.TCF, SAX1005.TCF and SAX1008.TCF are "
                                              "already in list (duplicates ignored)"}));

    // Add All, from a cleared list: the folder in one add, up to the 64.
    QTest::mouseClick(child<QPushButton>(dialog, "clearList"), Qt::LeftButton);
    QTest::mouseClick(addAll, Qt::LeftButton);
    QCOMPARE(entries->count(), 41);
    dialog.showFolder(user.cardsA);
    QTest::mouseClick(addAll, Qt::LeftButton);
    QCOMPARE(entries->count(), 43);
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:  43"));
    dialog.showFolder(user.folder.path().string());  // no cards here
    QVERIFY(!addAll->isEnabled());

    // The new button's mnemonic clashes with no other in the dialog.
    QStringList keys;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
      const QString text = button->text();
      const qsizetype amp = text.indexOf('&');
      if (amp >= 0 && amp + 1 < text.size()) keys << text.mid(amp + 1, 1).toLower();
    }
    QVERIFY(keys.contains("d"));
    QCOMPARE(keys.removeDuplicates(), qsizetype{0});
  }

  void aFullListSilentlyRefusesMoreFiles() {
    User user;
    for (int i = 0; i < 64; ++i) {
      HandicapDialog::sharedList().add("ABC" + std::to_string(1000 + i) + ".TCF", "/elsewhere");
    }
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    QCOMPARE(child<QLabel>(dialog, "summary")->text(), QString("Total files:  64"));
    addFile(dialog, "SAX0313.TCF");
    QCOMPARE(child<QListWidget>(dialog, "handicapList")->count(), 64);
    QVERIFY(user.ui.calls().empty());
  }

  void handicapYieldsTheSetupAndKeepsTheList() {
    User user;
    SimMap third = defaultSimMap();
    third.rules[0].sim = "Alpha";
    QVERIFY(saveSimMap(*user.store, 2, third));
    {
      HandicapDialog dialog(*user.store, user.workspace, user.ui);
      addFile(dialog, "SAX0314.TCF");
      addFile(dialog, "SAX0313.TCF");
      child<QRadioButton>(dialog, "useMap")->click();
      child<QComboBox>(dialog, "maps")->setCurrentIndex(2);
      QTest::mouseClick(child<QPushButton>(dialog, "handicap"), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QVERIFY(dialog.setup().mapMode);
      QVERIFY(!dialog.setup().dryOnly);
      QVERIFY(dialog.setup().simMap[0].enabled);
      QCOMPARE(dialog.setup().simMap[0].weightsPath, user.workspace.sim + "/Alpha.SIM");
      QVERIFY(!dialog.setup().simMap[1].enabled);
      QCOMPARE(dialog.inputPaths(),
               (std::vector<std::string>{user.cardsA + "/SAX0314.TCF", user.cardsA + "/SAX0313.TCF"}));
    }
    SettingsStore after = user.reread();
    QCOMPARE(after.read(setting::kSingleSim, ""), std::string("n"));
    QCOMPARE(after.read(setting::kUseMaps, ""), std::string("y"));
    QCOMPARE(after.read(setting::kSimMapName, ""), std::string("SI Map 3"));
    QCOMPARE(after.read(setting::kDryOnly, ""), std::string("n"));

    // The next opening starts with that list; Cancel keeps it as it was.
    {
      HandicapDialog dialog(*user.store, user.workspace, user.ui);
      QCOMPARE(child<QListWidget>(dialog, "handicapList")->count(), 2);
      QVERIFY(child<QRadioButton>(dialog, "useMap")->isChecked());
      QTest::mouseClick(child<QPushButton>(dialog, "clearList"), Qt::LeftButton);
      dialog.showFolder(user.cardsB);
      user.store->write(setting::kImportFolder, "/somewhere/else");
      QTest::mouseClick(child<QPushButton>(dialog, "cancel"), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QCOMPARE(HandicapDialog::sharedList().size(), size_t{2});
    QCOMPARE(user.reread().read(setting::kImportFolder, ""), user.cardsB);

    // Single-SIM mode: the SIM folder's file of the chosen name.
    {
      HandicapDialog dialog(*user.store, user.workspace, user.ui);
      child<QRadioButton>(dialog, "singleSim")->click();
      child<QComboBox>(dialog, "sims")->setCurrentText("Alpha");
      QTest::mouseClick(child<QPushButton>(dialog, "handicap"), Qt::LeftButton);
      QVERIFY(!dialog.setup().mapMode);
      QCOMPARE(dialog.setup().simName, std::string("Alpha"));
      QCOMPARE(dialog.setup().simPath, user.workspace.sim + "/Alpha.SIM");
      // Remembered by the run once the SIM has loaded, not before.
      std::map<std::string, std::string> pending;
      for (const SettingsStore::Change& change : dialog.pendingSettings()) {
        QCOMPARE(change.section, std::string(kSettingsSection));
        pending[change.key] = change.value;
      }
      QCOMPARE(pending[std::string(setting::kSimName)], std::string("Alpha"));
      QCOMPARE(pending[std::string(setting::kSingleSim)], std::string("y"));
      QCOMPARE(pending[std::string(setting::kUseMaps)], std::string("n"));
    }
    QCOMPARE(user.reread().read(setting::kSimName, ""), std::string("Default"));  // as the map run left it
    QCOMPARE(user.reread().read(setting::kSingleSim, ""), std::string("n"));
    QCOMPARE(user.reread().read(setting::kUseMaps, ""), std::string("y"));
  }

  void aMissingImportFolderShowsItsNearestParent() {
    User user;
    user.store->write(setting::kImportFolder, user.cardsA + "/gone/deeper");
    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    QCOMPARE(dialog.shownFolder(), user.cardsA);
    QCOMPARE(child<QListWidget>(dialog, "cardFiles")->count(), 2);
  }

  void searchShowsTheFolderOfTheNewestCard() {
    User user;
    const fs::path cards = fs::path(user.cardsA).parent_path();
    const fs::path empty = user.folder.path() / "empty";
    fs::create_directories(empty / "sub");
    const auto now = fs::file_time_type::clock::now();
    for (const auto& entry : fs::recursive_directory_iterator(cards)) {
      if (entry.is_regular_file()) fs::last_write_time(entry.path(), now - std::chrono::hours(2));
    }
    fs::last_write_time(fs::path(user.cardsB) / "SAX0316M.ZIP", now - std::chrono::hours(1));

    HandicapDialog dialog(*user.store, user.workspace, user.ui);
    dialog.usePlaces({cards.string(), empty.string()});
    QCOMPARE(dialog.shownFolder(), cards.string());
    dialog.searchNewestCards();
    QCOMPARE(dialog.shownFolder(), user.cardsB);
    QCOMPARE(user.reread().read(setting::kImportFolder, ""), user.cardsB);
    QVERIFY(user.ui.calls().empty());

    // Nothing found: a warning, and the browser at the place searched.
    child<QComboBox>(dialog, "drives")->setCurrentIndex(1);
    dialog.searchNewestCards();
    QCOMPARE(dialog.shownFolder(), empty.string());
    QCOMPARE(user.ui.calls().size(), size_t{1});
    QVERIFY(user.ui.calls()[0] ==
            (test::RecordingInteraction::Call{Kind::kWarning, "Warning",
                                              "No Stridewell 5 files were found on " + empty.string()}));
  }

  void simMappingStoresAndRestoresAcrossTabs() {
    User user;
    SimMap second = defaultSimMap();
    second.comment = "two";
    second.rules[1] = {true, "AQ", 2, 1, 0, 5, "Alpha"};
    second.rules[2] = {true, "", 0, 0, 0, 0, "Gone"};    // a SIM that was deleted
    second.rules[3] = {false, "", 7, 0, 0, 0, "Alpha"};  // an index no list has
    QVERIFY(saveSimMap(*user.store, 1, second));
    user.store->write(setting::kSimMapName, "SI Map 2");

    SimMappingDialog dialog(*user.store, user.workspace);
    auto* tabs = child<QTabBar>(dialog, "mapTabs");
    QCOMPARE(tabs->count(), 5);
    QCOMPARE(tabs->tabText(4), QString("SI Map 5"));
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>(dialog, "comment")->text(), QString("two"));
    QVERIFY(child<QCheckBox>(dialog, "rule2On")->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "rule2Track")->text(), QString("AQ"));
    QCOMPARE(child<QComboBox>(dialog, "rule2Distance")->currentText(), QString("Sprint"));
    QCOMPARE(child<QComboBox>(dialog, "rule2Surface")->currentText(), QString("Turf"));
    QCOMPARE(child<QComboBox>(dialog, "rule2Class")->currentText(), QString("Stakes"));
    QCOMPARE(child<QComboBox>(dialog, "rule2Sim")->currentText(), QString("Alpha"));
    QCOMPARE(child<QComboBox>(dialog, "rule3Sim")->currentText(), QString("Default"));
    QCOMPARE(child<QLineEdit>(dialog, "rule2Track")->maxLength(), 3);
    // A row's controls show only while it is checked.
    QVERIFY(!child<QComboBox>(dialog, "rule2Sim")->isHidden());
    QVERIFY(child<QComboBox>(dialog, "rule5Sim")->isHidden());
    QVERIFY(child<QLineEdit>(dialog, "rule5Track")->isHidden());

    // Checking a row stores it at once and shows its controls.
    child<QCheckBox>(dialog, "rule5On")->click();
    QVERIFY(dialog.maps()[1].rules[4].enabled);
    QVERIFY(!child<QLineEdit>(dialog, "rule5Track")->isHidden());
    child<QLineEdit>(dialog, "comment")->setText("two, edited");
    child<QLineEdit>(dialog, "rule5Track")->setText("SA");

    tabs->setCurrentIndex(0);
    QCOMPARE(dialog.currentMap(), 0);
    QCOMPARE(dialog.maps()[1].comment, std::string("two, edited"));
    QCOMPARE(dialog.maps()[1].rules[4].track, std::string("SA"));
    QCOMPARE(dialog.maps()[1].rules[2].sim, std::string("Gone"));  // not replaced by what was shown
    QCOMPARE(dialog.maps()[1].rules[3].distance, 7);
    QCOMPARE(child<QLineEdit>(dialog, "comment")->text(), QString());
    QVERIFY(child<QCheckBox>(dialog, "rule1On")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog, "rule2On")->isChecked());
    child<QComboBox>(dialog, "rule1Condition")->setCurrentIndex(2);

    tabs->setCurrentIndex(1);
    QCOMPARE(dialog.maps()[0].rules[0].condition, 2);
    QCOMPARE(child<QLineEdit>(dialog, "comment")->text(), QString("two, edited"));
    QCOMPARE(child<QLineEdit>(dialog, "rule5Track")->text(), QString("SA"));
    QVERIFY(child<QCheckBox>(dialog, "rule5On")->isChecked());

    // Picking a SIM for the row of the deleted one replaces it.
    auto* gone = child<QComboBox>(dialog, "rule3Sim");
    gone->setCurrentIndex(1);
    emit gone->activated(1);
    tabs->setCurrentIndex(2);
    QCOMPARE(dialog.maps()[1].rules[2].sim, std::string("Alpha"));
  }

  void simMappingResetOkAndCancel() {
    User user;
    SimMap second = defaultSimMap();
    second.comment = "two";
    second.rules[1] = {true, "AQ", 2, 1, 0, 5, "Alpha"};
    second.rules[3] = {false, "", 7, 0, 0, 0, "Alpha"};
    QVERIFY(saveSimMap(*user.store, 1, second));
    user.store->write(setting::kSimMapName, "SI Map 2");

    {  // Cancel writes nothing, whatever was edited on any tab.
      SimMappingDialog dialog(*user.store, user.workspace);
      child<QLineEdit>(dialog, "comment")->setText("lost");
      child<QTabBar>(dialog, "mapTabs")->setCurrentIndex(3);
      child<QCheckBox>(dialog, "rule1On")->click();
      QTest::mouseClick(child<QPushButton>(dialog, "cancel"), Qt::LeftButton);
    }
    SettingsStore afterCancel = user.reread();
    QVERIFY(loadSimMap(afterCancel, 1) == second);
    QCOMPARE(afterCancel.read("SI Map 4", "1ON", "missing"), std::string("missing"));

    {  // Reset touches the shown map only; OK writes all five.
      SimMappingDialog dialog(*user.store, user.workspace);
      child<QTabBar>(dialog, "mapTabs")->setCurrentIndex(0);
      child<QLineEdit>(dialog, "comment")->setText("first");
      child<QTabBar>(dialog, "mapTabs")->setCurrentIndex(1);
      QTest::mouseClick(child<QPushButton>(dialog, "resetMap"), Qt::LeftButton);
      QVERIFY(!child<QCheckBox>(dialog, "rule2On")->isChecked());
      QCOMPARE(child<QLineEdit>(dialog, "comment")->text(), QString());
      QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    SettingsStore afterOk = user.reread();
    QVERIFY(loadSimMap(afterOk, 1) == defaultSimMap());
    QCOMPARE(loadSimMap(afterOk, 0).comment, std::string("first"));
    for (const char* section : {"SI Map 3", "SI Map 4", "SI Map 5"}) {
      QCOMPARE(afterOk.read(section, "1ON", "missing"), std::string("y"));
      QCOMPARE(afterOk.read(section, "10NN", "missing"), std::string("Default"));
    }
    // The dialog never changes which map is used.
    QCOMPARE(afterOk.read(setting::kSimMapName, ""), std::string("SI Map 2"));

    {  // OK without touching a row keeps what the rows cannot show.
      SimMap odd = defaultSimMap();
      odd.rules[0] = {true, "", 7, 0, 0, 0, "Gone"};
      QVERIFY(saveSimMap(*user.store, 1, odd));
      SimMappingDialog dialog(*user.store, user.workspace);
      QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
      QVERIFY(loadSimMap(user.reread(), 1) == odd);
    }
  }

  void scratchEditorSavesTheCheckedHorses() {
    User user;
    const fs::path card = fs::path(user.cardsA) / "SAX0313.TCF";
    const std::string original = fileBytes(card);
    ScratchCard before;
    QVERIFY(loadScratchCard(card.string(), user.workspace, user.ui, before));
    QVERIFY(before.items.size() > 3);

    {  // Cancel leaves the card as it was.
      ScratchEditorDialog dialog(card.string(), user.workspace, user.ui);
      QVERIFY(dialog.loaded());
      QCOMPARE(child<QLabel>(dialog, "fileName")->text(), QString::fromStdString(card.string()));
      QCOMPARE(dialog.horseList()->count(), int(before.items.size()));
      QCOMPARE(dialog.horseList()->item(0)->text(), QString::fromStdString(before.items[0].text));
      dialog.horseList()->item(1)->setCheckState(Qt::Checked);
      QTest::mouseClick(child<QPushButton>(dialog, "cancel"), Qt::LeftButton);
    }
    QCOMPARE(fileBytes(card), original);

    {
      ScratchEditorDialog dialog(card.string(), user.workspace, user.ui);
      for (size_t i = 0; i < before.items.size(); ++i) {
        const Qt::CheckState shown = dialog.horseList()->item(int(i))->checkState();
        QCOMPARE(shown == Qt::Checked, before.items[i].scratched);
        const bool editable = dialog.horseList()->item(int(i))->flags() & Qt::ItemIsUserCheckable;
        QCOMPARE(editable, !before.items[i].locked);
      }
      const Qt::CheckState flipped = before.items[2].scratched ? Qt::Unchecked : Qt::Checked;
      dialog.horseList()->item(2)->setCheckState(flipped);
      QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    ScratchCard after;
    QVERIFY(loadScratchCard(card.string(), user.workspace, user.ui, after));
    QCOMPARE(after.items.size(), before.items.size());
    for (size_t i = 0; i < after.items.size(); ++i) {
      QCOMPARE(after.items[i].scratched, i == 2 ? !before.items[i].scratched : before.items[i].scratched);
    }
    QVERIFY(user.ui.calls().empty());
  }

  void aFailedScratchSaveKeepsTheEditorOpen() {
    User user;
    const fs::path card = fs::path(user.cardsA) / "SAX0313.TCF";
    ScratchEditorDialog dialog(card.string(), user.workspace, user.ui);
    QVERIFY(dialog.loaded());
    dialog.show();
    dialog.horseList()->item(0)->setCheckState(Qt::Checked);
    // The card changes behind the editor's back: it must not be overwritten.
    const std::string changed = fileBytes(fs::path(user.cardsA) / "SAX0314.TCF");
    std::ofstream(card, std::ios::binary | std::ios::trunc) << changed;
    QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(user.ui.calls().size(), size_t{1});
    QCOMPARE(user.ui.calls()[0].kind, Kind::kError);
    QVERIFY(user.ui.calls()[0].text.starts_with("Error during save"));
    QCOMPARE(fileBytes(card), changed);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    dialog.reject();
  }

  // A card inside an archive is named by the archive and the card, never by
  // the copy unpacked into UNZIP; the caption says what a tick means.
  void scratchEditorNamesTheCardAsTheUserKnowsIt() {
    User user;
    struct Case {
      fs::path card;
      QString shown;
      QString tip;
    };
    const fs::path plain = fs::path(user.cardsA) / "SAX0313.TCF";
    const fs::path archive = fs::path(user.cardsB) / "SAX0316M.ZIP";
    const std::vector<Case> cases{
        {plain, QString::fromStdString(plain.string()), QString()},
        {fs::path(user.cardsB) / "SAX0316.TCF", QStringLiteral("SAX0316M.ZIP > SAX0316.TCF"),
         QString::fromStdString(archive.string())},
        {archive, QStringLiteral("SAX0316M.ZIP > SAX0316.TCF"), QString::fromStdString(archive.string())},
    };
    for (const Case& c : cases) {
      const QByteArray name = QByteArray::fromStdString(c.card.string());
      ScratchEditorDialog dialog(c.card.string(), user.workspace, user.ui);
      QVERIFY2(dialog.loaded(), name);
      const QLabel* shown = child<QLabel>(dialog, "fileName");
      QVERIFY2(shown->text() == c.shown, qPrintable(shown->text()));
      QVERIFY2(shown->toolTip() == c.tip, qPrintable(shown->toolTip()));
      QVERIFY2(!shown->text().contains(QString::fromStdString(user.workspace.unzip)), name);
      QVERIFY2(dialog.horseList()->count() > 3, name);
      QVERIFY(child<QLabel>(dialog, "tickMeaning")->text().startsWith("A ticked horse is scratched"));
    }
    QVERIFY(user.ui.calls().empty());
  }

  void scratchEditorRefusesAnInvalidCard() {
    User user;
    ScratchEditorDialog dialog((kExamples / "bad" / "SAX0313.TCF").string(), user.workspace, user.ui);
    QVERIFY(!dialog.loaded());
    QCOMPARE(user.ui.calls().size(), size_t{1});
    QCOMPARE(user.ui.calls()[0].kind, Kind::kError);
    QVERIFY(user.ui.calls()[0].text.starts_with("File is invalid."));
  }

  void screenshots() {
    const QByteArray folder = qgetenv("STRIDEWELL_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("set STRIDEWELL_SCREENSHOTS to a folder to write the dialogs' pictures");
    User user;
    {
      HandicapDialog dialog(*user.store, user.workspace, user.ui);
      addFile(dialog, "SAX0313.TCF");
      addFile(dialog, "SAX0314.TCF");
      dialog.resize(900, 560);
      dialog.show();
      QVERIFY(dialog.grab().save(QString::fromUtf8(folder) + "/handicap-races.png"));
    }
    {
      SimMap first = defaultSimMap();
      first.comment = "Sprints and routes";
      first.rules[0] = {true, "", 2, 0, 0, 0, "Alpha"};
      first.rules[1] = {true, "", 0, 0, 0, 0, "Default"};
      QVERIFY(saveSimMap(*user.store, 0, first));
      SimMappingDialog dialog(*user.store, user.workspace);
      dialog.show();
      QVERIFY(dialog.grab().save(QString::fromUtf8(folder) + "/sim-mapping.png"));
    }
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
