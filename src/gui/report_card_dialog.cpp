#include "gui/report_card_dialog.h"

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
#include "base/text_case.h"
#include "datasets/dataset_name.h"
#include "gui/criteria_controls.h"
#include "gui/dialog_keys.h"
#include "gui/list_details.h"
#include "gui/profit_loss_dialog.h"
#include "operations/handicap_list.h"
#include "race/criteria_choices.h"

namespace stridewell::gui {
namespace {

// A small line under a drop-down that repeats the facts of the item chosen.
QLabel* detailsUnder(QComboBox* list, const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setEnabled(false);  // drawn as a quiet note
  const auto update = [list, label] { label->setText(list->currentData(Qt::ToolTipRole).toString()); };
  QObject::connect(list, &QComboBox::currentIndexChanged, label, update);
  update();
  return label;
}

int indexIgnoringCase(const std::vector<std::string>& names, const std::string& wanted) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (equalsIgnoreCase(names[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

ReportCardDialog::ReportCardDialog(const SettingsStore& store, const Workspace& workspace,
                                   UserInteraction& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui) {
  setWindowTitle(tr("SIM Report Card"));
  auto* layout = new QVBoxLayout(this);

  auto* top = new QGridLayout;
  datasets_ = new QComboBox(this);
  datasets_->setObjectName(QStringLiteral("datasets"));
  sims_ = new QComboBox(this);
  sims_->setObjectName(QStringLiteral("sims"));
  fit_ = new QComboBox(this);
  fit_->setObjectName(QStringLiteral("fit"));

  // The datasets, the profit/loss run's last one selected.
  const std::vector<std::string> names = listDatasets(workspace_);
  haveDatasets_ = !names.empty();
  if (!haveDatasets_) datasets_->addItem(QString::fromStdString(std::string(kNoDatasetsPlaceholder)));
  for (const std::string& name : names) datasets_->addItem(QString::fromStdString(name));
  const int lastDataset = indexIgnoringCase(names, store.read(setting::kTestDataset, ""));
  if (lastDataset >= 0) datasets_->setCurrentIndex(lastDataset);
  setDatasetToolTips(datasets_, workspace_, names);

  fit_->addItem(tr(kNoFitDataset));
  for (const std::string& name : names) fit_->addItem(QString::fromStdString(name));
  fit_->setItemData(0, tr("No combined chances: the SIM and the public judged apart"), Qt::ToolTipRole);

  simList_ = fillSimList(workspace_.sim, true);
  for (const std::string& item : simList_.items) sims_->addItem(QString::fromStdString(item));
  const std::string lastSim = store.read(setting::kTestSimName, setting::kTestSimNameDefault);
  if (!lastSim.empty()) sims_->setCurrentIndex(selectSimByName(simList_.items, lastSim, 0));
  setSimToolTips(sims_, workspace_, simList_.count);

  top->addWidget(new QLabel(tr("DataSet:"), this), 0, 0);
  top->addWidget(datasets_, 0, 1);
  top->addWidget(detailsUnder(datasets_, "datasetDetails", this), 1, 1);
  top->addWidget(new QLabel(tr("SIM Model:"), this), 2, 0);
  top->addWidget(sims_, 2, 1);
  top->addWidget(detailsUnder(sims_, "simDetails", this), 3, 1);
  top->addWidget(new QLabel(tr("Fit combined chances on:"), this), 4, 0);
  top->addWidget(fit_, 4, 1);
  auto* fitNote = new QLabel(tr("(another dataset than the one judged, or the gain is flattered)"), this);
  fitNote->setEnabled(false);
  top->addWidget(fitNote, 5, 1);
  top->setColumnStretch(1, 1);
  layout->addLayout(top);

  auto* group =
      new QGroupBox(tr("Race Selection Criteria (only races matching these criteria are used)"), this);
  group->setObjectName(QStringLiteral("criteriaGroup"));
  auto* groupLayout = new QVBoxLayout(group);
  criteria_ = new CriteriaControls(true, tr("(blank=all tracks)"), group);
  criteria_->setObjectName(QStringLiteral("criteria"));
  groupLayout->addWidget(criteria_);
  layout->addWidget(group, 1);

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton(tr("&OK"), this);
  ok_->setObjectName(QStringLiteral("ok"));
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &ReportCardDialog::onOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Nothing to judge without a dataset.
  ok_->setEnabled(haveDatasets_);
  datasets_->setEnabled(haveDatasets_);
  fit_->setEnabled(haveDatasets_);
  ok_->setDefault(haveDatasets_);
  keepEnterInLists(*this);
  datasets_->setFocus();
}

void ReportCardDialog::onOk() {
  if (!haveDatasets_) {
    ui_.error(kNoDatasetsExist);
    return;
  }
  const CriteriaChoices picked = criteria_->choices();
  if (!criteria_->customListsChosen(ui_)) return;
  EvaluateRequest request;
  request.criteria = buildCriteria(picked);
  // The profit/loss run's choices: horses that did not run dropped, every
  // race scored as on a dry track.
  request.options.autoScratch = true;
  request.options.forceDry = true;
  request.simName = sims_->currentText().toStdString();
  request.simPath = singleSimPath(simList_, sims_->currentIndex(), workspace_);
  request.datasetName = datasets_->currentText().toStdString();
  request.datasetPath = datasetPath(workspace_, request.datasetName);
  if (fit_->currentIndex() > 0) {
    request.fitDatasetName = fit_->currentText().toStdString();
    request.fitDatasetPath = datasetPath(workspace_, request.fitDatasetName);
  }
  request_ = std::move(request);
  accept();
}

}  // namespace stridewell::gui
