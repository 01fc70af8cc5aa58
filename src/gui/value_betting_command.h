// "&Value Betting...": the dialog, the run under the progress window with
// the menu and frame disabled, and the report with the bankroll chart.
// User-interface thread only.
#pragma once

#include <functional>
#include <optional>

#include "operations/value_run.h"

namespace stridewell::gui {

class MainWindow;

inline constexpr const char* kValueBettingCaption = "Betting on value...";

// The dialog, so that tests can choose without it; the default shows the
// Value Betting dialog.
struct ValueBettingServices {
  std::function<std::optional<ValueRequest>(MainWindow&)> choose;
};
ValueBettingServices defaultValueBettingServices();

void runValueBetting(MainWindow& window, const ValueBettingServices& services);
void runValueBetting(MainWindow& window);

// The run after the dialog: exposed for tests that choose without it.
void runValueBettingRequest(MainWindow& window, const ValueRequest& request);

}  // namespace stridewell::gui
