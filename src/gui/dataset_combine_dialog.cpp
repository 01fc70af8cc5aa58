#include "gui/dataset_combine_dialog.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "base/interaction.h"
#include "operations/dataset_combine.h"

namespace stridewell::gui {

DatasetCombineDialog::DatasetCombineDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : DatasetSelectionDialog(
          QStringLiteral("Combine DataSets"),
          QStringLiteral(
              "Pick datasets to combine from the following list (hold down the Ctrl key while selecting):"),
          QStringLiteral("Combine: "), QStringLiteral("OK"), QStringLiteral("Cancel"), workspace, parent),
      workspace_(workspace),
      ui_(ui),
      name_(new QLineEdit(this)) {
  name_->setObjectName(QStringLiteral("newNameEdit"));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("New DataSet:"), name_);
  fieldsLayout()->addLayout(form);
}

std::string DatasetCombineDialog::newName() const {
  return name_->text().toStdString();
}

void DatasetCombineDialog::accept() {
  const std::vector<std::string> sources = selectedNames();
  if (!actionButton()->isEnabled() || sources.empty()) return;
  if (checkCombineName(workspace_, newName(), sources, ui_) != DatasetField::kNone) {
    name_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace stridewell::gui
