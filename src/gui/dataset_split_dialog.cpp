#include "gui/dataset_split_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/interaction.h"
#include "gui/dataset_selection_dialog.h"
#include "gui/qt_interaction.h"
#include "operations/dataset_split.h"

namespace stridewell::gui {

DatasetSplitDialog::DatasetSplitDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : QDialog(parent),
      workspace_(workspace),
      ui_(ui),
      source_(new QComboBox(this)),
      train_(new QLineEdit(this)),
      test_(new QLineEdit(this)),
      allocation_(new QComboBox(this)),
      ok_(nullptr) {
  setWindowTitle(QStringLiteral("Split DataSet"));
  source_->setObjectName(QStringLiteral("sourceList"));
  train_->setObjectName(QStringLiteral("trainEdit"));
  test_->setObjectName(QStringLiteral("testEdit"));
  allocation_->setObjectName(QStringLiteral("allocationList"));

  // The allocation list keeps its own order (largest share first).
  for (const SplitAllocation& allocation : kSplitAllocations)
    allocation_->addItem(toQString(allocation.entry));
  allocation_->setCurrentIndex(static_cast<int>(kDefaultSplitAllocation));

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("okButton"));
  ok_->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &DatasetSplitDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Source dataset:"), source_);
  form->addRow(QStringLiteral("Train dataset:"), train_);
  form->addRow(QStringLiteral("Test dataset:"), test_);
  auto* share = new QHBoxLayout;
  share->addWidget(new QLabel(QStringLiteral("Allocate"), this));
  share->addWidget(allocation_);
  share->addWidget(new QLabel(QStringLiteral("of data to Test dataset."), this));
  share->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(share);
  layout->addWidget(buttons);

  names_ = fillDatasetList(source_, workspace);
  ok_->setEnabled(!names_.empty());
  source_->setFocus();
}

std::string DatasetSplitDialog::sourceName() const {
  const int index = source_->currentIndex();
  if (index < 0 || index >= static_cast<int>(names_.size())) return {};
  return names_[index];
}

std::string DatasetSplitDialog::trainName() const {
  return train_->text().toStdString();
}

std::string DatasetSplitDialog::testName() const {
  return test_->text().toStdString();
}

int DatasetSplitDialog::step() const {
  const int index = allocation_->currentIndex();
  if (index < 0 || index >= static_cast<int>(kSplitAllocations.size())) return 0;
  return kSplitAllocations[static_cast<size_t>(index)].step;
}

void DatasetSplitDialog::accept() {
  if (!ok_->isEnabled() || sourceName().empty()) return;
  switch (checkSplitNames(workspace_, sourceName(), trainName(), testName(), ui_)) {
    case DatasetField::kNone:
      QDialog::accept();
      return;
    case DatasetField::kTest:
      test_->setFocus();
      return;
    case DatasetField::kTrain:
    case DatasetField::kName:
      train_->setFocus();
      return;
  }
}

}  // namespace stridewell::gui
