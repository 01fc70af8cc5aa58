#include "gui/value_betting_command.h"

#include <sstream>

#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/run_progress.h"
#include "gui/value_betting_dialog.h"
#include "gui/value_betting_window.h"

namespace stridewell::gui {

ValueBettingServices defaultValueBettingServices() {
  ValueBettingServices services;
  services.choose = [](MainWindow& window) -> std::optional<ValueRequest> {
    ValueBettingDialog dialog(window.settings(), window.workspace(), window.ui(), &window);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.request();
  };
  return services;
}

void runValueBettingRequest(MainWindow& window, const ValueRequest& request) {
  std::ostringstream report;
  ValueOutcome outcome;
  {
    // As the profit/loss run: errors before the first percent come with
    // the menu enabled and no progress window.
    RunProgress progress(window, QString::fromLatin1(kValueBettingCaption), kProfitLossProgress);
    outcome = stridewell::runValueBetting(request, window.foregroundModel(), report, window.ui(), progress);
  }
  // A fit that could not be made still shows why, in the report.
  if (outcome.status != ValueStatus::kDone && outcome.status != ValueStatus::kNoFit) return;
  ValueBettingWindow shown(report.str(), outcome.summary, &window);
  shown.exec();
}

void runValueBetting(MainWindow& window, const ValueBettingServices& services) {
  if (const std::optional<ValueRequest> request = services.choose(window))
    runValueBettingRequest(window, *request);
}

void runValueBetting(MainWindow& window) {
  runValueBetting(window, defaultValueBettingServices());
}

}  // namespace stridewell::gui
