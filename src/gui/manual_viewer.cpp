#include "gui/manual_viewer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "base/program_name.h"
#include "gui/qt_interaction.h"

namespace stridewell::gui {

ManualViewer::ManualViewer(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("manualViewer"));
  setWindowTitle(tr("%1 - User Manual").arg(toQString(kProgramName)));
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  // Wide enough for the manual's tables, tall enough to read on.
  const QScreen* shown = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  const QRect area = shown != nullptr ? shown->availableGeometry() : QRect(0, 0, 1024, 768);
  resize(std::min(area.width() * 3 / 5, 900), area.height() * 4 / 5);
}

bool ManualViewer::open(const QString& file) {
  const QFileInfo info(file);
  if (!info.isFile() || !info.isReadable()) return false;
  browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
  if (browser_->document()->isEmpty()) return false;
  browser_->scrollToAnchor(QString());
  return true;
}

}  // namespace stridewell::gui
