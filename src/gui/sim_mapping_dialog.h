// The "SIM Mapping" dialog: the five SI Maps on five tabs, each with its
// comment and ten rule rows. It edits an in-memory copy of all five maps;
// OK writes all five to the settings store, Cancel writes nothing.
// User-interface thread only.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "model/sim_list.h"
#include "model/sim_map.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QTabBar;

namespace stridewell {
class SettingsStore;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

// Which map a run uses is chosen in the handicap dialog, not here.
class SimMappingDialog : public QDialog {
  Q_OBJECT

 public:
  // Loads the five maps and opens on the one named by SIMAP_NAME.
  SimMappingDialog(SettingsStore& store, const Workspace& workspace, QWidget* parent = nullptr);

  // The map shown (0-4) and the dialog's copy of the maps, as last stored
  // from the rows (the shown map's rows are stored on a tab change and on OK).
  int currentMap() const { return current_; }
  const std::array<SimMap, kSimMapCount>& maps() const { return maps_; }

  // Stores the shown rows, writes all five maps and closes.
  void accept() override;

 private:
  struct Row {
    QCheckBox* on = nullptr;
    QLineEdit* track = nullptr;
    QComboBox* distance = nullptr;
    QComboBox* surface = nullptr;
    QComboBox* condition = nullptr;
    QComboBox* raceClass = nullptr;
    QComboBox* sim = nullptr;
    // The rule names a SIM that is not in the list: the drop-down shows the
    // first item, and the stored name is kept unless the user picks a SIM.
    std::string missingSim;
  };

  void buildRows(QGridLayout* grid, int firstRow);
  void showMap(int mapNumber);
  void storeShownMap();
  void showRowState(Row& row);
  void resetShownMap();
  void switchToMap(int mapNumber);

  SettingsStore& store_;
  SimList simList_;
  std::array<SimMap, kSimMapCount> maps_;
  std::array<Row, kSimMapRuleCount> rows_;
  int current_ = 0;
  QTabBar* tabs_ = nullptr;
  QLineEdit* comment_ = nullptr;
};

}  // namespace stridewell::gui
