#include "gui/report_viewer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "gui/dialog_keys.h"
#include "gui/fixed_font.h"
#include "layout/print_pages.h"

namespace stridewell::gui {

ReportViewer::ReportViewer(const std::string& path, const std::string& title, ReportLayout layout,
                           QWidget* parent)
    : QDialog(parent),
      list_(new QListWidget(this)),
      print_(new QPushButton(QStringLiteral("&Print"), this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this)) {
  setWindowTitle(QString::fromStdString(title));

  // 422 x 263 dialog units: a unit is a quarter of the average character
  // width across and an eighth of the character height down.
  const QFontMetrics dialogMetrics(font());
  resize(422 * dialogMetrics.averageCharWidth() / 4, 263 * dialogMetrics.height() / 8);

  const QFont fixed = fixedPitchFont();
  list_->setFont(fixed);
  list_->setTextElideMode(Qt::ElideNone);
  list_->setUniformItemSizes(true);
  list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  const QFontMetrics metrics(fixed);
  const int w = metrics.horizontalAdvance(QLatin1Char('M'));
  // Every item is 80 and a half columns wide, so the wide layout scrolls
  // just far enough to bring a full 80-column line into view.
  const QSize itemSize(80 * w + w / 2, metrics.height());
  list_->setHorizontalScrollBarPolicy(layout == ReportLayout::Wide ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);

  std::vector<std::string> lines;
  readLinePieces(path, lines);
  for (const std::string& line : lines) {
    auto* item = new QListWidgetItem(QString::fromLatin1(line.data(), qsizetype(line.size())), list_);
    item->setSizeHint(itemSize);
  }

  print_->setDefault(true);
  connect(print_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(print_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layoutBox = new QVBoxLayout(this);
  layoutBox->addWidget(list_);
  layoutBox->addLayout(buttons);
  keepEnterInLists(*this);
  list_->setFocus();
}

bool showReport(const std::string& path, const std::string& title, ReportLayout layout, QWidget* parent) {
  ReportViewer viewer(path, title, layout, parent);
  // Qt centres a modal dialog over its parent, or on the screen without one.
  return viewer.exec() == QDialog::Accepted;
}

}  // namespace stridewell::gui
