#include "gui/prep_sim_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/dataset_name.h"
#include "gui/criteria_controls.h"
#include "gui/dialog_keys.h"
#include "gui/list_details.h"
#include "race/criteria_choices.h"

namespace stridewell::gui {
namespace {

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

PrepSimDialog::PrepSimDialog(const Workspace& workspace, const SettingsStore& store, UserInteraction& ui,
                             QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui) {
  setWindowTitle(tr("Prep SIM"));
  auto* layout = new QVBoxLayout(this);

  auto* names = new QFormLayout;
  dataset_ = new QComboBox(this);
  dataset_->setObjectName(QStringLiteral("dataset"));
  const std::vector<std::string> datasets = listDatasets(workspace_);
  for (const std::string& name : datasets) dataset_->addItem(qs(name));
  setDatasetToolTips(dataset_, workspace_, datasets);
  names->addRow(tr("DataSet:"), dataset_);
  simName_ = new QLineEdit(this);
  simName_->setObjectName(QStringLiteral("simName"));
  names->addRow(tr("SIM Name:"), simName_);
  layout->addLayout(names);

  auto* middle = new QHBoxLayout;
  middle->addWidget(buildStartBox(), 1);
  middle->addWidget(buildPressureBox(), 1);
  layout->addLayout(middle);

  auto* criteriaBox = new QGroupBox(
      tr("Race Selection Criteria (only races meeting these criteria are used for training)"), this);
  auto* criteriaLayout = new QVBoxLayout(criteriaBox);
  criteria_ = new CriteriaControls(false, tr("(blank=all tracks in dataset)"), criteriaBox);
  criteria_->setObjectName(QStringLiteral("criteria"));
  criteriaLayout->addWidget(criteria_);
  layout->addWidget(criteriaBox);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  prep_ = new QPushButton(tr("&Prep"), this);
  prep_->setObjectName(QStringLiteral("prep"));
  prep_->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addWidget(prep_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(prep_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  prep_->setEnabled(!datasets.empty());
  const int remembered = selectSimByName(datasets, store.read(setting::kTrainDataset, ""), -1);
  if (remembered >= 0) dataset_->setCurrentIndex(remembered);
  randomStart_->setChecked(true);
  startSim_->setEnabled(false);
  pressure_[kDefaultPressure]->setChecked(true);
  criteria_->reset();
  keepEnterInLists(*this);
  dataset_->setFocus();
}

QWidget* PrepSimDialog::buildStartBox() {
  auto* box = new QGroupBox(tr("Start From:"), this);
  auto* grid = new QGridLayout(box);
  randomStart_ = new QRadioButton(tr("Random Starting Point"), box);
  randomStart_->setObjectName(QStringLiteral("randomStart"));
  simStart_ = new QRadioButton(tr("SIM:"), box);
  simStart_->setObjectName(QStringLiteral("simStart"));
  startSim_ = new QComboBox(box);
  startSim_->setObjectName(QStringLiteral("startSim"));
  simList_ = fillSimList(workspace_.sim, true);
  for (const std::string& item : simList_.items) startSim_->addItem(qs(item));
  setSimToolTips(startSim_, workspace_, simList_.count);
  grid->addWidget(randomStart_, 0, 0, 1, 2);
  grid->addWidget(simStart_, 1, 0);
  grid->addWidget(startSim_, 1, 1);
  grid->setColumnStretch(1, 1);
  connect(simStart_, &QRadioButton::toggled, startSim_, &QWidget::setEnabled);
  return box;
}

QWidget* PrepSimDialog::buildPressureBox() {
  auto* box = new QGroupBox(tr("Learning Pressure:"), this);
  auto* column = new QVBoxLayout(box);
  const QString texts[] = {tr("&Low"), tr("&Medium"), tr("&High"), tr("&Very High")};
  const char* names[] = {"pressureLow", "pressureMedium", "pressureHigh", "pressureVeryHigh"};
  for (int i = 0; i < 4; ++i) {
    pressure_[i] = new QRadioButton(texts[i], box);
    pressure_[i]->setObjectName(QString::fromLatin1(names[i]));
    column->addWidget(pressure_[i]);
  }
  return box;
}

PrepRequest PrepSimDialog::currentRequest() const {
  PrepRequest request;
  request.dataset = dataset_->currentText().toStdString();
  request.simName = simName_->text().toStdString();
  // Only a listed SIM is a starting point; the placeholder of an empty list
  // is not one.
  const int start = startSim_->currentIndex();
  if (simStart_->isChecked() && start >= 0 && start < simList_.count) {
    request.startSim = simList_.items[static_cast<size_t>(start)];
  }
  for (int i = 0; i < 4; ++i) {
    if (pressure_[i]->isChecked()) request.passes = kPassesPerPressure[i];
  }
  request.criteria = buildCriteria(criteria_->choices());
  return request;
}

void PrepSimDialog::accept() {
  if (dataset_->currentIndex() < 0) return;
  PrepRequest request = currentRequest();
  if (simStart_->isChecked() && request.startSim.empty()) {
    // "SIM:" with nothing to start from: the same refusal as a SIM that
    // cannot be loaded, before any file is touched.
    ui_.error(kPrepInitFailed);
    startSim_->setFocus();
    return;
  }
  switch (checkPrepRequest(request, workspace_, ui_)) {
    case PrepCheck::kAccepted:
      break;
    case PrepCheck::kBadName:
      simName_->setFocus();
      simName_->selectAll();
      return;
    case PrepCheck::kSameAsStart:
      startSim_->setFocus();
      return;
    case PrepCheck::kDeclined:
      simName_->setFocus();
      return;
  }
  request_ = std::move(request);
  QDialog::accept();
}

}  // namespace stridewell::gui
