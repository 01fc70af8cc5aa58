// The Profit/Loss Analysis dialog: a dataset, a SIM, the race selection
// criteria with their CUSTOM check lists and "&RESET", and the report
// options. OK checks the custom lists, writes the options, SIM and dataset
// to the settings and hands back the run's request; the criteria are
// remembered (not in the settings) until the program ends.
// User-interface thread only.
#pragma once

#include <QDialog>

#include "base/workspace.h"
#include "gui/criteria_controls.h"
#include "model/sim_list.h"
#include "operations/profit_loss_run.h"
#include "race/criteria_choices.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace stridewell {
class SettingsStore;
class UserInteraction;
}  // namespace stridewell

namespace stridewell::gui {

inline constexpr const char* kNoDatasetsExist = "No datasets exist.  See 'Create DataSet...'";

// What OK hands to the run.
struct ProfitLossChoice {
  ProfitLossRequest request;
  bool copyToClipboard = false;
};

class ProfitLossDialog final : public QDialog {
  Q_OBJECT

 public:
  ProfitLossDialog(SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                   QWidget* parent = nullptr);

  // Valid after the dialog ended with Accepted.
  const ProfitLossChoice& choice() const { return choice_; }
  CriteriaControls* criteria() const { return criteria_; }

  // The criteria controls as OK last left them in this process; every item
  // first, the checks clear and the track code empty at program start.
  static CriteriaChoices& rememberedChoices();

 private:
  void onOk();
  void onReset();

  SettingsStore& store_;
  Workspace workspace_;
  UserInteraction& ui_;
  SimList simList_;
  bool haveDatasets_ = false;
  QComboBox* datasets_ = nullptr;
  QComboBox* sims_ = nullptr;
  CriteriaControls* criteria_ = nullptr;
  QPushButton* reset_ = nullptr;
  QCheckBox* autoScratch_ = nullptr;
  QCheckBox* forceDry_ = nullptr;
  QCheckBox* skipTurf_ = nullptr;
  QCheckBox* morningLine_ = nullptr;
  QCheckBox* shortReport_ = nullptr;
  QCheckBox* clipboard_ = nullptr;
  ProfitLossChoice choice_;
};

}  // namespace stridewell::gui
