// Enter in a dialog's lists. A list passes Enter on to its dialog, which
// presses the default button: Enter on a card meant to add it would also
// start the run. Here Enter does what a double-click does on the current
// item (if anything) and stops there.
#pragma once

class QWidget;

namespace stridewell::gui {

// For every list, table and tree inside `dialog` at the time of the call,
// except those whose property kHandlesEnter is true (they keep Enter from
// the dialog themselves).
void keepEnterInLists(QWidget& dialog);
inline constexpr char kHandlesEnter[] = "handlesEnter";

}  // namespace stridewell::gui
