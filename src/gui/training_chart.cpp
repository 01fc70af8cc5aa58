#include "gui/training_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <vector>

#include "gui/main_window.h"
#include "gui/training_runner.h"

namespace stridewell::gui {

QString readableNumber(double value, int decimals) {
  // Fixed, so that the chart reads the same on every desktop.
  static const QLocale english(QLocale::English, QLocale::UnitedStates);
  return english.toString(value, 'f', decimals);
}

std::vector<AxisTick> errorAxisTicks(double highest) {
  if (!(highest > 0.0) || !std::isfinite(highest)) highest = 1.0;
  const double rough = highest / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double scaled = rough / power;
  const double step = (scaled <= 1.0 ? 1.0 : scaled <= 2.0 ? 2.0 : scaled <= 5.0 ? 5.0 : 10.0) * power;
  // A step of 0.25 needs two decimals; one of 5 or 5,000,000 none.
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  const int count = static_cast<int>(std::ceil(highest / step - 1e-9));
  std::vector<AxisTick> ticks;
  for (int i = 0; i <= count; ++i) ticks.push_back({i * step, readableNumber(i * step, decimals)});
  return ticks;
}

TrainingChartWindow::TrainingChartWindow(const TrainingRunner& runner, MainWindow& window)
    : QWidget(&window, Qt::Window), runner_(runner) {
  setObjectName(QStringLiteral("trainingChart"));
  series_ = new QLineSeries;
  series_->setName(tr("Training error per pass"));
  series_->setPointsVisible(true);
  chart_ = new QChart;
  chart_->addSeries(series_);
  chart_->legend()->hide();
  passAxis_ = new QValueAxis;
  passAxis_->setTitleText(tr("Pass"));
  passAxis_->setLabelFormat(QStringLiteral("%d"));
  passAxis_->setTickType(QValueAxis::TicksDynamic);
  passAxis_->setTickAnchor(0);
  errorAxis_ = new QCategoryAxis;
  errorAxis_->setTitleText(tr("Training error (sum of squares)"));
  errorAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  chart_->addAxis(passAxis_, Qt::AlignBottom);
  chart_->addAxis(errorAxis_, Qt::AlignLeft);
  series_->attachAxis(passAxis_);
  series_->attachAxis(errorAxis_);

  auto* view = new QChartView(chart_, this);
  view->setObjectName(QStringLiteral("chartView"));
  view->setRenderHint(QPainter::Antialiasing);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("chartStatus"));
  status_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view, 1);
  layout->addWidget(status_);
  resize(600, 460);  // room for the chart under a three-line status

  // The title changes exactly when the window's timer found a new status:
  // a pass started or the run ended, so a finished pass's error is in.
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
  const std::vector<AxisTick> ticks = errorAxisTicks(highest);
  for (const QString& label : errorAxis_->categoriesLabels()) errorAxis_->remove(label);
  for (const AxisTick& tick : ticks) errorAxis_->append(tick.label, tick.value);
  errorAxis_->setStartValue(0.0);
  errorAxis_->setRange(0.0, ticks.back().value);
  QString line = errors.empty()
                     ? tr("No pass finished yet.")
                     : tr("Pass %1 of %2: training error %3")
                           .arg(errors.back().pass)
                           .arg(runner_.passes())
                           .arg(readableNumber(errors.back().tss, errors.back().tss < 1000.0 ? 4 : 0));
  // Once the run has ended: what it saved, and where.
  if (!runner_.endReport().empty()) line += QLatin1Char('\n') + QString::fromStdString(runner_.endReport());
  status_->setText(line);
}

}  // namespace stridewell::gui
