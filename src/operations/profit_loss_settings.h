// The profit/loss run's options as the settings store keeps them between
// runs, written the same way by the dialog and by the command line.
#pragma once

#include "base/settings_store.h"
#include "operations/profit_loss_run.h"

namespace stridewell {

// Writes the five run options and whether the comma copy was asked for.
void writeProfitLossFlags(SettingsStore& store, const ProfitLossOptions& options, bool commaCopy);

}  // namespace stridewell
