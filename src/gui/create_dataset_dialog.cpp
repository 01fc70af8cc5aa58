#include "gui/create_dataset_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/card_folder.h"
#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/dataset_name.h"
#include "gui/card_folder_browser.h"
#include "gui/create_dataset_run.h"
#include "gui/dialog_keys.h"
#include "gui/fixed_font.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/qt_interaction.h"
#include "layout/folder_browsing.h"
#include "operations/create_run.h"

namespace stridewell::gui {
namespace {

// No button of this dialog answers Enter on its own: Enter belongs to the
// folder browser (open the path typed or the chosen subfolder) and does
// nothing elsewhere.
QPushButton* button(const QString& text, const char* name, QWidget* parent) {
  auto* result = new QPushButton(text, parent);
  result->setObjectName(name);
  result->setAutoDefault(false);
  result->setDefault(false);
  return result;
}

// The lists are sorted by the bytes of their lines, so that a left-over
// results file (whose line starts with blanks) sorts ahead of the cards as
// in a plain sorted list, whatever the locale would make of the blanks.
void fillSorted(QListWidget* list, std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  list->clear();
  for (const std::string& line : lines) list->addItem(toQString(line));
}

}  // namespace

CreateDatasetDialog::CreateDatasetDialog(SettingsStore& store, const Workspace& workspace,
                                         UserInteraction& ui, QWidget* parent)
    : QDialog(parent), store_(store), workspace_(workspace), ui_(ui) {
  setWindowTitle(tr("Create DataSet"));
  setObjectName("createDataset");

  auto* nameRow = new QHBoxLayout;
  auto* nameLabel = new QLabel(tr("DataSet Name:"), this);
  name_ = new QComboBox(this);
  name_->setObjectName("name");
  name_->setEditable(true);
  name_->setInsertPolicy(QComboBox::NoInsert);
  // The name is what was typed: no completion to a longer existing name
  // (typing "Spring" must not append to "Spring 2026"), and Enter does not
  // swap it for an existing name that differs in letter case.
  name_->setCompleter(nullptr);
  name_->setDuplicatesEnabled(true);
  name_->setMinimumWidth(220);
  nameLabel->setBuddy(name_);
  append_ = new QCheckBox(tr("Append"), this);
  append_->setObjectName("append");
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(name_, 1);
  nameRow->addWidget(append_);

  auto* lists = new QHBoxLayout;
  lists->addWidget(buildListBox(tr("Matched Pairs (TCF+XRD)"), "matched", "matchedCount",
                                tr("Card(s) in DataSet"), matched_, matchedCount_),
                   1);
  lists->addWidget(buildListBox(tr("Left over files (mismatched)"), "leftOver", "leftOverCount",
                                tr("File(s) Not Used"), leftOver_, leftOverCount_),
                   1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  build_ = button(tr("&Build"), "build", this);
  build_->setEnabled(false);
  auto* cancel = button(tr("&Cancel"), "cancel", this);
  buttons->addWidget(build_);
  buttons->addWidget(cancel);
  connect(build_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameRow);
  layout->addWidget(buildLocationBox());
  layout->addLayout(lists, 1);
  layout->addLayout(buttons);
  resize(760, 600);

  // The existing datasets to append to or over-write; none: an empty list.
  for (const std::string& existing : listDatasets(workspace_)) name_->addItem(toQString(existing));
  name_->setCurrentIndex(-1);
  name_->setEditText(QString());

  openingFolder_ = store_.read(setting::kDatasetFolder, setting::defaultFolder());
  showFolder(openingFolder_);
  keepEnterInLists(*this);
  name_->setFocus();
}

QWidget* CreateDatasetDialog::buildLocationBox() {
  auto* box = new QGroupBox(tr("TCF+XRD Data File Location"), this);
  auto* column = new QVBoxLayout(box);
  browser_ = new CardFolderBrowser(box);
  browser_->folderList()->setMaximumHeight(170);  // the pair lists below get the room
  column->addWidget(browser_);
  auto* note =
      new QLabel(tr("NOTE:  All TCF files and their associated XRD files must be in the same folder."), box);
  note->setObjectName("note");
  note->setWordWrap(true);
  column->addWidget(note);
  connect(browser_, &CardFolderBrowser::folderShown, this, [this] { showPairs(); });
  return box;
}

QWidget* CreateDatasetDialog::buildListBox(const QString& title, const char* listName, const char* countName,
                                           const QString& countLabel, QListWidget*& list, QLabel*& count) {
  auto* box = new QGroupBox(title, this);
  auto* column = new QVBoxLayout(box);
  list = new QListWidget(box);
  list->setObjectName(listName);
  list->setFont(fixedPitchFont());
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  column->addWidget(list, 1);
  auto* countRow = new QHBoxLayout;
  count = new QLabel(QStringLiteral("0"), box);
  count->setObjectName(countName);
  countRow->addWidget(count);
  countRow->addWidget(new QLabel(countLabel, box));
  countRow->addStretch(1);
  column->addLayout(countRow);
  return box;
}

void CreateDatasetDialog::usePlaces(std::vector<std::string> places) {
  browser_->usePlaces(std::move(places));
}

const std::string& CreateDatasetDialog::folder() const {
  return browser_->folder();
}

void CreateDatasetDialog::showFolder(const std::string& folder) {
  browser_->showFolder(folder);
}

void CreateDatasetDialog::showPairs() {
  pairing_ = pairFolderFiles(browser_->listing());
  std::vector<std::string> pairLines;
  for (const FilePair& pair : pairing_.pairs) pairLines.push_back(pairLine(pair));
  fillSorted(matched_, std::move(pairLines));
  matchedCount_->setText(QString::number(pairing_.pairs.size()));
  build_->setEnabled(!pairing_.pairs.empty());
  fillSorted(leftOver_, leftOverLines(pairing_));
  leftOverCount_->setText(QString::number(pairing_.leftOverCount()));
  store_.write(setting::kDatasetFolder, browser_->folder());
}

std::string CreateDatasetDialog::name() const {
  return name_->currentText().toStdString();
}

bool CreateDatasetDialog::append() const {
  return append_->isChecked();
}

void CreateDatasetDialog::accept() {
  if (pairing_.pairs.empty()) return;
  if (!checkCreateRequest(name(), append(), workspace_, ui_)) {
    name_->setFocus();
    return;
  }
  QDialog::accept();
}

void CreateDatasetDialog::reject() {
  store_.write(setting::kDatasetFolder, openingFolder_);
  QDialog::reject();
}

void runCreateDataset(MainWindow& window) {
  CreateRequest request;
  {
    CreateDatasetDialog dialog(window.settings(), window.workspace(), window.ui(), &window);
    if (dialog.exec() != QDialog::Accepted) return;
    request = {dialog.name(), dialog.append(), dialog.folder(), dialog.pairs()};
  }
  runCreateRequest(window, request);
}

}  // namespace stridewell::gui
