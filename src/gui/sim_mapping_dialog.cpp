#include "gui/sim_mapping_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "base/setting_keys.h"
#include "base/settings_store.h"

namespace stridewell::gui {
namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <size_t N>
QComboBox* filterBox(const std::array<std::string_view, N>& items, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::string_view item : items) box->addItem(qs(item));
  return box;
}

// A stored index outside its list shows as no selection; the stored value
// then stays as it was, since the user picked nothing in its place.
int shownIndex(const QComboBox* box, int stored) {
  return box->currentIndex() < 0 ? stored : box->currentIndex();
}

}  // namespace

SimMappingDialog::SimMappingDialog(SettingsStore& store, const Workspace& workspace, QWidget* parent)
    : QDialog(parent), store_(store) {
  setWindowTitle(tr("SIM Mapping"));
  simList_ = fillSimList(workspace.sim, true);
  for (int map = 0; map < kSimMapCount; ++map) maps_[static_cast<size_t>(map)] = loadSimMap(store_, map);
  current_ = simMapNumber(store_.read(setting::kSimMapName, setting::kSimMapNameDefault));

  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("mapTabs");
  for (std::string_view name : kSimMapNames) tabs_->addTab(qs(name));
  layout->addWidget(tabs_);

  auto* commentRow = new QHBoxLayout;
  commentRow->addWidget(new QLabel(tr("Comments:"), this));
  comment_ = new QLineEdit(this);
  comment_->setObjectName("comment");
  commentRow->addWidget(comment_, 1);
  auto* reset = new QPushButton(tr("&Reset Map"), this);
  reset->setObjectName("resetMap");
  reset->setAutoDefault(false);
  commentRow->addWidget(reset);
  layout->addLayout(commentRow);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("IF a race meets this criteria"), this), 0, 0, 1, 6, Qt::AlignHCenter);
  grid->addWidget(new QLabel(tr("THEN use this SIM model"), this), 0, 6);
  const char* headings[] = {"", "Track", "Distance", "Surface", "Condition", "Class", "SIM Model"};
  for (int column = 1; column < 7; ++column)
    grid->addWidget(new QLabel(tr(headings[column]), this), 1, column);
  buildRows(grid, 2);
  layout->addLayout(grid);

  layout->addWidget(new QLabel(
      tr("Race criteria are checked in order (1-10) and the first criteria match is used."), this));
  layout->addWidget(new QLabel(
      tr("If a race satisfies NONE of the 10 criteria, it is skipped (i.e., not handicapped)."), this));

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole)->setObjectName("ok");
  buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(reset, &QPushButton::clicked, this, [this] { resetShownMap(); });

  tabs_->setCurrentIndex(current_);
  showMap(current_);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { switchToMap(index); });
  tabs_->setFocus();
}

void SimMappingDialog::buildRows(QGridLayout* grid, int firstRow) {
  QStringList sims;
  for (const std::string& item : simList_.items) sims << qs(item);
  for (int r = 0; r < kSimMapRuleCount; ++r) {
    Row& row = rows_[static_cast<size_t>(r)];
    const QString prefix = QString("rule%1").arg(r + 1);
    row.on = new QCheckBox(QString::number(r + 1), this);
    row.track = new QLineEdit(this);
    row.track->setMaxLength(3);
    row.track->setFixedWidth(row.track->fontMetrics().horizontalAdvance("WWWW") + 12);
    row.distance = filterBox(kSimMapDistanceItems, this);
    row.surface = filterBox(kSimMapSurfaceItems, this);
    row.condition = filterBox(kSimMapConditionItems, this);
    row.raceClass = filterBox(kSimMapClassItems, this);
    row.sim = new QComboBox(this);
    row.sim->addItems(sims);
    row.on->setObjectName(prefix + "On");
    row.track->setObjectName(prefix + "Track");
    row.distance->setObjectName(prefix + "Distance");
    row.surface->setObjectName(prefix + "Surface");
    row.condition->setObjectName(prefix + "Condition");
    row.raceClass->setObjectName(prefix + "Class");
    row.sim->setObjectName(prefix + "Sim");
    QWidget* cells[] = {row.on, row.track, row.distance, row.surface, row.condition, row.raceClass, row.sim};
    for (int column = 0; column < 7; ++column) grid->addWidget(cells[column], firstRow + r, column);

    connect(row.on, &QCheckBox::clicked, this, [this, r](bool checked) {
      maps_[static_cast<size_t>(current_)].rules[static_cast<size_t>(r)].enabled = checked;
      showRowState(rows_[static_cast<size_t>(r)]);
    });
    // A SIM the user picks replaces a missing one, even when it is the
    // first item that was shown in its place.
    connect(row.sim, &QComboBox::activated, this,
            [this, r] { rows_[static_cast<size_t>(r)].missingSim.clear(); });
  }
}

void SimMappingDialog::showRowState(Row& row) {
  const bool shown = row.on->isChecked();
  for (QWidget* widget : {static_cast<QWidget*>(row.track), static_cast<QWidget*>(row.distance),
                          static_cast<QWidget*>(row.surface), static_cast<QWidget*>(row.condition),
                          static_cast<QWidget*>(row.raceClass), static_cast<QWidget*>(row.sim)}) {
    widget->setVisible(shown);
  }
}

void SimMappingDialog::showMap(int mapNumber) {
  const SimMap& map = maps_[static_cast<size_t>(mapNumber)];
  comment_->setText(QString::fromStdString(map.comment));
  for (size_t r = 0; r < rows_.size(); ++r) {
    Row& row = rows_[r];
    const SimMapRule& rule = map.rules[r];
    row.on->setChecked(rule.enabled);
    row.track->setText(QString::fromStdString(rule.track));
    row.distance->setCurrentIndex(rule.distance);
    row.surface->setCurrentIndex(rule.surface);
    row.condition->setCurrentIndex(rule.condition);
    row.raceClass->setCurrentIndex(rule.raceClass);
    const int found = selectSimByName(simList_.items, rule.sim, -1);
    row.sim->setCurrentIndex(found < 0 ? 0 : found);
    row.missingSim = found < 0 ? rule.sim : std::string();
    showRowState(row);
  }
}

void SimMappingDialog::storeShownMap() {
  SimMap& map = maps_[static_cast<size_t>(current_)];
  map.comment = comment_->text().toStdString();
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Row& row = rows_[r];
    SimMapRule& rule = map.rules[r];
    rule.enabled = row.on->isChecked();
    rule.track = row.track->text().toStdString();
    rule.distance = shownIndex(row.distance, rule.distance);
    rule.surface = shownIndex(row.surface, rule.surface);
    rule.condition = shownIndex(row.condition, rule.condition);
    rule.raceClass = shownIndex(row.raceClass, rule.raceClass);
    rule.sim = row.missingSim.empty() ? row.sim->currentText().toStdString() : row.missingSim;
  }
}

void SimMappingDialog::switchToMap(int mapNumber) {
  if (mapNumber < 0 || mapNumber >= kSimMapCount || mapNumber == current_) return;
  storeShownMap();
  current_ = mapNumber;
  showMap(current_);
}

void SimMappingDialog::resetShownMap() {
  maps_[static_cast<size_t>(current_)] = defaultSimMap();
  showMap(current_);
}

void SimMappingDialog::accept() {
  storeShownMap();
  // The store tells the user itself when its file cannot be written; the
  // maps are then still in force for this run.
  for (int map = 0; map < kSimMapCount; ++map) saveSimMap(store_, map, maps_[static_cast<size_t>(map)]);
  QDialog::accept();
}

}  // namespace stridewell::gui
