#include "gui/dataset_selection_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "datasets/dataset_choice.h"
#include "datasets/dataset_name.h"
#include "gui/dialog_keys.h"
#include "gui/list_details.h"
#include "gui/qt_interaction.h"

namespace stridewell::gui {

std::vector<std::string> fillDatasetList(QComboBox* list, const Workspace& workspace) {
  std::vector<std::string> names = listDatasets(workspace);
  list->clear();
  if (names.empty()) {
    list->addItem(toQString(kNoDatasetsPlaceholder));
    list->setEnabled(false);
  } else {
    for (const std::string& name : names) list->addItem(toQString(name));
    list->setEnabled(true);
  }
  list->setCurrentIndex(0);
  setDatasetToolTips(list, workspace, names);
  return names;
}

DatasetSelectionDialog::DatasetSelectionDialog(const QString& title, const QString& prompt,
                                               const QString& listLabel, const QString& actionText,
                                               const QString& cancelText, const Workspace& workspace,
                                               QWidget* parent)
    : QDialog(parent),
      names_(listDatasets(workspace)),
      list_(new QListWidget(this)),
      selection_(new QLabel(QStringLiteral("N dataset(s) selected."), this)),
      action_(nullptr),
      fields_(new QVBoxLayout) {
  setWindowTitle(title);
  list_->setObjectName(QStringLiteral("datasetList"));
  selection_->setObjectName(QStringLiteral("selectionText"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);

  auto* buttons = new QDialogButtonBox(this);
  action_ = buttons->addButton(actionText, QDialogButtonBox::AcceptRole);
  action_->setObjectName(QStringLiteral("actionButton"));
  action_->setDefault(true);
  buttons->addButton(cancelText, QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* listRow = new QHBoxLayout;
  auto* label = new QLabel(listLabel, this);
  label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  label->setBuddy(list_);
  listRow->addWidget(label);
  listRow->addWidget(list_, 1);

  auto* promptLabel = new QLabel(prompt, this);
  promptLabel->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(promptLabel);
  layout->addLayout(listRow, 1);
  layout->addWidget(selection_);
  layout->addLayout(fields_);
  layout->addWidget(buttons);

  if (names_.empty()) {
    list_->addItem(toQString(kNoDatasetsPlaceholder));
    list_->setEnabled(false);
    action_->setEnabled(false);
    selection_->clear();
  } else {
    for (const std::string& name : names_) list_->addItem(toQString(name));
    setDatasetToolTips(list_, workspace, names_);
    connect(list_, &QListWidget::itemSelectionChanged, this, &DatasetSelectionDialog::refreshSelection);
    refreshSelection();
  }
  keepEnterInLists(*this);
  list_->setFocus();
}

std::vector<std::string> DatasetSelectionDialog::selectedNames() const {
  std::vector<std::string> names;
  if (!list_->isEnabled()) return names;  // only the placeholder is listed
  for (int i = 0; i < list_->count() && i < static_cast<int>(names_.size()); ++i) {
    if (list_->item(i)->isSelected()) names.push_back(names_[i]);
  }
  return names;
}

void DatasetSelectionDialog::refreshSelection() {
  const int count = static_cast<int>(selectedNames().size());
  selection_->setText(toQString(datasetSelectionText(count)));
  action_->setEnabled(count > 0);
}

}  // namespace stridewell::gui
