// The SIM Report Card dialog: the dataset to judge the SIM on, the SIM, the
// race selection criteria (with their CUSTOM check lists) and, if wanted, a
// second dataset to fit the combined chances on. Each list shows the facts
// of the item chosen beneath it. OK checks the custom lists and hands back
// the run's request; nothing is written to the settings.
// User-interface thread only.
#pragma once

#include <QDialog>

#include "base/workspace.h"
#include "model/sim_list.h"
#include "operations/evaluate_run.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace stridewell {
class SettingsStore;
class UserInteraction;
}  // namespace stridewell

namespace stridewell::gui {

class CriteriaControls;

// The fit list's first item: no combined chances.
inline constexpr const char* kNoFitDataset = "(none)";

class ReportCardDialog final : public QDialog {
  Q_OBJECT

 public:
  ReportCardDialog(const SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                   QWidget* parent = nullptr);

  // Valid after the dialog ended with Accepted.
  const EvaluateRequest& request() const { return request_; }
  CriteriaControls* criteria() const { return criteria_; }

 private:
  void onOk();

  Workspace workspace_;
  UserInteraction& ui_;
  SimList simList_;
  bool haveDatasets_ = false;
  QComboBox* datasets_ = nullptr;
  QComboBox* sims_ = nullptr;
  QComboBox* fit_ = nullptr;
  CriteriaControls* criteria_ = nullptr;
  QPushButton* ok_ = nullptr;
  EvaluateRequest request_;
};

}  // namespace stridewell::gui
