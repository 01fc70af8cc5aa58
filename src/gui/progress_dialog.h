// The modeless progress window of long runs: a caption, one line of text,
// a bar from 0 to 100 per cent and Cancel. Every update lets the
// application handle its queued events, so that the windows repaint and
// Cancel can be pressed while the run keeps the user-interface thread.
// Cancel hides the window at once; the run stops when it next asks.
#pragma once

#include <QDialog>

#include "base/interaction.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace stridewell::gui {

// Handles every queued event once (input, paints, timers).
void pumpMessages();

class ProgressDialog final : public QDialog, public ProgressSink {
  Q_OBJECT

 public:
  explicit ProgressDialog(QWidget* parent = nullptr);

  // Shows the window centred over its parent with an empty text and the
  // bar at 0, captioned with the operation's name.
  void open(const QString& caption);
  // Hides the window; the dialog may be opened again for another run.
  void finish();

  void setText(std::string_view text) override;
  void setPercent(int percent) override;
  // After handling the queued events: whether Cancel was pressed.
  bool cancelled() const override;

  // The form that report loops take: -1 or the percent already shown
  // changes nothing on screen; either way events are handled and the
  // cancelled flag is returned.
  bool percentCallback(int percent);
  // Sets the bar and the text line, the text made from `format` with the
  // bar's own number for %1, and repaints both in one pass, so that the
  // window never shows the text and the bar at different percentages.
  void showPercent(int percent, const QString& format);

  QString text() const;
  int percent() const;
  QPushButton* cancelButton() const { return cancel_; }

 public slots:
  void cancel();

 protected:
  void reject() override;  // Escape and the window's close button cancel

 private:
  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  bool cancelled_ = false;
  int shownPercent_ = -1;
};

}  // namespace stridewell::gui
