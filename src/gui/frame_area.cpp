#include "gui/frame_area.h"

#include <QPainter>
#include <QResizeEvent>

#include "gui/frame_pictures.h"
#include "layout/frame_layout.h"

namespace stridewell::gui {

FrameArea::FrameArea(QWidget* parent) : QMdiArea(parent), picture_(horsePicture()) {
  setBackground(QBrush(backgroundPattern()));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QRect FrameArea::pictureRect() const {
  if (!subWindowList().isEmpty()) return {};
  const QSize client = viewport()->size();
  const PixelRect r =
      backgroundPictureRect(picture_.width(), picture_.height(), client.width(), client.height());
  return QRect(r.left, r.top, r.width, r.height);
}

void FrameArea::paintEvent(QPaintEvent* event) {
  QMdiArea::paintEvent(event);  // the tiled pattern
  const QRect target = pictureRect();
  if (target.isEmpty()) return;
  QPainter painter(viewport());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(target, picture_);
}

void FrameArea::resizeEvent(QResizeEvent* event) {
  QMdiArea::resizeEvent(event);
  emit resized();
}

}  // namespace stridewell::gui
