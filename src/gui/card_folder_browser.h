// The folder browser of the dialogs that pick card and results files: a
// "Drive:" list of starting places, the "Path" box (which takes a typed or
// pasted folder or file), the "Folders:" list with "&Up One Level", and a
// line under the path that says why a folder could not be shown. The
// dialog fills its own file lists from the listing of each folder shown.
// User-interface thread only.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "base/card_folder.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace stridewell::gui {

class CardFolderBrowser : public QWidget {
  Q_OBJECT

 public:
  explicit CardFolderBrowser(QWidget* parent = nullptr);

  // Shows `folder`, or when it has gone, its nearest existing parent (a
  // remembered folder may have been moved since).
  void showFolder(const std::string& folder);
  // What the user typed or pasted (see resolveTypedPath): shows that folder,
  // or the folder of the file named and then reports the file through
  // fileNamed. When nothing can be shown, says why under the path, keeps
  // the text for mending and the folder shown as it was; false then.
  bool openPath(const QString& text);
  // Offers `places` (sorted) in "Drive:" instead of this machine's; the
  // folder shown stays.
  void usePlaces(std::vector<std::string> places);
  const std::vector<std::string>& places() const { return places_; }
  // The place chosen in "Drive:" ("/" when there is none).
  std::string currentPlace() const;

  const std::string& folder() const { return folder_; }
  const CardFolderList& listing() const { return listing_; }
  // Why the last folder asked for is not shown; empty after a folder shown.
  QString problem() const;
  // Puts `widget` at the end of the "Drive:" row.
  void addBesideDrives(QWidget* widget);
  QListWidget* folderList() const { return folders_; }

 signals:
  // A folder is shown: folder() and listing() describe it.
  void folderShown();
  // A typed path named this file of the folder now shown (ABC1234.TCF).
  void fileNamed(const QString& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Shows `folder` when it can be read, else says why and keeps the folder
  // shown; false then.
  bool goTo(const std::string& folder);
  void showListing(const std::string& folder, CardFolderList listing);
  void openSubfolder(int row);
  void sayProblem(const std::string& text);

  std::string folder_;
  CardFolderList listing_;
  std::vector<std::string> places_;

  QGridLayout* grid_ = nullptr;
  QComboBox* drives_ = nullptr;
  QLineEdit* path_ = nullptr;
  QLabel* problem_ = nullptr;
  QListWidget* folders_ = nullptr;
  QPushButton* upOneLevel_ = nullptr;
};

}  // namespace stridewell::gui
