// Text put on the system clipboard as plain text: the comma-separated
// copies of the profit/loss and dataset reports, and the lines of a result
// window.
#pragma once

#include <QString>
#include <string>

namespace stridewell::gui {

// Puts `text` on the clipboard as it is; false when the clipboard does not
// take it.
bool copyTextToClipboard(const QString& text);

// Copies the file's text with every line end made a carriage return and
// line feed, the form spreadsheets on every system paste. False when the
// file cannot be read or the clipboard does not take the text.
bool copyFileToClipboard(const std::string& path);

}  // namespace stridewell::gui
