#include "operations/profit_loss_settings.h"

#include "base/setting_keys.h"

namespace stridewell {

void writeProfitLossFlags(SettingsStore& store, const ProfitLossOptions& options, bool commaCopy) {
  store.writeFlag(kSettingsSection, setting::kAutoScratch, options.autoScratch);
  store.writeFlag(kSettingsSection, setting::kForceDry, options.forceDry);
  store.writeFlag(kSettingsSection, setting::kSkipTurfToDirt, options.skipTurfToDirt);
  store.writeFlag(kSettingsSection, setting::kUseMorningLineOdds, options.morningLineOdds);
  store.writeFlag(kSettingsSection, setting::kShortReport, options.shortReport);
  store.writeFlag(kSettingsSection, setting::kClipboard, commaCopy);
}

}  // namespace stridewell
