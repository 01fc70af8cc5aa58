// The main window's commands that open the program's other windows: the
// Handicap Races dialog and printing.
#include <QDir>

#include "base/interaction.h"
#include "base/program_name.h"
#include "gui/handicap_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/print_results_dialog.h"
#include "gui/report_card_command.h"
#include "gui/text_printing.h"

namespace stridewell::gui {
namespace {

constexpr const char* kPrintFailed = "Error during print (check printer setup).";

std::string resultTitle(const QString& name) {
  return programTitle(name.toStdString());
}

std::string resultPath(const HandicappedResult& result) {
  return QDir(result.folder).filePath(result.fileName).toStdString();
}

}  // namespace

FrameCommands defaultFrameCommands() {
  FrameCommands commands;
  commands.chooseHandicap = [](MainWindow& window) -> std::optional<HandicapChoice> {
    HandicapDialog dialog(window.settings(), window.workspace(), window.ui(), &window);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    HandicapChoice choice{dialog.setup(), dialog.inputPaths(), dialog.pendingSettings()};
    if (choice.files.empty()) return std::nullopt;
    return choice;
  };
  commands.printHandicapResults = [](MainWindow& window) {
    std::vector<PrintableResult> results;
    for (const HandicappedResult& result : window.handicappedResults()) {
      results.push_back({result.displayName.toStdString(), resultPath(result)});
    }
    const std::string predict = window.workspace().predict;
    PrintResultsDialog dialog(
        std::move(results),
        [&window, predict](const std::string& path, const std::string& title) {
          return printResultFile(path, title, predict, &window);
        },
        window.ui(), &window);
    dialog.exec();
  };
  commands.printerSetup = [](MainWindow& window) { showPrinterSetup(&window); };
  commands.printResultWindow = [](MainWindow& window, const ResultWindow& active) {
    // The entry of the handicapped results that bears the window's title.
    for (const HandicappedResult& result : window.handicappedResults()) {
      if (result.displayName != active.title) continue;
      if (!printResultFile(resultPath(result), resultTitle(result.displayName), window.workspace().predict,
                           &window)) {
        window.ui().error(kPrintFailed);
      }
      return;
    }
  };
  commands.runMenuCommand = [](MainWindow& window, MenuCommand command) {
    switch (command) {
      case MenuCommand::kProfitLoss:
        runProfitLossAnalysis(window);
        break;
      case MenuCommand::kValueBetting:
        runValueBetting(window);
        break;
      case MenuCommand::kCreateDataset:
        runCreateDataset(window);
        break;
      case MenuCommand::kDeleteDataset:
      case MenuCommand::kRenameDataset:
      case MenuCommand::kSplitDataset:
      case MenuCommand::kCombineDatasets:
      case MenuCommand::kExoticsReport:
      case MenuCommand::kDailyDoubleReport:
      case MenuCommand::kContentsReport:
        runDatasetCommand(window, command);
        break;
      case MenuCommand::kPrepSim:
      case MenuCommand::kTrainSim:
      case MenuCommand::kStopTraining:
      case MenuCommand::kDeleteSim:
      case MenuCommand::kRenameSim:
        runTrainCommand(window, command);
        break;
      case MenuCommand::kReportCard:
        runReportCardCommand(window);
        break;
      default:
        break;
    }
  };
  return commands;
}

}  // namespace stridewell::gui
