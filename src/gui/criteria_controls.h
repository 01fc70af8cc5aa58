// The criteria controls of a dialog: the distance, class, surface and
// condition drop-downs and the track code edit (three characters). With
// custom lists (the profit/loss dialog) the distance and class drop-downs end
// in "CUSTOM", and each has a check list that is visible only while its
// drop-down shows "CUSTOM". The prep dialog has no custom lists.
#pragma once

#include <QWidget>

#include "race/criteria_choices.h"

class QComboBox;
class QLineEdit;
class QListWidget;

namespace stridewell {
class UserInteraction;
}

namespace stridewell::gui {

inline constexpr const char* kCustomClassListEmpty = "Custom class list is empty (no checked items).";
inline constexpr const char* kCustomDistanceListEmpty = "Custom distance list is empty (no checked items).";

class CriteriaControls final : public QWidget {
  Q_OBJECT

 public:
  // `trackNote` stands beside the track code edit and says what a blank
  // code means ("(blank=all tracks)").
  CriteriaControls(bool withCustomLists, const QString& trackNote, QWidget* parent = nullptr);

  // The controls' state, and setting it (an index outside a list selects
  // the first item).
  CriteriaChoices choices() const;
  void setChoices(const CriteriaChoices& choices);
  // False, after the error of a custom list in use with nothing checked
  // and with the focus on that list, when there is one (class first).
  bool customListsChosen(UserInteraction& ui) const;
  // Every drop-down on "All", the track code empty, the check lists clear.
  void reset();

  QComboBox* distanceBox() const { return distance_; }
  QComboBox* classBox() const { return class_; }
  QComboBox* surfaceBox() const { return surface_; }
  QComboBox* conditionBox() const { return condition_; }
  QLineEdit* trackEdit() const { return track_; }
  // Null without custom lists.
  QListWidget* distanceList() const { return distanceList_; }
  QListWidget* classList() const { return classList_; }

 private:
  void updateListVisibility();

  bool withCustom_;
  QComboBox* distance_ = nullptr;
  QComboBox* class_ = nullptr;
  QComboBox* surface_ = nullptr;
  QComboBox* condition_ = nullptr;
  QLineEdit* track_ = nullptr;
  QListWidget* distanceList_ = nullptr;
  QListWidget* classList_ = nullptr;
};

}  // namespace stridewell::gui
