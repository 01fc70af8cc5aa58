#include "gui/sim_delete_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/list_details.h"
#include "operations/sim_management.h"

namespace stridewell::gui {

SimDeleteDialog::SimDeleteDialog(const Workspace& workspace, QWidget* parent)
    : QDialog(parent), list_(managedSimList(workspace)) {
  setWindowTitle(tr("Delete SIM"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  sims_ = new QComboBox(this);
  sims_->setObjectName(QStringLiteral("sims"));
  for (const std::string& item : list_.items) sims_->addItem(QString::fromStdString(item));
  setSimToolTips(sims_, workspace, list_.count);
  form->addRow(tr("SIM Name:"), sims_);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  delete_ = new QPushButton(tr("&Delete"), this);
  delete_->setObjectName(QStringLiteral("delete"));
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addWidget(delete_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(delete_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  delete_->setEnabled(list_.count > 0);
  delete_->setDefault(list_.count > 0);
  sims_->setFocus();
}

void SimDeleteDialog::accept() {
  // Enter in the drop-down reaches here even with the button disabled.
  const int index = sims_->currentIndex();
  if (index < 0 || index >= list_.count) return;
  chosen_ = list_.items[static_cast<size_t>(index)];
  QDialog::accept();
}

}  // namespace stridewell::gui
