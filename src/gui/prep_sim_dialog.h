// The "Prep SIM" dialog: the dataset to learn from, the new SIM's name, its
// starting point (random or an existing SIM), the learning pressure and the
// race selection criteria (no custom lists). "&Prep" runs the checks of the
// preparation in order and stays open on a refusal; when it closes,
// request() holds what the preparation needs. User-interface thread.
#pragma once

#include <QDialog>

#include "model/sim_list.h"
#include "operations/prep_sim.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace stridewell {
class SettingsStore;
class UserInteraction;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

class CriteriaControls;

class PrepSimDialog final : public QDialog {
  Q_OBJECT

 public:
  PrepSimDialog(const Workspace& workspace, const SettingsStore& store, UserInteraction& ui,
                QWidget* parent = nullptr);

  // The choices as they stand (the SIM name as typed).
  PrepRequest currentRequest() const;
  // After "&Prep": the accepted choices.
  const PrepRequest& request() const { return request_; }

  void accept() override;

 private:
  QWidget* buildStartBox();
  QWidget* buildPressureBox();

  const Workspace& workspace_;
  UserInteraction& ui_;
  SimList simList_;
  PrepRequest request_;
  QComboBox* dataset_ = nullptr;
  QLineEdit* simName_ = nullptr;
  QRadioButton* randomStart_ = nullptr;
  QRadioButton* simStart_ = nullptr;
  QComboBox* startSim_ = nullptr;
  QRadioButton* pressure_[4] = {};
  CriteriaControls* criteria_ = nullptr;
  QPushButton* prep_ = nullptr;
};

}  // namespace stridewell::gui
