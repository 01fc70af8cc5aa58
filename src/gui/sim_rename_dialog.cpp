#include "gui/sim_rename_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/interaction.h"
#include "gui/list_details.h"
#include "operations/sim_management.h"

namespace stridewell::gui {

SimRenameDialog::SimRenameDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui), list_(managedSimList(workspace)) {
  setWindowTitle(tr("Rename SIM"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  sims_ = new QComboBox(this);
  sims_->setObjectName(QStringLiteral("sims"));
  for (const std::string& item : list_.items) sims_->addItem(QString::fromStdString(item));
  setSimToolTips(sims_, workspace, list_.count);
  form->addRow(tr("OldName:"), sims_);
  newName_ = new QLineEdit(this);
  newName_->setObjectName(QStringLiteral("newName"));
  form->addRow(tr("NewName:"), newName_);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  rename_ = new QPushButton(tr("&Rename"), this);
  rename_->setObjectName(QStringLiteral("rename"));
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addWidget(rename_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(rename_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  rename_->setEnabled(list_.count > 0);
  rename_->setDefault(list_.count > 0);
  sims_->setFocus();
}

void SimRenameDialog::accept() {
  // Enter in the edit reaches here even with the button disabled.
  const int index = sims_->currentIndex();
  if (index < 0 || index >= list_.count) return;
  const std::string text = newName_->text().toStdString();
  if (const std::string problem = checkSimRenameName(workspace_, text); !problem.empty()) {
    ui_.error(problem);
    newName_->setFocus();
    return;
  }
  oldName_ = list_.items[static_cast<size_t>(index)];
  newText_ = text;
  QDialog::accept();
}

}  // namespace stridewell::gui
