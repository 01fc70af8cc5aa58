// The Train menu's commands: "&Prep SIM..." (the dialog, then the
// preparation under the progress window with the menu and frame disabled),
// "&Train SIM (or Train More)..." (the background training through the
// window's TrainingRunner), "&Stop Training!", "&Delete SIM..." and
// "&Rename SIM...". The work itself is the core's; these functions only
// choose, show and sequence it.
#include <filesystem>
#include <string>

#include "app/interaction.h"
#include "app/settings_store.h"
#include "app/sim_management.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/prep_sim_dialog.h"
#include "gui/progress_dialog.h"
#include "gui/qt_interaction.h"
#include "gui/sim_delete_dialog.h"
#include "gui/sim_rename_dialog.h"
#include "gui/training_runner.h"
#include "model/sim_name_rules.h"
#include "model/training_run.h"
#include "patterns/prep_sim.h"

namespace stridewell::gui {
namespace {

constexpr const char* kCannotStartTraining = "Cannot start the training thread";

// The preparation's progress window opens when the run starts reading the
// dataset (after the starting weights are saved) and closes before any
// message the run shows, so that no box stands behind or over it.
class PrepProgress final : public ProgressSink, public UserInteraction {
 public:
  PrepProgress(MainWindow& window, std::string caption) : window_(window), caption_(std::move(caption)) {}
  ~PrepProgress() override { close(); }
  PrepProgress(const PrepProgress&) = delete;
  PrepProgress& operator=(const PrepProgress&) = delete;

  void setText(std::string_view text) override {
    if (!open_) {
      window_.progressDialog().open(toQString(caption_));
      open_ = true;
    }
    window_.progressDialog().setText(text);
  }
  void setPercent(int percent) override {
    if (open_) window_.progressDialog().setPercent(percent);
  }
  bool cancelled() const override { return open_ && window_.progressDialog().cancelled(); }

  void error(std::string_view text) override {
    close();
    window_.ui().error(text);
  }
  void warning(std::string_view text) override {
    close();
    window_.ui().warning(text);
  }
  bool query(std::string_view text) override {
    close();
    return window_.ui().query(text);
  }
  void notice(std::string_view caption, std::string_view text) override {
    close();
    window_.ui().notice(caption, text);
  }

 private:
  void close() {
    if (!open_) return;
    window_.progressDialog().finish();
    open_ = false;
  }

  MainWindow& window_;
  std::string caption_;
  bool open_ = false;
};

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
    PrepProgress progress(window, prepCaption(trimSimName(dialog.request().simName)));
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
  const TrainPreparation prepared =
      prepareTraining(std::filesystem::path(window.workspace().trainData), window.trainingModel(), window.ui(), {});
  if (prepared.start != TrainStart::kReady) return;
  if (!runner.start(prepared.job)) window.ui().error(kCannotStartTraining);
  window.updateCommandStates();
}

void stopTraining(MainWindow& window) {
  // Returns at once: the thread saves and says so in the title.
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
