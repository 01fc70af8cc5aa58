// The "Delete DataSet" dialog: the datasets to delete, picked from the
// list. "&Delete" asks "Delete selected datasets; are you sure?" and closes
// only on Yes; the command then deletes the picks. User-interface thread
// only.
#pragma once

#include "gui/dataset_selection_dialog.h"

namespace stridewell {
class UserInteraction;
}

namespace stridewell::gui {

class DatasetDeleteDialog : public DatasetSelectionDialog {
  Q_OBJECT

 public:
  DatasetDeleteDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

  void accept() override;

 private:
  UserInteraction& ui_;
};

}  // namespace stridewell::gui
