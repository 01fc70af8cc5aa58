// The Create DataSet dialog: the dataset's name (a new one or, with
// "Append", one that exists), a folder browser, and the card and results
// files of the folder shown paired by name. "&Build" runs the request checks
// and ends the dialog with the pairs for the create run. User-interface
// thread only.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "datasets/build_pair.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace stridewell {
class SettingsStore;
class UserInteraction;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

class CardFolderBrowser;

// Every folder shown is remembered at once as DATASETDIR; Cancel puts back
// the folder remembered when the dialog opened.
class CreateDatasetDialog : public QDialog {
  Q_OBJECT

 public:
  CreateDatasetDialog(SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                      QWidget* parent = nullptr);

  // After "&Build": the name as typed (the run trims it), the append flag,
  // the folder shown and its pairs in the folder's card order, which is the
  // order the run takes them in.
  std::string name() const;
  bool append() const;
  const std::string& folder() const;
  const std::vector<FilePair>& pairs() const { return pairing_.pairs; }

  // Shows `folder` (a folder that is gone: its nearest existing parent),
  // pairs its files and remembers it as DATASETDIR.
  void showFolder(const std::string& folder);
  // Offers `places` in "Drive:" instead of this machine's (the root, the
  // home folder and the mounted volumes); the folder shown stays.
  void usePlaces(std::vector<std::string> places);

  void accept() override;  // "&Build"
  void reject() override;  // "&Cancel" and Escape

 private:
  QWidget* buildLocationBox();
  QWidget* buildListBox(const QString& title, const char* listName, const char* countName,
                        const QString& countLabel, QListWidget*& list, QLabel*& count);
  void showPairs();

  SettingsStore& store_;
  const Workspace& workspace_;
  UserInteraction& ui_;
  std::string openingFolder_;  // DATASETDIR when the dialog opened
  FolderPairing pairing_;

  QComboBox* name_ = nullptr;
  QCheckBox* append_ = nullptr;
  CardFolderBrowser* browser_ = nullptr;
  QListWidget* matched_ = nullptr;
  QLabel* matchedCount_ = nullptr;
  QListWidget* leftOver_ = nullptr;
  QLabel* leftOverCount_ = nullptr;
  QPushButton* build_ = nullptr;
};

}  // namespace stridewell::gui
