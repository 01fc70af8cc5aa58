// The "Rename SIM" dialog: the SIM to rename (from the same list as Delete
// SIM) and its new name. "&Rename" checks the new name (blank, forbidden
// characters, reserved by the program folder) and stays open with the
// focus in the edit on a refusal; the question and the rename follow when
// it has closed. User-interface thread.
#pragma once

#include <QDialog>
#include <string>

#include "model/sim_list.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace stridewell {
class UserInteraction;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

class SimRenameDialog final : public QDialog {
  Q_OBJECT

 public:
  SimRenameDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

  // After "&Rename": the SIM chosen and the new name as typed.
  const std::string& oldName() const { return oldName_; }
  const std::string& newText() const { return newText_; }

  void accept() override;

 private:
  const Workspace& workspace_;
  UserInteraction& ui_;
  SimList list_;
  std::string oldName_;
  std::string newText_;
  QComboBox* sims_ = nullptr;
  QLineEdit* newName_ = nullptr;
  QPushButton* rename_ = nullptr;
};

}  // namespace stridewell::gui
