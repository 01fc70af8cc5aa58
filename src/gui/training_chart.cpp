#include "gui/training_chart.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <vector>

#include "gui/main_window.h"
#include "gui/training_runner.h"

namespace stridewell::gui {

TrainingChartWindow::TrainingChartWindow(const TrainingRunner& runner, MainWindow& window)
    : QWidget(&window, Qt::Window), runner_(runner) {
  setObjectName(QStringLiteral("trainingChart"));
  series_ = new QLineSeries;
  series_->setName(tr("tss per pass"));
  series_->setPointsVisible(true);
  chart_ = new QChart;
  chart_->addSeries(series_);
  chart_->legend()->hide();
  passAxis_ = new QValueAxis;
  passAxis_->setTitleText(tr("Pass"));
  passAxis_->setLabelFormat(QStringLiteral("%d"));
  passAxis_->setTickType(QValueAxis::TicksDynamic);
  passAxis_->setTickAnchor(0);
  errorAxis_ = new QValueAxis;
  errorAxis_->setTitleText(tr("Error (tss)"));
  errorAxis_->setLabelFormat(QStringLiteral("%.6g"));
  chart_->addAxis(passAxis_, Qt::AlignBottom);
  chart_->addAxis(errorAxis_, Qt::AlignLeft);
  series_->attachAxis(passAxis_);
  series_->attachAxis(errorAxis_);

  auto* view = new QChartView(chart_, this);
  view->setObjectName(QStringLiteral("chartView"));
  view->setRenderHint(QPainter::Antialiasing);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("chartStatus"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view, 1);
  layout->addWidget(status_);
  resize(560, 380);

  // The title changes exactly when the window's timer found a new status:
  // a pass started or the run ended, so a finished pass's tss is in.
  connect(&window, &QWidget::windowTitleChanged, this, [this] {
    if (isVisible()) refresh();
  });
}

QString TrainingChartWindow::statusLine() const {
  return status_->text();
}

void TrainingChartWindow::refresh() {
  setWindowTitle(tr("Training: %1").arg(QString::fromStdString(runner_.simName())));
  const std::vector<PassError> errors = runner_.passErrors();
  QList<QPointF> points;
  double highest = 0.0;
  for (const PassError& e : errors) {
    points.append(QPointF(e.pass, e.tss));
    highest = std::max(highest, e.tss);
  }
  series_->replace(points);
  const int lastPass = errors.empty() ? 1 : errors.back().pass;
  const int passes = std::max({runner_.passes(), lastPass, 2});
  passAxis_->setRange(1, passes);
  passAxis_->setTickInterval(passes <= 10 ? 1 : passes <= 25 ? 5 : 10);
  errorAxis_->setRange(0.0, highest > 0.0 ? highest * 1.05 : 1.0);
  errorAxis_->applyNiceNumbers();
  if (errors.empty()) {
    status_->setText(tr("No pass finished yet."));
  } else {
    status_->setText(tr("Pass %1: tss %2").arg(errors.back().pass).arg(errors.back().tss, 0, 'g', 6));
  }
}

}  // namespace stridewell::gui
