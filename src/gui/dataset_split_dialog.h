// The "Split DataSet" dialog: the source dataset, the names of the train
// and the test dataset, and the share of races that goes to test. OK runs
// the name checks in their fixed order (each refusal keeps the dialog open
// with the focus on the field at fault) and asks before existing datasets
// are over-written. User-interface thread only.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace stridewell {
class UserInteraction;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

class DatasetSplitDialog : public QDialog {
  Q_OBJECT

 public:
  DatasetSplitDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

  QComboBox* sourceList() const { return source_; }
  QLineEdit* trainEdit() const { return train_; }
  QLineEdit* testEdit() const { return test_; }
  QComboBox* allocationList() const { return allocation_; }
  QPushButton* okButton() const { return ok_; }

  // The choice: the source as listed, the two names as typed, and the
  // step N (every Nth race goes to test).
  std::string sourceName() const;
  std::string trainName() const;
  std::string testName() const;
  int step() const;

  void accept() override;

 private:
  const Workspace& workspace_;
  UserInteraction& ui_;
  std::vector<std::string> names_;
  QComboBox* source_;
  QLineEdit* train_;
  QLineEdit* test_;
  QComboBox* allocation_;
  QPushButton* ok_;
};

}  // namespace stridewell::gui
