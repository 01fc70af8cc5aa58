// The Scratch Editor: every horse line of one card file (plain or from its
// archive) as an item of a check list, checked when the horse is scratched;
// OK writes the marks back, Cancel writes nothing. User-interface thread
// only.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "operations/scratch_edit.h"

class QListWidget;

namespace stridewell {
class UserInteraction;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

// The card's name as the editor shows it: its path when it is a plain
// file, "SAX0316M.ZIP > SAX0316.TCF" when it comes from an archive.
QString shownCardName(const ScratchCard& card);

// A horse without a program number, on a card where others have one,
// cannot be changed.
class ScratchEditorDialog : public QDialog {
  Q_OBJECT

 public:
  // Reads the card; when that fails the user has been told (an invalid
  // card gives "File is invalid.") and loaded() is false: do not show it.
  ScratchEditorDialog(const std::string& cardPath, const Workspace& workspace, UserInteraction& ui,
                      QWidget* parent = nullptr);

  bool loaded() const { return loaded_; }
  QListWidget* horseList() const { return list_; }

  // Saves the checked marks; on failure the user is told and the dialog
  // stays open, so that nothing chosen is lost.
  void accept() override;

 private:
  const Workspace& workspace_;
  UserInteraction& ui_;
  ScratchCard card_;
  bool loaded_ = false;
  QListWidget* list_ = nullptr;
};

// Opens the editor on `cardPath` and runs it; true when the card was saved.
bool editScratches(const std::string& cardPath, const Workspace& workspace, UserInteraction& ui,
                   QWidget* parent);

}  // namespace stridewell::gui
