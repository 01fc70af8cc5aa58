// The Train menu's commands: "&Prep SIM..." (the dialog, then the
// preparation under the progress window with the menu and frame disabled),
// "&Train SIM (or Train More)..." (the background training through the
// window's TrainingRunner), "&Stop Training!", "&Delete SIM..." and
// "&Rename SIM...". The work itself is the core's; these functions only
// choose, show and sequence it.
#include <filesystem>
#include <string>

#include "base/interaction.h"
#include "base/settings_store.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/prep_sim_dialog.h"
#include "gui/qt_interaction.h"
#include "gui/run_progress.h"
#include "gui/sim_delete_dialog.h"
#include "gui/sim_rename_dialog.h"
#include "gui/training_runner.h"
#include "model/sim_name_rules.h"
#include "operations/prep_sim.h"
#include "operations/sim_management.h"
#include "operations/training_run.h"

namespace stridewell::gui {
namespace {

constexpr const char* kCannotStartTraining = "Cannot start the training thread";

bool trainingRuns(const MainWindow& window) {
  const TrainingRunner* runner = TrainingRunner::find(window);
  return runner != nullptr && runner->running();
}

void prepSim(MainWindow& window) {
  // The preparation rewrites the files a running training reads and saves.
  if (trainingRuns(window)) return;
  PrepSimDialog dialog(window.workspace(), window.settings(), window.ui(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  {
    MainWindow::LongRun busy(window);
    RunProgress progress(window, toQString(prepCaption(trimSimName(dialog.request().simName))),
                         kPrepProgress);
    runPrep(dialog.request(), window.workspace(), window.foregroundModel(), progress, progress,
            &window.settings());
  }
  window.updateCommandStates();
}

void trainSim(MainWindow& window) {
  TrainingRunner& runner = TrainingRunner::of(window);
  if (runner.running()) return;
  // The last run has ended; its thread still has to be joined before the
  // training model is touched again.
  runner.join();
  const TrainPreparation prepared = prepareTraining(std::filesystem::path(window.workspace().trainData),
                                                    window.trainingModel(), window.ui(), {});
  if (prepared.start != TrainStart::kReady) return;
  if (!runner.start(prepared.job)) window.ui().error(kCannotStartTraining);
  window.updateCommandStates();
}

void stopTraining(MainWindow& window) {
  // Returns at once: the thread saves, and the runner says what it saved
  // once it has.
  if (TrainingRunner* runner = TrainingRunner::find(window)) runner->requestStop();
}

void deleteSim(MainWindow& window) {
  SimDeleteDialog dialog(window.workspace(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  stridewell::deleteSim(window.workspace(), dialog.chosenSim(), window.ui(), &window.settings());
}

void renameSim(MainWindow& window) {
  SimRenameDialog dialog(window.workspace(), window.ui(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  stridewell::renameSim(window.workspace(), dialog.oldName(), dialog.newText(), window.ui());
}

}  // namespace

void runTrainCommand(MainWindow& window, MenuCommand command) {
  switch (command) {
    case MenuCommand::kPrepSim:
      prepSim(window);
      break;
    case MenuCommand::kTrainSim:
      trainSim(window);
      break;
    case MenuCommand::kStopTraining:
      stopTraining(window);
      break;
    case MenuCommand::kDeleteSim:
      deleteSim(window);
      break;
    case MenuCommand::kRenameSim:
      renameSim(window);
      break;
    default:
      break;
  }
}

}  // namespace stridewell::gui
