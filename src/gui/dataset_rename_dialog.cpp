#include "gui/dataset_rename_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/interaction.h"
#include "gui/dataset_selection_dialog.h"
#include "operations/dataset_management.h"

namespace stridewell::gui {

DatasetRenameDialog::DatasetRenameDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), ui_(ui), old_(new QComboBox(this)), new_(new QLineEdit(this)), rename_(nullptr) {
  setWindowTitle(QStringLiteral("Rename DataSet"));
  old_->setObjectName(QStringLiteral("oldNameList"));
  new_->setObjectName(QStringLiteral("newNameEdit"));

  auto* buttons = new QDialogButtonBox(this);
  rename_ = buttons->addButton(QStringLiteral("&Rename"), QDialogButtonBox::AcceptRole);
  rename_->setObjectName(QStringLiteral("renameButton"));
  rename_->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &DatasetRenameDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("OldName:"), old_);
  form->addRow(QStringLiteral("NewName:"), new_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  names_ = fillDatasetList(old_, workspace);
  rename_->setEnabled(!names_.empty());
  old_->setFocus();
}

std::string DatasetRenameDialog::oldName() const {
  const int index = old_->currentIndex();
  if (index < 0 || index >= static_cast<int>(names_.size())) return {};
  return names_[index];
}

std::string DatasetRenameDialog::newName() const {
  return new_->text().toStdString();
}

void DatasetRenameDialog::accept() {
  if (!rename_->isEnabled() || oldName().empty()) return;
  if (checkRenameName(newName(), ui_) != DatasetField::kNone) {
    new_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace stridewell::gui
