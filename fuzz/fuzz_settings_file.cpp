// The settings file is the user's to edit by hand: any bytes must parse
// without harm, and whatever parsed must survive a write and a re-read
// unchanged (keys, sections and values, escapes included). The same holds
// for a SIM's training record, the other text file users may touch: any
// bytes read without harm, and a record read, written and read again says
// the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/settings_file.h"
#include "model/sim_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const stridewell::SettingsParse first = stridewell::parseSettingsText(text);
  const std::string written = stridewell::settingsText(first.sections);
  const stridewell::SettingsParse second = stridewell::parseSettingsText(written);
  if (second.sections != first.sections || second.badLines != 0) std::abort();

  stridewell::SimRecord record;
  if (stridewell::parseSimRecord(text, record)) {
    const std::string recordText = stridewell::simRecordText(record);
    stridewell::SimRecord again;
    if (!stridewell::parseSimRecord(recordText, again) || stridewell::simRecordText(again) != recordText) {
      std::abort();
    }
    (void)stridewell::describeSimRecord(record, stridewell::SimRecordRead::kRead);
  }
  return 0;
}
