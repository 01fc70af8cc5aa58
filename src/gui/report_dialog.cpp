#include "gui/report_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "datasets/dataset_choice.h"
#include "gui/dataset_selection_dialog.h"

namespace stridewell::gui {

ReportDialog::ReportDialog(const QString& title, const Workspace& workspace, SettingsStore& settings,
                           QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      list_(new QComboBox(this)),
      check_(new QCheckBox(QStringLiteral("Copy to Clipboard"), this)),
      ok_(nullptr) {
  setWindowTitle(title);
  list_->setObjectName(QStringLiteral("datasetList"));
  check_->setObjectName(QStringLiteral("clipboardCheck"));

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("okButton"));
  ok_->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &ReportDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  names_ = fillDatasetList(list_, workspace);
  const std::vector<std::string>& names = names_;
  if (names.empty()) {
    check_->setEnabled(false);
    ok_->setEnabled(false);
  } else {
    const int remembered = findDatasetEntry(names, settings_.read(setting::kReportDataset, ""));
    list_->setCurrentIndex(remembered < 0 ? 0 : remembered);
    // Only the exact "y" counts as on, as for every flag of the program.
    check_->setChecked(settings_.read(setting::kReportClipboard, "n") == "y");
  }

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Dataset:"), list_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(check_);
  layout->addWidget(buttons);
  list_->setFocus();
}

void ReportDialog::accept() {
  if (!ok_->isEnabled()) return;  // no dataset: only Cancel works
  const int index = list_->currentIndex();
  if (index < 0 || index >= static_cast<int>(names_.size())) return;
  dataset_ = names_[index];
  clipboard_ = check_->isChecked();
  const SettingsStore::Change changes[] = {
      {std::string(kSettingsSection), std::string(setting::kReportDataset), dataset_},
      {std::string(kSettingsSection), std::string(setting::kReportClipboard), clipboard_ ? "y" : "n"},
  };
  settings_.write(changes);
  QDialog::accept();
}

}  // namespace stridewell::gui
