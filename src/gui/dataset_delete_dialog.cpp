#include "gui/dataset_delete_dialog.h"

#include <QPushButton>

#include "base/interaction.h"
#include "operations/dataset_management.h"

namespace stridewell::gui {

DatasetDeleteDialog::DatasetDeleteDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : DatasetSelectionDialog(
          QStringLiteral("Delete DataSet"),
          QStringLiteral(
              "Pick datasets to delete from the following list (hold down the Ctrl key while selecting):"),
          QStringLiteral("Delete:"), QStringLiteral("&Delete"), QStringLiteral("&Cancel"), workspace, parent),
      ui_(ui) {}

void DatasetDeleteDialog::accept() {
  if (!actionButton()->isEnabled() || selectedNames().empty()) return;
  if (!ui_.query(kDeleteQuery)) return;  // anything but Yes keeps the dialog open
  QDialog::accept();
}

}  // namespace stridewell::gui
