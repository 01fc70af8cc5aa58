// The modal report viewer: a text file shown line by line in a fixed-pitch
// list with "&Print" and "&Cancel". It only shows; the caller prints when
// the user pressed "&Print".
#pragma once

#include <QDialog>
#include <string>

class QListWidget;
class QPushButton;

namespace stridewell::gui {

// Plain reports fit the list's width; wide ones (such as the exotics
// report) get a horizontal scroll bar over 80 columns.
enum class ReportLayout { Plain, Wide };

class ReportViewer : public QDialog {
  Q_OBJECT

 public:
  // Reads the file at once; a file that cannot be opened leaves the list
  // empty.
  ReportViewer(const std::string& path, const std::string& title, ReportLayout layout,
               QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  QPushButton* printButton() const { return print_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  QListWidget* list_;
  QPushButton* print_;
  QPushButton* cancel_;
};

// Shows the report modally; true when "&Print" was pressed.
bool showReport(const std::string& path, const std::string& title, ReportLayout layout,
                QWidget* parent = nullptr);

}  // namespace stridewell::gui
