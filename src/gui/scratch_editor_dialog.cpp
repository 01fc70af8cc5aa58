#include "gui/scratch_editor_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/interaction.h"
#include "base/workspace.h"
#include "gui/dialog_keys.h"
#include "gui/fixed_font.h"

namespace stridewell::gui {
namespace {

// Passes the editor's messages on with the normal cursor back in place, so
// that a message box met during the save is not shown under a wait cursor.
class CursorRestoringInteraction final : public UserInteraction {
 public:
  explicit CursorRestoringInteraction(UserInteraction& ui) : ui_(ui) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~CursorRestoringInteraction() override { restore(); }
  void error(std::string_view text) override {
    restore();
    ui_.error(text);
  }
  void warning(std::string_view text) override {
    restore();
    ui_.warning(text);
  }
  bool query(std::string_view text) override {
    restore();
    return ui_.query(text);
  }
  void notice(std::string_view caption, std::string_view text) override {
    restore();
    ui_.notice(caption, text);
  }

 private:
  void restore() {
    if (waiting_) QApplication::restoreOverrideCursor();
    waiting_ = false;
  }
  UserInteraction& ui_;
  bool waiting_ = true;
};

}  // namespace

QString shownCardName(const ScratchCard& card) {
  if (card.archivePath.empty()) return QString::fromStdString(card.cardPath);
  // The unpacked copy is named as the archive holds the card; its folder
  // (UNZIP) and the card path beside the archive name no file to look for.
  return QFileInfo(QString::fromStdString(card.archivePath)).fileName() + QStringLiteral(" > ") +
         QFileInfo(QString::fromStdString(card.sourcePath)).fileName();
}

ScratchEditorDialog::ScratchEditorDialog(const std::string& cardPath, const Workspace& workspace,
                                         UserInteraction& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui) {
  setWindowTitle(tr("Scratch Editor"));
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(tr("File Name"), this);
  name->setObjectName("fileName");
  layout->addWidget(name);
  list_ = new QListWidget(this);
  list_->setObjectName("horses");
  list_->setFont(fixedPitchFont());
  list_->setMinimumSize(420, 360);
  auto* meaning =
      new QLabel(tr("A ticked horse is scratched: it does not run. Untick it to put it back in."), this);
  meaning->setObjectName("tickMeaning");
  meaning->setWordWrap(true);
  layout->addWidget(meaning);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setObjectName("ok");
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  name->setText(QString::fromStdString(cardPath));
  loaded_ = loadScratchCard(cardPath, workspace_, ui_, card_);
  if (!loaded_) return;
  name->setText(shownCardName(card_));
  if (!card_.archivePath.empty()) name->setToolTip(QString::fromStdString(card_.archivePath));
  for (const ScratchItem& horse : card_.items) {
    auto* item = new QListWidgetItem(QString::fromStdString(horse.text), list_);
    item->setCheckState(horse.scratched ? Qt::Checked : Qt::Unchecked);
    // A locked horse keeps its mark: shown, but neither enabled nor checkable.
    if (horse.locked) item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable));
  }
  keepEnterInLists(*this);
  list_->setFocus();
}

void ScratchEditorDialog::accept() {
  if (!loaded_) {
    QDialog::reject();
    return;
  }
  for (int i = 0; i < list_->count(); ++i) {
    setScratched(card_, static_cast<size_t>(i), list_->item(i)->checkState() == Qt::Checked);
  }
  bool saved = false;
  {
    CursorRestoringInteraction waiting(ui_);
    saved = saveScratchCard(card_, workspace_, waiting);
  }
  if (saved) QDialog::accept();
}

bool editScratches(const std::string& cardPath, const Workspace& workspace, UserInteraction& ui,
                   QWidget* parent) {
  ScratchEditorDialog dialog(cardPath, workspace, ui, parent);
  if (!dialog.loaded()) return false;
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace stridewell::gui
