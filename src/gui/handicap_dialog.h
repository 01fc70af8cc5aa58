// The Handicap Races dialog: the mode (one SIM for every race, or an SI Map
// that picks a SIM per race), a folder browser over card files (plain and
// archived), the search for the folder with the newest card, and the list
// of up to 64 card files to handicap. On "Handicap" it yields the run's
// setup, its input paths and the user's choices for the settings (written
// at once with an SI Map; with one SIM only once that SIM has loaded); the
// list is kept for the next opening in this process. User-interface thread.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "model/sim_list.h"
#include "operations/handicap_list.h"
#include "operations/handicap_run.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace stridewell {
class UserInteraction;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

class CardFolderBrowser;

class HandicapDialog : public QDialog {
  Q_OBJECT

 public:
  HandicapDialog(SettingsStore& store, const Workspace& workspace, UserInteraction& ui,
                 QWidget* parent = nullptr);

  // The list kept between openings; the dialog starts with it and replaces
  // it on "Handicap".
  static HandicapList& sharedList();

  // After "Handicap": the run's choices and its card files in list order.
  const HandicapSetup& setup() const { return setup_; }
  std::vector<std::string> inputPaths() const { return list_.paths(); }
  // After "Handicap" in single-SIM mode: the settings that remember the
  // choice, for the run to write once the SIM has loaded (a SIM that fails
  // to load must not become the next run's choice). Empty in map mode,
  // whose choice is written on "Handicap".
  const std::vector<SettingsStore::Change>& pendingSettings() const { return pendingSettings_; }

  // The folder browser shows `folder` (a missing folder: its nearest
  // existing parent) and remembers it as IMPORTDIR.
  void showFolder(const std::string& folder);
  const std::string& shownFolder() const;
  // Searches the place chosen in "Drive:" for the folder of the newest card.
  void searchNewestCards();
  // Offers `places` in "Drive:" instead of this machine's (the root, the
  // home folder and the mounted volumes), and shows the first of them.
  void usePlaces(std::vector<std::string> places);
  // The dialog's list, as edited so far.
  const HandicapList& list() const { return list_; }

  void accept() override;
  void reject() override;

 private:
  QWidget* buildModeBox();
  QWidget* buildBrowser();
  QWidget* buildListBox();
  void showMode(bool mapMode);
  void showCardFiles();
  // Appends the selected cards in list order, or every card of the folder.
  void addSelectedFiles();
  void addAllFiles();
  void addFiles(const std::vector<std::string>& names);
  void removeSelectedEntry();
  void clearList();
  void editScratches();
  void showList();
  void showListButtons();

  SettingsStore& store_;
  const Workspace& workspace_;
  UserInteraction& ui_;
  HandicapList list_;
  HandicapSetup setup_;
  std::vector<SettingsStore::Change> pendingSettings_;
  SimList simList_;

  QRadioButton* singleSim_ = nullptr;
  QRadioButton* useMap_ = nullptr;
  QComboBox* sims_ = nullptr;
  QComboBox* maps_ = nullptr;
  CardFolderBrowser* browser_ = nullptr;
  QListWidget* cardFiles_ = nullptr;
  QPushButton* addAll_ = nullptr;
  QPushButton* addFile_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* clearList_ = nullptr;
  QPushButton* editScratches_ = nullptr;
  QListWidget* entries_ = nullptr;
  QLabel* summary_ = nullptr;
  QCheckBox* dryOnly_ = nullptr;
  QPushButton* handicap_ = nullptr;
};

}  // namespace stridewell::gui
