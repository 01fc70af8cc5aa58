// The "Rename DataSet" dialog: the dataset to rename and its new name.
// "&Rename" refuses a blank name or one with a forbidden character, with
// the focus back on the new name; the command then asks and moves the
// file. User-interface thread only.
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

class DatasetRenameDialog : public QDialog {
  Q_OBJECT

 public:
  DatasetRenameDialog(const Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

  QComboBox* oldNameList() const { return old_; }
  QLineEdit* newNameEdit() const { return new_; }
  QPushButton* renameButton() const { return rename_; }

  // The choice: the listed dataset and the new name as typed.
  std::string oldName() const;
  std::string newName() const;

  void accept() override;

 private:
  UserInteraction& ui_;
  std::vector<std::string> names_;
  QComboBox* old_;
  QLineEdit* new_;
  QPushButton* rename_;
};

}  // namespace stridewell::gui
