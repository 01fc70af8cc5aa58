// The text form of the settings file: "[Section]" lines followed by
// "KEY=value" lines, with an escape for every byte that would otherwise be
// taken for syntax, so that any key or value text survives a write and a
// read unchanged. Pure functions over strings; any thread may call them.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace stridewell {

using SettingsSection = std::map<std::string, std::string, std::less<>>;
using SettingsSections = std::map<std::string, SettingsSection, std::less<>>;

struct SettingsParse {
  SettingsSections sections;
  int badLines = 0;      // lines that were skipped as damaged
  int firstBadLine = 0;  // 1-based number of the first of them, 0 when none
};

// Reads what it can: a damaged line is skipped and counted, and the keys
// under a damaged section header are skipped with it rather than filed under
// the section before. A key given twice keeps its last value.
SettingsParse parseSettingsText(std::string_view text);

// Escapes: \\ \n \r \t and \xHH (two hex digits) for any other byte below
// 0x20 or 0x7F; a key also escapes '=', and a section name ']'. Blanks at
// either end of a key or value are escaped too, so that the reader may trim
// the blanks a person adds around '=' when editing the file by hand.
// Lines starting with ';' or '#' are comments.
// The file text for `sections`: sections and keys in sorted order, each line
// ending in '\n'.
std::string settingsText(const SettingsSections& sections);

// The escaped forms used in the file (exposed for the tests).
enum class SettingsField { kSection, kKey, kValue };
std::string escapeSettingsField(std::string_view text, SettingsField field);
// False when `text` holds a broken escape or a raw control byte.
bool unescapeSettingsField(std::string_view text, std::string& result);

}  // namespace stridewell
