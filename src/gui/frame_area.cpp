#include "gui/frame_area.h"

#include <QPainter>
#include <QResizeEvent>

#include "layout/frame_layout.h"

namespace stridewell::gui {

FrameArea::FrameArea(QWidget* parent) : QMdiArea(parent) {
  drawPicturesForRatio();
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QRect FrameArea::pictureRect() const {
  if (!subWindowList().isEmpty()) return {};
  const QSize client = viewport()->size();
  const PixelRect r = backgroundPictureRect(kHorsePictureSize.width(), kHorsePictureSize.height(),
                                            client.width(), client.height());
  return QRect(r.left, r.top, r.width, r.height);
}

void FrameArea::drawPicturesForRatio() {
  const qreal ratio = viewport()->devicePixelRatioF();
  if (!picture_.isNull() && qFuzzyCompare(picture_.devicePixelRatio(), ratio)) return;
  picture_ = horsePicture(ratio);
  setBackground(QBrush(backgroundPattern(ratio)));
}

void FrameArea::paintEvent(QPaintEvent* event) {
  // The window may have moved to a screen of another ratio.
  drawPicturesForRatio();
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
