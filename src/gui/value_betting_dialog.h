// The Value Betting dialog: a dataset, a SIM, the race selection criteria
// with their CUSTOM check lists and "&RESET", the dataset to fit the
// combined chances on (or none, for the SIM's win shares), and the
// staking: the fraction of Kelly, the margin and the starting bankroll.
// OK checks the custom lists and hands back the run's request; the
// choices are remembered until the program ends, nothing goes into the
// settings. User-interface thread only.
#pragma once

#include <QDialog>

#include "base/workspace.h"
#include "model/sim_list.h"
#include "operations/value_run.h"
#include "race/criteria_choices.h"

class QComboBox;
class QDoubleSpinBox;

namespace stridewell {
class SettingsStore;
class UserInteraction;
}  // namespace stridewell

namespace stridewell::gui {

class CriteriaControls;

inline constexpr const char* kValueBettingTitle = "Value Betting";
// The fit list's first entry: no fit, the SIM's own win shares.
inline constexpr const char* kNoFitEntry = "(none: the SIM's win shares)";

class ValueBettingDialog final : public QDialog {
  Q_OBJECT

 public:
  ValueBettingDialog(const SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                     QWidget* parent = nullptr);

  // Valid after the dialog ended with Accepted.
  const ValueRequest& request() const { return request_; }

  QComboBox* datasets() const { return datasets_; }
  QComboBox* sims() const { return sims_; }
  QComboBox* fitDatasets() const { return fit_; }
  CriteriaControls* criteria() const { return criteria_; }
  QDoubleSpinBox* fraction() const { return fraction_; }
  QDoubleSpinBox* margin() const { return margin_; }
  QDoubleSpinBox* bankroll() const { return bankroll_; }

  // What OK last chose in this process, offered again the next time.
  struct Remembered {
    CriteriaChoices criteria;
    std::string dataset;
    std::string fitDataset;
    StakingRules rules;
  };
  static Remembered& remembered();

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
  QDoubleSpinBox* fraction_ = nullptr;
  QDoubleSpinBox* margin_ = nullptr;
  QDoubleSpinBox* bankroll_ = nullptr;
  ValueRequest request_;
};

}  // namespace stridewell::gui
