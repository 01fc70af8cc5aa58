// The "Combine DataSets" dialog: the datasets to combine, picked from the
// list, and the name of the new dataset. OK checks the name (blank,
// forbidden characters, one of the picked sources) and asks before an
// existing dataset is over-written; a refusal keeps the dialog open with
// the focus on the name. User-interface thread only.
#pragma once

#include <string>

#include "gui/dataset_selection_dialog.h"

class QLineEdit;

namespace stridewell {
class UserInteraction;
}

namespace stridewell::gui {

class DatasetCombineDialog : public DatasetSelectionDialog {
  Q_OBJECT

 public:
  DatasetCombineDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

  QLineEdit* nameEdit() const { return name_; }
  // The new dataset's name as typed (the run trims it).
  std::string newName() const;

  void accept() override;

 private:
  const Workspace& workspace_;
  UserInteraction& ui_;
  QLineEdit* name_;
};

}  // namespace stridewell::gui
