#include "gui/frame_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "base/program_name.h"
#include "gui/qt_interaction.h"

namespace stridewell::gui {

namespace {

// A pixmap of `logical` size for `ratio`: a painter on it draws in logical
// coordinates and Qt scales to the device pixels.
QPixmap canvas(QSize logical, qreal ratio) {
  if (!(ratio > 0)) ratio = 1.0;
  QPixmap pixmap(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio));
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

}  // namespace

QPixmap horsePicture(qreal ratio) {
  QPixmap picture = canvas(kHorsePictureSize, ratio);
  picture.fill(QColor(236, 228, 210));
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  // Turf and rail.
  p.fillRect(0, 200, 360, 60, QColor(86, 140, 70));
  p.setPen(QPen(Qt::white, 4));
  p.drawLine(0, 190, 360, 190);
  for (int x = 10; x < 360; x += 50) p.drawLine(x, 190, x, 215);

  // A galloping horse: body, neck and head, four legs, tail.
  const QColor coat(120, 72, 40);
  p.setPen(QPen(coat.darker(150), 2));
  p.setBrush(coat);
  p.drawEllipse(QRectF(110, 95, 150, 62));
  QPainterPath neck;
  neck.moveTo(235, 110);
  neck.lineTo(275, 55);
  neck.lineTo(298, 64);
  neck.lineTo(262, 130);
  neck.closeSubpath();
  p.drawPath(neck);
  QPainterPath head;
  head.moveTo(270, 50);
  head.lineTo(322, 72);
  head.lineTo(316, 88);
  head.lineTo(284, 80);
  head.closeSubpath();
  p.drawPath(head);
  p.setPen(QPen(coat, 9, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(135, 145), QPointF(95, 185));   // hind leg stretched back
  p.drawLine(QPointF(160, 150), QPointF(170, 195));  // hind leg under
  p.drawLine(QPointF(230, 148), QPointF(275, 170));  // foreleg reaching
  p.drawLine(QPointF(245, 140), QPointF(230, 190));  // foreleg under
  p.setPen(QPen(QColor(60, 35, 20), 7, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(112, 112), QPointF(70, 140));  // tail
  p.drawLine(QPointF(272, 58), QPointF(250, 92));   // mane
  // Jockey silks.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 30, 40));
  p.drawEllipse(QRectF(185, 62, 34, 40));
  p.setBrush(QColor(250, 210, 40));
  p.drawEllipse(QRectF(200, 44, 20, 20));

  p.setPen(QColor(60, 40, 30));
  QFont title = p.font();
  title.setPointSize(22);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(0, 6, 360, 36), Qt::AlignCenter, toQString(kProgramName));
  return picture;
}

QPixmap backgroundPattern(qreal ratio) {
  QPixmap tile = canvas(kBackgroundTileSize, ratio);
  tile.fill(QColor(48, 86, 60));
  QPainter p(&tile);
  // The two diagonals through the pixel centres, as bands one pixel high,
  // smoothed: a finer screen gets finer lines rather than steps of doubled
  // pixels. The copies in the eight tiles around spill into this one, so
  // that the tiles join without a seam.
  QPainterPath lines;
  lines.setFillRule(Qt::WindingFill);
  const QPolygonF down({{-1, -1.5}, {17, 16.5}, {17, 17.5}, {-1, -0.5}});  // |x - y| <= 0.5
  const QPolygonF up({{-1, 16.5}, {17, -1.5}, {17, -0.5}, {-1, 17.5}});    // |x + y - 16| <= 0.5
  for (int dx = -16; dx <= 16; dx += 16) {
    for (int dy = -16; dy <= 16; dy += 16) {
      lines.addPolygon(down.translated(dx, dy));
      lines.addPolygon(up.translated(dx, dy));
    }
  }
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(lines, QColor(58, 100, 70));
  return tile;
}

QPixmap printerPicture(qreal ratio) {
  QPixmap picture = canvas(kPrinterPictureSize, ratio);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(6, 2, 12, 8);  // paper in
  p.setBrush(QColor(150, 150, 150));
  p.drawRoundedRect(2, 9, 20, 9, 2, 2);  // body
  p.setBrush(Qt::white);
  p.drawRect(6, 15, 12, 7);  // paper out
  p.drawLine(8, 18, 16, 18);
  p.setBrush(QColor(40, 180, 60));
  p.drawEllipse(18, 11, 2, 2);
  return picture;
}

QIcon printerIcon() {
  QIcon icon;
  icon.addPixmap(printerPicture(1.0));
  icon.addPixmap(printerPicture(2.0));
  return icon;
}

QPixmap smallHorsePicture(int width, qreal ratio) {
  // Drawn at the full size for the ratio and scaled down: a reduction stays
  // sharp where an enlargement would not.
  QPixmap small = horsePicture(ratio).scaledToWidth(qCeil(width * ratio), Qt::SmoothTransformation);
  small.setDevicePixelRatio(ratio);
  return small;
}

}  // namespace stridewell::gui
