// The main window's result windows: the handicap run that opens one per
// report written, their cascade in the frame, and their closing.
#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>
#include <functional>

#include "base/settings_store.h"
#include "gui/clipboard_copy.h"
#include "gui/fixed_font.h"
#include "gui/frame_area.h"
#include "gui/frame_pictures.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "layout/frame_layout.h"

namespace stridewell::gui {

namespace {

// A result window that tells when it has been closed, so that its entry
// goes at once rather than when the window object is finally deleted.
class ResultFrame final : public QMdiSubWindow {
 public:
  explicit ResultFrame(std::function<void(QMdiSubWindow*)> onClosed) : onClosed_(std::move(onClosed)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && onClosed_) {
      auto onClosed = std::move(onClosed_);
      onClosed_ = nullptr;
      onClosed(this);
    }
  }

 private:
  std::function<void(QMdiSubWindow*)> onClosed_;
};

}  // namespace

QStringList resultFileLines(const QString& path) {
  QStringList lines;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return lines;
  while (!file.atEnd()) {
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    lines.append(QString::fromUtf8(line));
  }
  return lines;
}

void MainWindow::runHandicap(const HandicapChoice& choice) {
  closeAllResultWindows();
  handicapped_.clear();
  tiled_ = false;
  std::vector<std::pair<QString, QString>> reports;  // title, path
  {
    LongRun busy(*this);
    progress_->open(tr("Handicap Races"));
    const HandicapRun run =
        stridewell::runHandicap(choice.setup, *foreground_, choice.files, workspace_, ui_, *progress_);
    progress_->finish();
    if (run.simLoaded && !choice.remember.empty()) store_.write(choice.remember);
    for (const HandicappedFile& file : run.files) {
      if (file.outcome == HandicapOutcome::kCannotOpen || file.outcome == HandicapOutcome::kCannotCreate)
        continue;
      const QString path = QString::fromStdString(file.reportPath);
      const QFileInfo info(path);
      if (!info.isFile()) continue;
      reports.emplace_back(info.completeBaseName(), path);
      handicapped_.push_back({info.completeBaseName(), info.absolutePath(), info.fileName()});
    }
  }
  const int count = static_cast<int>(reports.size());
  for (int i = 0; i < count; ++i) openResultWindow(reports[i].first, reports[i].second, i, count);
  if (!results_.empty()) addPrinterItem();
  updateCommandStates();
}

void MainWindow::openResultWindow(const QString& title, const QString& path, int index, int count) {
  auto* list = new QListWidget;
  list->setFont(fixedPitchFont());
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setUniformItemSizes(true);
  list->addItems(resultFileLines(path));
  // Lines can be picked out (Shift, Ctrl, Ctrl+A) and copied, from the keys
  // or the list's context menu.
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* copy = new QAction(tr("&Copy"), list);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  copy->setEnabled(false);
  connect(copy, &QAction::triggered, list, [list] { copyTextToClipboard(selectedResultText(*list)); });
  connect(list, &QListWidget::itemSelectionChanged, copy,
          [list, copy] { copy->setEnabled(!list->selectedItems().isEmpty()); });
  auto* selectAll = new QAction(tr("Select &All"), list);
  selectAll->setShortcut(QKeySequence::SelectAll);
  selectAll->setShortcutContext(Qt::WidgetShortcut);
  connect(selectAll, &QAction::triggered, list, &QListWidget::selectAll);
  list->addAction(copy);
  list->addAction(selectAll);
  list->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* frame = new ResultFrame([this](QMdiSubWindow* closed) { onResultWindowClosed(closed); });
  frame->setWidget(list);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  area_->addSubWindow(frame);
  frame->setWindowTitle(title);
  frame->setWindowIcon(printerIcon());
  // A window deleted without being closed (shut-down) leaves the list too.
  connect(frame, &QObject::destroyed, this, &MainWindow::onResultWindowClosed);
  results_.push_back({title, path, frame, list, frame});

  const CascadeMetrics metrics = cascadeMetrics();
  const PixelRect r = cascadePosition(index, count, metrics);
  frame->setGeometry(r.left, r.top, r.width, r.height);
  frame->show();
  list->setFocus();
}

CascadeMetrics MainWindow::cascadeMetrics() const {
  const QSize client = area_->viewport()->size();
  return {client.width(),
          client.height(),
          style()->pixelMetric(QStyle::PM_ScrollBarExtent),
          style()->pixelMetric(QStyle::PM_TitleBarHeight),
          FrameArea::pictureSize().width(),
          FrameArea::pictureSize().height()};
}

QString MainWindow::selectedResultText(const QListWidget& list) {
  QStringList lines;
  for (int i = 0; i < list.count(); ++i) {
    const QListWidgetItem* item = list.item(i);
    if (item->isSelected()) lines << item->text();
  }
  return lines.join(QLatin1Char('\n'));
}

void MainWindow::tileResultWindows() {
  if (results_.empty()) return;
  tiled_ = true;
  // In report order, the first card at the top left.
  const QSize client = area_->viewport()->size();
  const int count = static_cast<int>(results_.size());
  for (int i = 0; i < count; ++i) {
    QMdiSubWindow* frame = results_[i].frame;
    if (!frame) continue;
    if (frame->isMinimized() || frame->isMaximized()) frame->showNormal();
    const PixelRect r = tilePosition(i, count, client.width(), client.height());
    frame->setGeometry(r.left, r.top, r.width, r.height);
  }
}

void MainWindow::cascadeResultWindows() {
  tiled_ = false;
  for (const ResultWindow& result : results_) {
    if (result.frame && (result.frame->isMinimized() || result.frame->isMaximized()))
      result.frame->showNormal();
  }
  placeResultWindows();
}

void MainWindow::closeResultWindowsOneByOne() {
  std::vector<QPointer<QMdiSubWindow>> frames;
  for (const ResultWindow& result : results_) frames.push_back(result.frame);
  for (const QPointer<QMdiSubWindow>& frame : frames) {
    if (frame) frame->close();
  }
}

void MainWindow::placeResultWindows() {
  const int count = static_cast<int>(results_.size());
  if (count == 0) return;
  const CascadeMetrics metrics = cascadeMetrics();
  for (int i = 0; i < count; ++i) {
    QMdiSubWindow* frame = results_[i].frame;
    if (!frame) continue;
    const PixelRect r = cascadePosition(i, count, metrics);
    frame->setGeometry(r.left, r.top, r.width, r.height);
    area_->setActiveSubWindow(frame);  // the last one ends on top
  }
}

int MainWindow::activeResultIndex() const {
  QMdiSubWindow* active = area_->activeSubWindow();
  if (!active) active = area_->currentSubWindow();
  for (size_t i = 0; i < results_.size(); ++i) {
    if (results_[i].frame == active) return static_cast<int>(i);
  }
  return -1;
}

void MainWindow::closeAllResultWindows() {
  std::vector<QPointer<QMdiSubWindow>> frames;
  for (const ResultWindow& result : results_) frames.push_back(result.frame);
  for (const QPointer<QMdiSubWindow>& frame : frames) {
    if (frame) delete frame.data();
  }
  results_.clear();
}

void MainWindow::onResultWindowClosed(QObject* closed) {
  // The entry of the closed window, and any whose window is already gone.
  // Matching by window rather than by title keeps two reports of the same
  // name apart.
  std::erase_if(results_, [closed](const ResultWindow& result) {
    return result.frame.isNull() || result.identity == closed;
  });
  if (results_.empty() && !closing_) {
    removePrinterItem();
    updateCommandStates();
    area_->viewport()->update();  // the picture comes back
  }
}

}  // namespace stridewell::gui
