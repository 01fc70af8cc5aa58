// A text file put on the system clipboard as plain text, for the
// comma-separated copies of the profit/loss and dataset reports.
#pragma once

#include <string>

namespace stridewell::gui {

// Copies the file's text with every line end made a carriage return and
// line feed, the form spreadsheets on every system paste. False when the
// file cannot be read or the clipboard does not take the text.
bool copyFileToClipboard(const std::string& path);

}  // namespace stridewell::gui
