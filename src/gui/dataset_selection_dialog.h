// What the Delete DataSet and Combine DataSets dialogs share: a prompt, a
// sorted list of the datasets where several can be picked (Ctrl-click,
// Shift-click), the line that counts the picks, and an action button that
// is enabled only while something is picked. With no dataset the list
// holds "<No datasets have been created.>" and stays disabled.
// User-interface thread only.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QBoxLayout;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace stridewell {
struct Workspace;
}

namespace stridewell::gui {

// Fills a drop-down list with the Workspace's datasets, sorted, at its
// first entry, the way the Rename, Split and report dialogs list them; with
// no dataset the single disabled entry "<No datasets have been created.>".
// Answers the names listed (their own bytes), empty for none.
std::vector<std::string> fillDatasetList(QComboBox* list, const Workspace& workspace);

class DatasetSelectionDialog : public QDialog {
  Q_OBJECT

 public:
  QListWidget* list() const { return list_; }
  QLabel* selectionText() const { return selection_; }
  QPushButton* actionButton() const { return action_; }

  // The picked datasets in list order (the sorted order), whatever order
  // they were clicked in.
  std::vector<std::string> selectedNames() const;

 protected:
  // `listLabel` stands before the list ("Delete:", "Combine: "); the
  // buttons are `actionText` and `cancelText`. Subclasses add their own
  // fields to fieldsLayout().
  DatasetSelectionDialog(const QString& title, const QString& prompt, const QString& listLabel,
                         const QString& actionText, const QString& cancelText, const Workspace& workspace,
                         QWidget* parent);

  QBoxLayout* fieldsLayout() const { return fields_; }

 private:
  void refreshSelection();

  std::vector<std::string> names_;  // as listed; the names' own bytes
  QListWidget* list_;
  QLabel* selection_;
  QPushButton* action_;
  QBoxLayout* fields_;
};

}  // namespace stridewell::gui
