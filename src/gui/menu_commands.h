// The Database and Train menus' commands. Each opens its own dialogs over
// the main window and reaches the workspace, the settings, the progress
// window and the message boxes through it. User-interface thread only.
#pragma once

namespace stridewell::gui {

class MainWindow;
enum class MenuCommand;

// "&Create/Append DataSet...".
void runCreateDataset(MainWindow& window);

// "&Delete DataSet...", "Re&name DataSet...", "&Split DataSet...",
// "Co&mbine DataSets...", "&Exotics Report...", "Da&ily Double Report..."
// and "DataSet Contents &Report...".
void runDatasetCommand(MainWindow& window, MenuCommand command);

// "&Prep SIM...", "&Train SIM (or Train More)...", "&Stop Training!",
// "&Delete SIM..." and "&Rename SIM...".
void runTrainCommand(MainWindow& window, MenuCommand command);

// "&Profit/Loss Analysis...".
void runProfitLossAnalysis(MainWindow& window);

// "&Value Betting...".
void runValueBetting(MainWindow& window);

}  // namespace stridewell::gui
