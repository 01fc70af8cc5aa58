// The "Print Handicap Results" dialog: print every handicapped result or a
// chosen few, each under the program's title with its name. The first
// failed print is reported and ends the printing.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QRadioButton;

namespace stridewell {
class UserInteraction;
}

namespace stridewell::gui {

// One handicapped result: its display name and its text file.
struct PrintableResult {
  std::string name;
  std::string path;
};

class PrintResultsDialog : public QDialog {
  Q_OBJECT

 public:
  // `print` prints one result file under a title and says whether it worked
  // (the program passes printResultFile on the shared printer).
  using PrintFunction = std::function<bool(const std::string& path, const std::string& title)>;

  PrintResultsDialog(std::vector<PrintableResult> results, PrintFunction print, UserInteraction& ui,
                     QWidget* parent = nullptr);

  QRadioButton* allResults() const { return all_; }
  QRadioButton* pickFromList() const { return pick_; }
  QListWidget* list() const { return list_; }

  void accept() override;

 private:
  std::vector<PrintableResult> results_;
  PrintFunction print_;
  UserInteraction& ui_;
  QRadioButton* all_;
  QRadioButton* pick_;
  QListWidget* list_;
};

}  // namespace stridewell::gui
