#include "gui/card_folder_browser.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

#include "base/workspace.h"
#include "gui/dialog_keys.h"
#include "gui/qt_interaction.h"
#include "layout/folder_browsing.h"

namespace stridewell::gui {

CardFolderBrowser::CardFolderBrowser(QWidget* parent) : QWidget(parent) {
  grid_ = new QGridLayout(this);
  grid_->setContentsMargins(0, 0, 0, 0);
  auto* driveLabel = new QLabel(tr("Drive:"), this);
  drives_ = new QComboBox(this);
  drives_->setObjectName("drives");
  driveLabel->setBuddy(drives_);
  grid_->addWidget(driveLabel, 0, 0);
  grid_->addWidget(drives_, 0, 1);

  grid_->addWidget(new QLabel(tr("Path"), this), 1, 0);
  path_ = new QLineEdit(this);
  path_->setObjectName("path");
  path_->setToolTip(tr("Type or paste a folder, or a card file to pick it (Ctrl+L)"));
  path_->installEventFilter(this);
  grid_->addWidget(path_, 1, 1, 1, 2);
  problem_ = new QLabel(this);
  problem_->setObjectName("pathProblem");
  problem_->setWordWrap(true);
  problem_->setTextFormat(Qt::PlainText);
  problem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  problem_->hide();
  grid_->addWidget(problem_, 2, 0, 1, 3);

  grid_->addWidget(new QLabel(tr("Folders:"), this), 3, 0, 1, 2);
  upOneLevel_ = new QPushButton(tr("&Up One Level"), this);
  upOneLevel_->setObjectName("upOneLevel");
  upOneLevel_->setAutoDefault(false);
  grid_->addWidget(upOneLevel_, 3, 2);
  folders_ = new QListWidget(this);
  folders_->setObjectName("folders");
  folders_->installEventFilter(this);
  folders_->setProperty(kHandlesEnter, true);
  grid_->addWidget(folders_, 4, 0, 1, 3);
  grid_->setColumnStretch(1, 1);

  places_ = startingPlaces();
  std::sort(places_.begin(), places_.end());
  for (const std::string& place : places_) drives_->addItem(toQString(place));

  connect(drives_, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && static_cast<size_t>(index) < places_.size()) goTo(places_[static_cast<size_t>(index)]);
  });
  connect(upOneLevel_, &QPushButton::clicked, this, [this] {
    const std::string parent = parentFolder(folder_);
    if (!parent.empty()) goTo(parent);
  });
  // A double click opens a subfolder; so does Enter (see eventFilter).
  connect(folders_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { openSubfolder(folders_->row(item)); });
  auto* toPath = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
  connect(toPath, &QShortcut::activated, this, [this] {
    path_->setFocus(Qt::ShortcutFocusReason);
    path_->selectAll();
  });
}

bool CardFolderBrowser::eventFilter(QObject* watched, QEvent* event) {
  // Enter belongs to the path box and the folder list: it must never reach
  // the dialog, whose default button would start a run. In the list it
  // opens the selected subfolder, and with none selected does nothing.
  // Leaving the box for another control takes what was typed there, as
  // Enter does; the window losing the focus or closing does not (Cancel
  // must not show, nor remember, a folder typed but never taken).
  if (watched == path_ && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const bool toAnotherControl = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                                  reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    if (toAnotherControl && path_->text() != toQString(folder_)) openPath(path_->text());
    return false;
  }
  if ((watched == path_ || watched == folders_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == path_) {
        openPath(path_->text());
      } else if (QListWidgetItem* item = folders_->currentItem(); item != nullptr && item->isSelected()) {
        openSubfolder(folders_->row(item));
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CardFolderBrowser::showFolder(const std::string& folder) {
  const std::string shown = nearestExistingFolder(folder);
  CardFolderList listing = listCardFolder(shown);
  const std::string problem = listing.problem;
  showListing(shown, std::move(listing));
  if (!problem.empty()) sayProblem(problem);
}

bool CardFolderBrowser::openPath(const QString& text) {
  const TypedPath typed = resolveTypedPath(text.toStdString(), folder_, homeFolder());
  if (!typed.problem.empty()) {
    sayProblem(typed.problem);
    return false;
  }
  if (typed.folder.empty()) {  // nothing typed: show the folder again
    path_->setText(toQString(folder_));
    return false;
  }
  if (!goTo(typed.folder)) return false;
  if (!typed.fileName.empty()) emit fileNamed(toQString(typed.fileName));
  return true;
}

bool CardFolderBrowser::goTo(const std::string& folder) {
  CardFolderList listing = listCardFolder(folder);
  if (!listing.problem.empty()) {
    sayProblem(listing.problem);
    return false;
  }
  showListing(folder, std::move(listing));
  return true;
}

void CardFolderBrowser::showListing(const std::string& folder, CardFolderList listing) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  folder_ = folder;
  listing_ = std::move(listing);
  path_->setText(toQString(folder_));
  path_->setToolTip(path_->text());
  sayProblem({});
  upOneLevel_->setEnabled(!parentFolder(folder_).empty());
  folders_->clear();
  for (const std::string& name : listing_.subfolders) folders_->addItem(toQString(name));
  drives_->setCurrentIndex(placeHolding(places_, folder_));
  emit folderShown();
  QGuiApplication::restoreOverrideCursor();
}

void CardFolderBrowser::openSubfolder(int row) {
  // The row stands for the name as listed, whatever the display made of
  // its bytes.
  if (row < 0 || static_cast<size_t>(row) >= listing_.subfolders.size()) return;
  goTo(joinPath(folder_, listing_.subfolders[static_cast<size_t>(row)]));
}

void CardFolderBrowser::sayProblem(const std::string& text) {
  problem_->setText(toQString(text));
  problem_->setVisible(!text.empty());
}

QString CardFolderBrowser::problem() const {
  return problem_->text();
}

void CardFolderBrowser::usePlaces(std::vector<std::string> places) {
  if (places.empty()) return;
  std::sort(places.begin(), places.end());
  places_ = std::move(places);
  drives_->clear();
  for (const std::string& place : places_) drives_->addItem(toQString(place));
  drives_->setCurrentIndex(placeHolding(places_, folder_));
}

std::string CardFolderBrowser::currentPlace() const {
  const int index = drives_->currentIndex();
  return index >= 0 && static_cast<size_t>(index) < places_.size() ? places_[static_cast<size_t>(index)]
                                                                   : std::string("/");
}

void CardFolderBrowser::addBesideDrives(QWidget* widget) {
  grid_->addWidget(widget, 0, 2);
}

}  // namespace stridewell::gui
