#include "gui/criteria_controls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "base/interaction.h"

namespace stridewell::gui {
namespace {

bool anyChecked(std::span<const bool> checks) {
  return std::any_of(checks.begin(), checks.end(), [](bool checked) { return checked; });
}

QString qs(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QComboBox* dropDown(std::span<const std::string_view> items, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::string_view item : items) box->addItem(qs(item));
  return box;
}

void setIndex(QComboBox* box, int index) {
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

QListWidget* checkList(QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  return list;
}

// Wide enough for the longest label, so that no label needs scrolling.
void fitWidth(QListWidget* list) {
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                        list->verticalScrollBar()->sizeHint().width() + 4);
}

void addCheckItem(QListWidget* list, std::string_view label) {
  auto* item = new QListWidgetItem(qs(label), list);
  item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  item->setCheckState(Qt::Unchecked);
}

bool isChecked(const QListWidget* list, int row) {
  return list && row < list->count() && list->item(row)->checkState() == Qt::Checked;
}

void setChecked(QListWidget* list, int row, bool checked) {
  if (list && row < list->count()) list->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace

CriteriaControls::CriteriaControls(bool withCustomLists, const QString& trackNote, QWidget* parent)
    : QWidget(parent), withCustom_(withCustomLists) {
  distance_ = dropDown(distanceItems(withCustom_), this);
  class_ = dropDown(classItems(withCustom_), this);
  surface_ = dropDown(kSurfaceItems, this);
  condition_ = dropDown(kConditionItems, this);
  distance_->setObjectName(QStringLiteral("distanceBox"));
  class_->setObjectName(QStringLiteral("classBox"));
  surface_->setObjectName(QStringLiteral("surfaceBox"));
  condition_->setObjectName(QStringLiteral("conditionBox"));
  track_ = new QLineEdit(this);
  track_->setObjectName(QStringLiteral("trackEdit"));
  track_->setMaxLength(3);
  track_->setMaximumWidth(track_->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 12);

  auto* form = new QFormLayout;
  form->addRow(tr("Distance:"), distance_);
  form->addRow(tr("Class:"), class_);
  form->addRow(tr("Surface:"), surface_);
  form->addRow(tr("Condition:"), condition_);
  auto* trackRow = new QHBoxLayout;
  trackRow->addWidget(track_);
  trackRow->addWidget(new QLabel(trackNote, this));
  trackRow->addStretch();
  form->addRow(tr("Track Code:"), trackRow);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  if (withCustom_) {
    distanceList_ = checkList(this);
    distanceList_->setObjectName(QStringLiteral("distanceList"));
    for (const CriteriaDistance& entry : kCriteriaDistances) addCheckItem(distanceList_, entry.listLabel);
    classList_ = checkList(this);
    classList_->setObjectName(QStringLiteral("classList"));
    for (const CriteriaClass& entry : kCriteriaClasses) addCheckItem(classList_, entry.label);
    fitWidth(distanceList_);
    fitWidth(classList_);
    layout->addWidget(distanceList_);
    layout->addWidget(classList_);
    connect(distance_, &QComboBox::currentIndexChanged, this, &CriteriaControls::updateListVisibility);
    connect(class_, &QComboBox::currentIndexChanged, this, &CriteriaControls::updateListVisibility);
  }
  updateListVisibility();
}

CriteriaChoices CriteriaControls::choices() const {
  CriteriaChoices choices;
  choices.distance = distance_->currentIndex();
  choices.raceClass = class_->currentIndex();
  choices.surface = surface_->currentIndex();
  choices.condition = condition_->currentIndex();
  choices.trackText = criteriaTrackText(track_->text().toStdString());
  for (int i = 0; i < kCriteriaDistanceCount; ++i) choices.distanceChecks[i] = isChecked(distanceList_, i);
  for (int i = 0; i < kCriteriaClassCount; ++i) choices.classChecks[i] = isChecked(classList_, i);
  return choices;
}

void CriteriaControls::setChoices(const CriteriaChoices& choices) {
  setIndex(distance_, choices.distance);
  setIndex(class_, choices.raceClass);
  setIndex(surface_, choices.surface);
  setIndex(condition_, choices.condition);
  track_->setText(QString::fromStdString(criteriaTrackText(choices.trackText)));
  for (int i = 0; i < kCriteriaDistanceCount; ++i) setChecked(distanceList_, i, choices.distanceChecks[i]);
  for (int i = 0; i < kCriteriaClassCount; ++i) setChecked(classList_, i, choices.classChecks[i]);
  updateListVisibility();
}

void CriteriaControls::reset() {
  setChoices(CriteriaChoices{});
}

void CriteriaControls::updateListVisibility() {
  if (!withCustom_) return;
  distanceList_->setVisible(distance_->currentIndex() == kDistanceCustomItem);
  classList_->setVisible(class_->currentIndex() == kClassCustomItem);
}

bool CriteriaControls::customListsChosen(UserInteraction& ui) const {
  const CriteriaChoices picked = choices();
  if (picked.raceClass == kClassCustomItem && !anyChecked(picked.classChecks)) {
    ui.error(kCustomClassListEmpty);
    classList_->setFocus();
    return false;
  }
  if (picked.distance == kDistanceCustomItem && !anyChecked(picked.distanceChecks)) {
    ui.error(kCustomDistanceListEmpty);
    distanceList_->setFocus();
    return false;
  }
  return true;
}

}  // namespace stridewell::gui
