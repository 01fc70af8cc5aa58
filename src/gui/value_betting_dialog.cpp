#include "gui/value_betting_dialog.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "datasets/dataset_name.h"
#include "gui/criteria_controls.h"
#include "gui/dialog_keys.h"
#include "gui/profit_loss_dialog.h"
#include "operations/handicap_list.h"
#include "race/card_values.h"

namespace stridewell::gui {
namespace {

QDoubleSpinBox* amountBox(double low, double high, double step, double value, const char* name,
                          QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setDecimals(2);
  box->setRange(low, high);
  box->setSingleStep(step);
  box->setValue(value);
  return box;
}

// Selects the entry of `box` equal to `name` ignoring case, when there is one.
void selectByName(QComboBox* box, const std::string& name) {
  for (int i = 0; i < box->count(); ++i) {
    if (equalsIgnoreCase(box->itemText(i).toStdString(), name)) {
      box->setCurrentIndex(i);
      return;
    }
  }
}

}  // namespace

ValueBettingDialog::Remembered& ValueBettingDialog::remembered() {
  static Remembered choices;
  return choices;
}

ValueBettingDialog::ValueBettingDialog(const SettingsStore& store, const Workspace& workspace,
                                       UserInteraction& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui) {
  setWindowTitle(tr(kValueBettingTitle));
  auto* layout = new QVBoxLayout(this);
  const Remembered& last = remembered();

  auto* top = new QGridLayout;
  datasets_ = new QComboBox(this);
  datasets_->setObjectName(QStringLiteral("datasets"));
  sims_ = new QComboBox(this);
  sims_->setObjectName(QStringLiteral("sims"));
  fit_ = new QComboBox(this);
  fit_->setObjectName(QStringLiteral("fitDatasets"));
  top->addWidget(new QLabel(tr("DataSet:"), this), 0, 0);
  top->addWidget(datasets_, 0, 1);
  top->addWidget(new QLabel(tr("SIM Model:"), this), 1, 0);
  top->addWidget(sims_, 1, 1);
  top->addWidget(new QLabel(tr("Combine with the odds, fitted on:"), this), 2, 0);
  top->addWidget(fit_, 2, 1);
  top->setColumnStretch(2, 1);
  layout->addLayout(top);

  auto* group =
      new QGroupBox(tr("Race Selection Criteria (only races matching these criteria are used)"), this);
  auto* groupLayout = new QVBoxLayout(group);
  criteria_ = new CriteriaControls(true, tr("(blank=all tracks)"), group);
  criteria_->setObjectName(QStringLiteral("criteria"));
  groupLayout->addWidget(criteria_);
  auto* reset = new QPushButton(tr("&RESET"), group);
  // Enter runs OK wherever the focus is, never the reset.
  reset->setAutoDefault(false);
  reset->setObjectName(QStringLiteral("reset"));
  auto* resetRow = new QHBoxLayout;
  resetRow->addWidget(reset);
  resetRow->addStretch();
  groupLayout->addLayout(resetRow);
  layout->addWidget(group, 1);

  auto* staking = new QGroupBox(tr("Staking"), this);
  auto* form = new QFormLayout(staking);
  fraction_ = amountBox(0.01, 1, 0.05, last.rules.fraction, "fraction", staking);
  margin_ = amountBox(0, 100, 0.01, last.rules.margin, "margin", staking);
  bankroll_ = amountBox(0.01, 1e9, 100, static_cast<double>(last.rules.bankroll) / 100, "bankroll", staking);
  bankroll_->setPrefix(QStringLiteral("$"));
  form->addRow(tr("Fraction of Kelly:"), fraction_);
  form->addRow(tr("Margin (bet when chance x (odds + 1) > 1 + margin):"), margin_);
  form->addRow(tr("Starting bankroll:"), bankroll_);
  layout->addWidget(staking);

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(tr("&OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &ValueBettingDialog::onOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(reset, &QPushButton::clicked, criteria_, &CriteriaControls::reset);

  criteria_->setChoices(last.criteria);

  const std::vector<std::string> names = listDatasets(workspace_);
  haveDatasets_ = !names.empty();
  if (!haveDatasets_) datasets_->addItem(QString::fromStdString(std::string(kNoDatasetsPlaceholder)));
  fit_->addItem(tr(kNoFitEntry));
  for (const std::string& name : names) {
    datasets_->addItem(QString::fromStdString(name));
    fit_->addItem(QString::fromStdString(name));
  }
  selectByName(datasets_, last.dataset.empty() ? store.read(setting::kTestDataset, "") : last.dataset);
  if (!last.fitDataset.empty()) selectByName(fit_, last.fitDataset);

  simList_ = fillSimList(workspace_.sim, true);
  for (const std::string& item : simList_.items) sims_->addItem(QString::fromStdString(item));
  const std::string lastSim = store.read(setting::kTestSimName, setting::kTestSimNameDefault);
  if (!lastSim.empty()) sims_->setCurrentIndex(selectSimByName(simList_.items, lastSim, 0));
  keepEnterInLists(*this);
}

void ValueBettingDialog::onOk() {
  const CriteriaChoices picked = criteria_->choices();
  if (!criteria_->customListsChosen(ui_)) return;
  const QString dataset = datasets_->currentText();
  if (!haveDatasets_ || dataset.startsWith(QLatin1Char('<'))) {
    ui_.error(kNoDatasetsExist);
    reject();
    return;
  }
  ValueRequest request;
  request.criteria = buildCriteria(picked);
  request.simName = sims_->currentText().toStdString();
  request.simPath = singleSimPath(simList_, sims_->currentIndex(), workspace_);
  request.datasetName = dataset.toStdString();
  request.datasetPath = datasetPath(workspace_, request.datasetName);
  if (fit_->currentIndex() > 0) {
    request.fitDatasetName = fit_->currentText().toStdString();
    request.fitDatasetPath = datasetPath(workspace_, request.fitDatasetName);
  }
  request.rules.fraction = fraction_->value();
  request.rules.margin = margin_->value();
  request.rules.bankroll = std::max<int64_t>(1, std::llround(bankroll_->value() * 100));

  Remembered& last = remembered();
  last.criteria = picked;
  last.dataset = request.datasetName;
  last.fitDataset = request.fitDatasetName;
  last.rules = request.rules;
  request_ = std::move(request);
  accept();
}

}  // namespace stridewell::gui
