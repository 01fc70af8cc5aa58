// The "Delete SIM" dialog: a drop-down of the SIMs of the Workspace's SIM
// folder (the program folder's, "Default" among them, are not offered) and
// "&Delete", enabled only when there is a SIM to delete. It only chooses;
// the question and the deletion follow when it has closed.
// User-interface thread.
#pragma once

#include <QDialog>
#include <string>

#include "model/sim_list.h"

class QComboBox;
class QPushButton;

namespace stridewell {
struct Workspace;
}

namespace stridewell::gui {

class SimDeleteDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit SimDeleteDialog(const Workspace& workspace, QWidget* parent = nullptr);

  // After "&Delete": the SIM chosen.
  const std::string& chosenSim() const { return chosen_; }

  void accept() override;

 private:
  SimList list_;
  std::string chosen_;
  QComboBox* sims_ = nullptr;
  QPushButton* delete_ = nullptr;
};

}  // namespace stridewell::gui
