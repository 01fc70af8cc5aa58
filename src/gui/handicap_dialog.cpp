#include "gui/handicap_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/card_folder.h"
#include "base/interaction.h"
#include "base/program_name.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "gui/card_folder_browser.h"
#include "gui/dialog_keys.h"
#include "gui/fixed_font.h"
#include "gui/list_details.h"
#include "gui/qt_interaction.h"
#include "gui/scratch_editor_dialog.h"
#include "gui/sim_mapping_dialog.h"
#include "handicap/sim_map_rules.h"
#include "layout/folder_browsing.h"
#include "model/sim_map.h"

namespace stridewell::gui {
namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
  auto* result = new QPushButton(text, parent);
  result->setObjectName(name);
  result->setAutoDefault(false);
  return result;
}

}  // namespace

HandicapList& HandicapDialog::sharedList() {
  static HandicapList list;
  return list;
}

HandicapDialog::HandicapDialog(SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                               QWidget* parent)
    : QDialog(parent), store_(store), workspace_(workspace), ui_(ui), list_(sharedList()) {
  setWindowTitle(tr("Handicap Races"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildModeBox());
  auto* middle = new QHBoxLayout;
  middle->addWidget(buildBrowser(), 1);
  middle->addWidget(buildListBox(), 1);
  layout->addLayout(middle, 1);

  auto* bottom = new QHBoxLayout;
  dryOnly_ = new QCheckBox(tr("Assume DRY only"), this);
  dryOnly_->setObjectName("dryOnly");
  dryOnly_->setChecked(false);
  dryOnly_->setEnabled(false);
  dryOnly_->hide();
  bottom->addWidget(dryOnly_);
  bottom->addStretch(1);
  handicap_ = new QPushButton(tr("&Handicap"), this);
  handicap_->setObjectName("handicap");
  handicap_->setDefault(true);
  auto* cancel = button(tr("&Cancel"), "cancel", this);
  bottom->addWidget(handicap_);
  bottom->addWidget(cancel);
  layout->addLayout(bottom);
  connect(handicap_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // The mode and choices of the last run.
  const bool single = store_.readFlag(kSettingsSection, setting::kSingleSim, setting::kSingleSimDefault);
  const bool maps = store_.readFlag(kSettingsSection, setting::kUseMaps, setting::kUseMapsDefault);
  showMode(!single && maps);
  maps_->setCurrentIndex(simMapNumber(store_.read(setting::kSimMapName, setting::kSimMapNameDefault)));
  sims_->setCurrentIndex(
      selectSimByName(simList_.items, store_.read(setting::kSimName, setting::kSimNameDefault), 0));

  showList();
  showFolder(store_.read(setting::kImportFolder, setting::defaultFolder()));
  keepEnterInLists(*this);
  handicap_->setFocus();
}

QWidget* HandicapDialog::buildModeBox() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  singleSim_ = new QRadioButton(tr("Single SIM Model:"), box);
  singleSim_->setObjectName("singleSim");
  useMap_ = new QRadioButton(tr("Use SI Map:"), box);
  useMap_->setObjectName("useMap");
  sims_ = new QComboBox(box);
  sims_->setObjectName("sims");
  simList_ = fillSimList(workspace_.sim, true);
  for (const std::string& item : simList_.items) sims_->addItem(QString::fromStdString(item));
  setSimToolTips(sims_, workspace_, simList_.count);
  maps_ = new QComboBox(box);
  maps_->setObjectName("maps");
  for (int map = 1; map <= kSimMapCount; ++map) maps_->addItem(QString::number(map));
  auto* editMaps = button(tr("Edit SI &Maps"), "editMaps", box);
  grid->addWidget(singleSim_, 0, 0);
  grid->addWidget(sims_, 0, 1);
  grid->addWidget(useMap_, 1, 0);
  grid->addWidget(maps_, 1, 1);
  grid->addWidget(editMaps, 1, 2);
  grid->setColumnStretch(3, 1);
  connect(singleSim_, &QRadioButton::toggled, this, [this](bool single) { showMode(!single); });
  connect(editMaps, &QPushButton::clicked, this, [this] {
    SimMappingDialog dialog(store_, workspace_, this);
    dialog.exec();
  });
  return box;
}

QWidget* HandicapDialog::buildBrowser() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  browser_ = new CardFolderBrowser(box);
  auto* search = button(tr("&Search"), "search", box);
  browser_->addBesideDrives(search);
  grid->addWidget(browser_, 0, 0, 1, 3);
  grid->addWidget(new QLabel(tr("TCF Files:"), box), 1, 0);
  addAll_ = button(tr("A&dd All"), "addAll", box);
  addAll_->setToolTip(tr("Add every card of this folder"));
  grid->addWidget(addAll_, 1, 1, Qt::AlignRight);
  addFile_ = button(tr("&Add File"), "addFile", box);
  addFile_->setToolTip(tr("Add the selected cards (Shift and Ctrl pick many, Ctrl+A all)"));
  grid->addWidget(addFile_, 1, 2);
  cardFiles_ = new QListWidget(box);
  cardFiles_->setObjectName("cardFiles");
  cardFiles_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->addWidget(cardFiles_, 2, 0, 1, 3);
  grid->setColumnStretch(0, 1);

  connect(browser_, &CardFolderBrowser::folderShown, this, [this] { showCardFiles(); });
  connect(browser_, &CardFolderBrowser::fileNamed, this, [this](const QString& name) {
    const QList<QListWidgetItem*> found = cardFiles_->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return;  // a results file: its folder is shown
    cardFiles_->setCurrentItem(found.front(), QItemSelectionModel::ClearAndSelect);
    cardFiles_->scrollToItem(found.front());
    cardFiles_->setFocus();
  });
  connect(search, &QPushButton::clicked, this, [this] { searchNewestCards(); });
  connect(cardFiles_, &QListWidget::itemSelectionChanged, this,
          [this] { addFile_->setEnabled(!cardFiles_->selectedItems().isEmpty()); });
  connect(cardFiles_, &QListWidget::itemActivated, this, [this] { addSelectedFiles(); });
  connect(addFile_, &QPushButton::clicked, this, [this] { addSelectedFiles(); });
  connect(addAll_, &QPushButton::clicked, this, [this] { addAllFiles(); });
  return box;
}

QWidget* HandicapDialog::buildListBox() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  auto* buttons = new QHBoxLayout;
  remove_ = button(tr("&Remove"), "remove", box);
  clearList_ = button(tr("Clear &List"), "clearList", box);
  editScratches_ = button(tr("&Edit Scratches..."), "editScratches", box);
  buttons->addWidget(remove_);
  buttons->addWidget(clearList_);
  buttons->addWidget(editScratches_);
  buttons->addStretch(1);
  grid->addLayout(buttons, 0, 0);
  entries_ = new QListWidget(box);
  entries_->setObjectName("handicapList");
  entries_->setFont(fixedPitchFont());
  entries_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid->addWidget(entries_, 1, 0);
  summary_ = new QLabel(box);
  summary_->setObjectName("summary");
  grid->addWidget(summary_, 2, 0);

  connect(remove_, &QPushButton::clicked, this, [this] { removeSelectedEntry(); });
  connect(clearList_, &QPushButton::clicked, this, [this] { clearList(); });
  connect(editScratches_, &QPushButton::clicked, this, [this] { editScratches(); });
  connect(entries_, &QListWidget::itemSelectionChanged, this, [this] {
    const bool selected = !entries_->selectedItems().isEmpty();
    remove_->setEnabled(selected);
    editScratches_->setEnabled(selected);
  });
  return box;
}

void HandicapDialog::showMode(bool mapMode) {
  useMap_->setChecked(mapMode);
  singleSim_->setChecked(!mapMode);
  maps_->setEnabled(mapMode);
  sims_->setEnabled(!mapMode);
}

void HandicapDialog::showList() {
  entries_->clear();
  for (const HandicapListEntry& entry : list_.entries())
    entries_->addItem(QString::fromStdString(handicapListLine(entry)));
  entries_->clearSelection();
  entries_->setCurrentRow(-1);
  remove_->setEnabled(false);
  editScratches_->setEnabled(false);
  showListButtons();
}

void HandicapDialog::showListButtons() {
  summary_->setText(QString::fromStdString(handicapSummaryText(list_.size())));
  clearList_->setEnabled(!list_.empty());
  handicap_->setEnabled(!list_.empty());
}

void HandicapDialog::showFolder(const std::string& folder) {
  browser_->showFolder(folder);
}

const std::string& HandicapDialog::shownFolder() const {
  return browser_->folder();
}

void HandicapDialog::showCardFiles() {
  cardFiles_->clear();
  for (const std::string& name : browser_->listing().cardFiles) cardFiles_->addItem(toQString(name));
  addFile_->setEnabled(false);
  addAll_->setEnabled(cardFiles_->count() > 0);
  store_.write(setting::kImportFolder, browser_->folder());
}

void HandicapDialog::usePlaces(std::vector<std::string> places) {
  if (places.empty()) return;
  browser_->usePlaces(std::move(places));
  showFolder(browser_->places().front());
}

void HandicapDialog::searchNewestCards() {
  const std::string place = browser_->currentPlace();
  QProgressDialog progress(
      tr("Searching %1 for recent %2 files...").arg(QString::fromStdString(place), toQString(kProgramName)),
      tr("Cancel"), 0, 0, this);
  progress.setWindowTitle(tr("Search"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.show();
  QApplication::processEvents();
  const NewestCardSearch search = findNewestCardFolder(place, [&progress] {
    QApplication::processEvents();
    return !progress.wasCanceled();
  });
  progress.close();
  if (search.folder.empty() && !search.cancelled) {
    ui_.warning("No " + std::string(kProgramName) + " files were found on " + place);
  }
  showFolder(!search.folder.empty() && !search.cancelled ? search.folder : place);
}

void HandicapDialog::addSelectedFiles() {
  std::vector<std::string> names;
  for (int row = 0; row < cardFiles_->count(); ++row) {
    if (cardFiles_->item(row)->isSelected()) names.push_back(cardFiles_->item(row)->text().toStdString());
  }
  addFiles(names);
}

void HandicapDialog::addAllFiles() {
  addFiles(browser_->listing().cardFiles);
}

void HandicapDialog::addFiles(const std::vector<std::string>& names) {
  if (names.empty()) return;
  std::vector<std::string> duplicates;
  bool added = false;
  for (const std::string& name : names) {
    const HandicapListAdd result = list_.add(name, browser_->folder());
    if (result == HandicapListAdd::kDuplicate) {
      duplicates.push_back(name);
    } else if (result == HandicapListAdd::kAdded) {
      entries_->addItem(QString::fromStdString(handicapListLine(list_.entries().back())));
      added = true;
    }
  }
  if (added) entries_->scrollToBottom();
  showListButtons();
  // One warning for the lot: forty duplicates must not take forty boxes.
  if (!duplicates.empty()) ui_.warning(duplicateFilesText(duplicates));
}

void HandicapDialog::removeSelectedEntry() {
  const int row = entries_->currentRow();
  if (row < 0 || !entries_->item(row)->isSelected()) return;
  list_.remove(static_cast<size_t>(row));
  showList();
}

void HandicapDialog::clearList() {
  list_.clear();
  showList();
}

void HandicapDialog::editScratches() {
  const int row = entries_->currentRow();
  if (row < 0 || static_cast<size_t>(row) >= list_.size()) return;
  const HandicapListEntry& entry = list_.entries()[static_cast<size_t>(row)];
  gui::editScratches(joinPath(entry.folder, entry.fileName), workspace_, ui_, this);
}

void HandicapDialog::accept() {
  const bool mapMode = useMap_->isChecked();
  std::vector<SettingsStore::Change> changes;
  auto change = [&changes](std::string_view key, std::string value) {
    changes.push_back({std::string(kSettingsSection), std::string(key), std::move(value)});
  };
  change(setting::kSingleSim, singleSim_->isChecked() ? "y" : "n");
  change(setting::kUseMaps, mapMode ? "y" : "n");
  const std::string mapName(simMapNameForEntry(maps_->currentIndex()));
  change(setting::kSimMapName, mapName);
  change(setting::kDryOnly, "n");
  const std::string simName = sims_->currentText().toStdString();
  if (simList_.count > 0) change(setting::kSimName, simName);
  pendingSettings_.clear();
  if (mapMode) {
    store_.write(changes);
  } else {
    pendingSettings_ = std::move(changes);
  }

  setup_ = HandicapSetup{};
  setup_.mapMode = mapMode;
  setup_.dryOnly = false;
  if (mapMode) {
    setup_.simMap = resolveSimMap(store_, workspace_, mapName);
  } else {
    setup_.simName = simName;
    setup_.simPath = singleSimPath(simList_, sims_->currentIndex(), workspace_);
  }
  sharedList() = list_;
  QDialog::accept();
}

void HandicapDialog::reject() {
  store_.write(setting::kImportFolder, browser_->folder());
  QDialog::reject();
}

}  // namespace stridewell::gui
