// "&Profit/Loss Analysis...": the dialog, the run under the progress window
// with the menu and frame disabled, the report in the viewer (with a
// "&Chart" of profit per strategy family and a "&Breakdown" of one
// strategy by segment), printing when asked and the comma copy on the
// clipboard. User-interface thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/program_name.h"
#include "gui/profit_loss_dialog.h"

class QWidget;

namespace stridewell::gui {

class MainWindow;

inline constexpr const char* kProfitLossTitle = "Profit/Loss Analysis";
inline const std::string kProfitLossPrintTitle = programTitle(kProfitLossTitle);
inline constexpr const char* kProfitLossCaption = "Performing Profit/Loss Analysis...";
inline constexpr const char* kPrintFailedText = "Error during print.";
inline constexpr const char* kClipboardFailedText = "Cannot copy data to clipboard.";

// The parts of the command that reach outside the program, so that tests
// can stand in for them; the defaults are the program's own.
struct ProfitLossServices {
  // Shows the dialog; the run's choice after OK, nothing after Cancel.
  std::function<std::optional<ProfitLossChoice>(MainWindow&)> choose;
  // Prints the report file; false when the print failed.
  std::function<bool(const std::string& path, const std::string& title, QWidget* parent)> print;
  // Puts the comma copy's file on the clipboard; false when it failed.
  std::function<bool(const std::string& path)> copyToClipboard;
};
ProfitLossServices defaultProfitLossServices();

void runProfitLossAnalysis(MainWindow& window, const ProfitLossServices& services);

// The run after the dialog: exposed for tests that choose without the
// dialog.
void runProfitLoss(MainWindow& window, const ProfitLossChoice& choice, const ProfitLossServices& services);

}  // namespace stridewell::gui
