// The user manual in a window of the program's own: it needs no web browser
// (a desktop may have none, or none that opens local files), and F1 brings
// the same window to the front rather than opening another.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace stridewell::gui {

class ManualViewer final : public QWidget {
  Q_OBJECT

 public:
  explicit ManualViewer(QWidget* parent = nullptr);

  // Shows `file` (an HTML page) from its top; false, with nothing shown,
  // when it cannot be read.
  bool open(const QString& file);
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace stridewell::gui
