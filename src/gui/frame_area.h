// The client area of the main window: the result windows of the last
// handicap run, and behind them a tiled pattern with the horse picture
// centred on it, scaled down with its proportions kept when the area is
// smaller than the picture. The picture shows only while no result window
// is open. Both are drawn for the screen's device pixel ratio, again when
// the window moves to a screen of another ratio.
#pragma once

#include <QMdiArea>
#include <QPixmap>

#include "gui/frame_pictures.h"

namespace stridewell::gui {

class FrameArea final : public QMdiArea {
  Q_OBJECT

 public:
  explicit FrameArea(QWidget* parent = nullptr);

  const QPixmap& picture() const { return picture_; }
  // The picture's size in logical pixels, whatever the ratio it is drawn for.
  static QSize pictureSize() { return kHorsePictureSize; }
  // Where the picture is drawn now; empty while result windows are open.
  QRect pictureRect() const;

 signals:
  void resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Draws the picture and the tile for the viewport's ratio, if not yet.
  void drawPicturesForRatio();

  QPixmap picture_;
};

}  // namespace stridewell::gui
