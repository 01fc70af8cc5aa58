#include "gui/profit_loss_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <span>
#include <vector>

#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "datasets/dataset_name.h"
#include "gui/criteria_controls.h"
#include "gui/dialog_keys.h"
#include "operations/handicap_list.h"
#include "operations/profit_loss_settings.h"
#include "race/card_values.h"

namespace stridewell::gui {
namespace {

QCheckBox* checkBox(const QString& text, const char* name, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

QPushButton* pushButton(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

}  // namespace

CriteriaChoices& ProfitLossDialog::rememberedChoices() {
  static CriteriaChoices remembered;
  return remembered;
}

ProfitLossDialog::ProfitLossDialog(SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                                   QWidget* parent)
    : QDialog(parent), store_(store), workspace_(workspace), ui_(ui) {
  setWindowTitle(tr("Profit/Loss Analysis"));
  auto* layout = new QVBoxLayout(this);

  auto* top = new QGridLayout;
  datasets_ = new QComboBox(this);
  datasets_->setObjectName(QStringLiteral("datasets"));
  sims_ = new QComboBox(this);
  sims_->setObjectName(QStringLiteral("sims"));
  top->addWidget(new QLabel(tr("DataSet:"), this), 0, 0);
  top->addWidget(datasets_, 0, 1);
  top->addWidget(new QLabel(tr("SIM Model:"), this), 1, 0);
  top->addWidget(sims_, 1, 1);
  top->setColumnStretch(2, 1);
  layout->addLayout(top);

  auto* group =
      new QGroupBox(tr("Race Selection Criteria (only races matching these criteria are used)"), this);
  group->setObjectName(QStringLiteral("criteriaGroup"));
  auto* groupLayout = new QVBoxLayout(group);
  criteria_ = new CriteriaControls(true, tr("(blank=all tracks)"), group);
  criteria_->setObjectName(QStringLiteral("criteria"));
  groupLayout->addWidget(criteria_);
  reset_ = pushButton(tr("&RESET"), "reset", group);
  // The focus starts here, yet Enter runs OK, never the reset.
  reset_->setAutoDefault(false);
  auto* resetRow = new QHBoxLayout;
  resetRow->addWidget(reset_);
  resetRow->addStretch();
  groupLayout->addLayout(resetRow);
  layout->addWidget(group, 1);

  // Always on, always on and always off: kept in the settings file for
  // the files and programs that read them, never offered to the user.
  autoScratch_ = checkBox(tr("Auto Scratch"), "autoScratch", this);
  forceDry_ = checkBox(tr("Force DRY"), "forceDry", this);
  skipTurf_ = checkBox(tr("Skip TURF -> DIRT"), "skipTurf", this);
  morningLine_ = checkBox(tr("Use Morning Line Odds (instead of Actual Track Odds)"), "morningLine", this);
  shortReport_ = checkBox(tr("Short Report"), "shortReport", this);
  clipboard_ = checkBox(tr("Copy to Clipboard"), "clipboard", this);
  for (QCheckBox* box : {autoScratch_, forceDry_, skipTurf_, morningLine_, shortReport_, clipboard_}) {
    layout->addWidget(box);
  }

  auto* buttons = new QHBoxLayout;
  auto* ok = pushButton(tr("&OK"), "ok", this);
  ok->setDefault(true);
  auto* cancel = pushButton(tr("&Cancel"), "cancel", this);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &ProfitLossDialog::onOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(reset_, &QPushButton::clicked, this, &ProfitLossDialog::onReset);

  // The criteria as OK last left them.
  criteria_->setChoices(rememberedChoices());

  // The datasets, the one of the last run selected.
  const std::vector<std::string> names = listDatasets(workspace_);
  haveDatasets_ = !names.empty();
  if (!haveDatasets_) datasets_->addItem(QString::fromStdString(std::string(kNoDatasetsPlaceholder)));
  for (const std::string& name : names) datasets_->addItem(QString::fromStdString(name));
  const std::string lastDataset = store_.read(setting::kTestDataset, "");
  if (!lastDataset.empty()) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (equalsIgnoreCase(names[i], lastDataset)) {
        datasets_->setCurrentIndex(static_cast<int>(i));
        break;
      }
    }
  }

  // "Default", then the SIM folder's SIMs; the one of the last run selected.
  simList_ = fillSimList(workspace_.sim, true);
  for (const std::string& item : simList_.items) sims_->addItem(QString::fromStdString(item));
  const std::string lastSim = store_.read(setting::kTestSimName, setting::kTestSimNameDefault);
  if (!lastSim.empty()) sims_->setCurrentIndex(selectSimByName(simList_.items, lastSim, 0));

  morningLine_->setChecked(
      store_.readFlag(kSettingsSection, setting::kUseMorningLineOdds, setting::kProfitLossFlagDefault));
  shortReport_->setChecked(
      store_.readFlag(kSettingsSection, setting::kShortReport, setting::kProfitLossFlagDefault));
  clipboard_->setChecked(
      store_.readFlag(kSettingsSection, setting::kClipboard, setting::kProfitLossFlagDefault));
  autoScratch_->setChecked(true);
  forceDry_->setChecked(true);
  skipTurf_->setChecked(false);
  for (QCheckBox* box : {autoScratch_, forceDry_, skipTurf_}) {
    box->setEnabled(false);
    box->hide();
  }
  keepEnterInLists(*this);
  reset_->setFocus();
}

void ProfitLossDialog::onReset() {
  criteria_->reset();
}

void ProfitLossDialog::onOk() {
  ProfitLossRequest request;
  request.options.autoScratch = true;
  request.options.forceDry = true;
  request.options.skipTurfToDirt = false;
  request.options.morningLineOdds = morningLine_->isChecked();
  request.options.shortReport = shortReport_->isChecked();
  const bool copy = clipboard_->isChecked();

  const CriteriaChoices picked = criteria_->choices();
  request.criteria = buildCriteria(picked);
  if (!criteria_->customListsChosen(ui_)) return;
  // Remembered for the next time the dialog opens; the checks of a list
  // only while it is the one in use, so a list set aside keeps the checks
  // of its last use.
  CriteriaChoices& remembered = rememberedChoices();
  remembered.distance = picked.distance;
  remembered.raceClass = picked.raceClass;
  remembered.surface = picked.surface;
  remembered.condition = picked.condition;
  remembered.trackText = picked.trackText;
  if (picked.distance == kDistanceCustomItem) remembered.distanceChecks = picked.distanceChecks;
  if (picked.raceClass == kClassCustomItem) remembered.classChecks = picked.classChecks;

  writeProfitLossFlags(store_, request.options, copy);
  const int sim = sims_->currentIndex();
  request.simName = sims_->currentText().toStdString();
  request.simPath = singleSimPath(simList_, sim, workspace_);

  const QString dataset = datasets_->currentText();
  if (!haveDatasets_ || dataset.startsWith(QLatin1Char('<'))) {
    ui_.error(kNoDatasetsExist);
    reject();
    return;
  }
  request.datasetName = dataset.toStdString();
  store_.write(setting::kTestDataset, request.datasetName);
  request.datasetPath = datasetPath(workspace_, request.datasetName);
  choice_.request = std::move(request);
  choice_.copyToClipboard = copy;
  accept();
}

}  // namespace stridewell::gui
