// The main window: a multi-document frame with the Handicap, Database,
// Train, Window and Help menus, the background picture while no results are open,
// one result window per handicapped card file, and the print item that the
// first handicap run adds to the menu bar. It runs the start-up sequence
// one step per turn of the event loop, keeps the menu disabled until that
// is done and while a long run holds the user-interface thread, shows the
// training status in its title every second and, while a SIM is being
// trained, closes only when the user agrees to stop (and save) the training
// first. User-interface thread only.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "base/workspace.h"
#include "gui/manual_viewer.h"
#include "layout/frame_layout.h"
#include "operations/handicap_run.h"

class QAction;
class QListWidget;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace stridewell {
class SettingsStore;
class SimModel;
class TrainingSession;
class UserInteraction;
}  // namespace stridewell

namespace stridewell::gui {

class FrameArea;
class MainWindow;
class ProgressDialog;

// What the Handicap Races dialog hands to the run.
struct HandicapChoice {
  HandicapSetup setup;
  std::vector<std::string> files;  // card files or archives, in run order
  // Settings to write once the run's SIM has loaded (the dialog's choice).
  std::vector<SettingsStore::Change> remember;
};

// One open result window: the card's name, its report file and the window.
struct ResultWindow {
  QString title;  // the card file's name without extension
  QString path;   // its report in PREDICT
  QPointer<QMdiSubWindow> frame;
  QListWidget* list = nullptr;
  const QObject* identity = nullptr;  // the frame, to recognise it while it is destroyed
};

// One report of the last run, as "&Print Handicap Results..." offers it.
struct HandicappedResult {
  QString displayName;
  QString folder;
  QString fileName;
};

// What the window needs to know of the background training.
class TrainingMonitor {
 public:
  virtual ~TrainingMonitor() = default;
  virtual bool running() const = 0;
  // How many statuses were given so far, and the latest one's text.
  virtual uint64_t statusCount() const = 0;
  virtual std::string statusText() const = 0;
  // Exit's "stop and exit": stops a running training and waits while it
  // saves, as Stop Training would. The problem when the weights could not
  // be saved; empty when they were (or nothing ran).
  virtual std::string stopAndWait() { return {}; }
};

// The commands of the menus, one per menu item.
enum class MenuCommand {
  kHandicapRaces,
  kPrintHandicapResults,
  kPrinterSetup,
  kExit,
  kProfitLoss,
  kValueBetting,
  kCreateDataset,
  kDeleteDataset,
  kRenameDataset,
  kSplitDataset,
  kCombineDatasets,
  kExoticsReport,
  kDailyDoubleReport,
  kContentsReport,
  kPrepSim,
  kTrainSim,
  kStopTraining,
  kDeleteSim,
  kRenameSim,
  kReportCard,
  kAbout,
  kUserManual,
  kTileWindows,
  kCascadeWindows,
  kCloseAllWindows,
};

// The commands that open other windows, so that tests can stand in for
// them; defaultFrameCommands() gives the program's own.
struct FrameCommands {
  std::function<std::optional<HandicapChoice>(MainWindow&)> chooseHandicap;
  std::function<void(MainWindow&)> printHandicapResults;
  std::function<void(MainWindow&)> printerSetup;
  std::function<void(MainWindow&, const ResultWindow&)> printResultWindow;
  // Shows the manual somewhere else than the program's own window.
  std::function<bool(const QString& manualFile)> openManual;
  // The Database and Train menus' commands.
  std::function<void(MainWindow&, MenuCommand)> runMenuCommand;
};
FrameCommands defaultFrameCommands();

inline constexpr const char* kStopTrainingAndExit =
    "A SIM is being trained. Stop the training, save the SIM as Stop Training would, and exit?";

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // `training` may be null until a training front end is attached.
  MainWindow(SettingsStore& store, UserInteraction& ui, FrameCommands commands = defaultFrameCommands(),
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Starts the start-up sequence in `workspace`; startUpFinished(true) is
  // emitted with the menu enabled, or startUpFinished(false) after the
  // error box when a folder or the SIM engine cannot be set up.
  void beginStartUp(const Workspace& workspace);
  bool startedUp() const { return startUpStep_ == kStartUpDone; }
  const Workspace& workspace() const { return workspace_; }

  void setTrainingMonitor(TrainingMonitor* monitor) { training_ = monitor; }
  SimModel& foregroundModel() { return *foreground_; }
  SimModel& trainingModel() { return *trainingModel_; }
  UserInteraction& ui() { return ui_; }
  SettingsStore& settings() { return store_; }
  ProgressDialog& progressDialog() { return *progress_; }
  FrameArea& area() { return *area_; }

  QAction* action(MenuCommand command) const;
  QMenu* menu(int position) const;  // 0 Handicap, 1 Database, 2 Train, 3 Help
  QMenu* windowMenu() const { return windowMenu_; }
  // Re-evaluates which commands may be chosen (also done whenever a menu
  // opens).
  void updateCommandStates();
  bool menuEnabled() const { return menuEnabled_; }
  // The menus and the print item; with `frameToo` also the window.
  // Enabling brings the window to the front.
  void setMenuEnabled(bool enabled, bool frameToo = false);

  // Holds the menu and the frame disabled while a run keeps the
  // user-interface thread, and gives them back on every way out. Closing
  // the window meanwhile cancels the run (through the progress window) and
  // closes the window once the run is over. A run that should show its
  // opening errors with the menu still enabled begins later than it is
  // made.
  class LongRun {
   public:
    explicit LongRun(MainWindow& window, bool beginNow = true);
    ~LongRun();
    LongRun(const LongRun&) = delete;
    LongRun& operator=(const LongRun&) = delete;

    void begin();  // no effect once begun or ended
    void end();    // the menu and frame come back now
    bool active() const { return active_; }

   private:
    MainWindow& window_;
    bool active_ = false;
    bool ended_ = false;
  };

  // Clears the last run's windows, handicaps `choice` under the progress
  // window with the menu and window disabled, and opens a result window
  // per report written.
  void runHandicap(const HandicapChoice& choice);

  const std::vector<ResultWindow>& resultWindows() const { return results_; }
  const std::vector<HandicappedResult>& handicappedResults() const { return handicapped_; }
  // Index into resultWindows() of the active window, -1 when none.
  int activeResultIndex() const;
  // The menu-bar print item, null until the first run and after the last
  // result window closed; its position is 5, after the menus, while it
  // exists, else -1.
  QAction* printerItem() const { return printerItem_; }
  int printerItemPosition() const;
  void closeAllResultWindows();
  // The Window menu's commands. Closing all closes them one by one, as the
  // user would, so that the print item and the picture follow.
  void tileResultWindows();
  void cascadeResultWindows();
  void closeResultWindowsOneByOne();
  // The lines selected in a result window's list, in report order, joined
  // by line feeds; the whole report once all are selected.
  static QString selectedResultText(const QListWidget& list);

  // The manual beside the program, else the one in the source tree.
  static QString manualFile();
  // The program's own manual window; null until the manual was first shown.
  ManualViewer* manualViewer() const { return manual_; }

  // Shows the window where it was when it last closed, else centred over
  // most of the screen; maximised if it was left so.
  void showAtLastPlace();

 signals:
  void startUpFinished(bool ok);
  // Emitted first thing in the destructor, while both SIM models still
  // exist: the background training stops and joins its thread here.
  void destroying();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  enum { kStartUpDone = 7 };

  void buildMenus();
  QAction* addCommand(QMenu* menu, MenuCommand command, const QString& text);
  void runStartUpStep();
  void onCommand(MenuCommand command);
  void showAbout();
  void showManual();
  void openResultWindow(const QString& title, const QString& path, int index, int count);
  void placeResultWindows();
  CascadeMetrics cascadeMetrics() const;
  void onResultWindowClosed(QObject* closed);
  void addPrinterItem();
  void removePrinterItem();
  void onTimer();

  SettingsStore& store_;
  UserInteraction& ui_;
  FrameCommands commands_;
  Workspace workspace_;
  int startUpStep_ = 0;
  bool menuEnabled_ = true;
  bool busy_ = false;
  bool quitPending_ = false;
  bool closing_ = false;
  bool wasMinimised_ = false;
  bool tiled_ = false;  // the result windows were tiled, not cascaded
  TrainingMonitor* training_ = nullptr;
  uint64_t shownStatus_ = 0;
  std::unique_ptr<SimModel> foreground_;
  std::unique_ptr<SimModel> trainingModel_;
  FrameArea* area_ = nullptr;
  ProgressDialog* progress_ = nullptr;
  QTimer* timer_ = nullptr;
  std::vector<QMenu*> menus_;
  QMenu* windowMenu_ = nullptr;
  std::vector<std::pair<MenuCommand, QAction*>> actions_;
  QAction* printerItem_ = nullptr;
  QPointer<ManualViewer> manual_;
  std::vector<ResultWindow> results_;
  std::vector<HandicappedResult> handicapped_;
};

// Lines of a report file as a result window lists them, line ends removed,
// long lines whole. Empty when the file cannot be read.
QStringList resultFileLines(const QString& path);

}  // namespace stridewell::gui
