// The training chart: a small window over the main window that draws the
// training error (the sum of squared output differences over a pass, "tss"
// in the model's diagnostics) of every finished pass as a line,
// pass by pass, so that the user sees whether the SIM is still learning. It
// opens when training starts, may be closed at any time (training goes on),
// and redraws whenever the main window's one-second timer has put a new
// training status in the title. User-interface thread.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QCategoryAxis;
class QChart;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace stridewell::gui {

struct AxisTick {
  double value = 0.0;
  QString label;
};

// The error axis's ticks: from 0 up to the first at or above `highest`, a
// round step apart (1, 2 or 5 times a power of ten, five or so of them),
// labelled as people read numbers ("40,000,000", "0.25"), never in the
// exponent form a sum of squares in the tens of millions would get.
std::vector<AxisTick> errorAxisTicks(double highest);
// `value` with its digits grouped by thousands and `decimals` decimals.
QString readableNumber(double value, int decimals);

class MainWindow;
class TrainingRunner;

class TrainingChartWindow final : public QWidget {
  Q_OBJECT

 public:
  TrainingChartWindow(const TrainingRunner& runner, MainWindow& window);

  // Reads the runner's pass errors and status again.
  void refresh();

  QLineSeries* series() const { return series_; }
  QCategoryAxis* errorAxis() const { return errorAxis_; }
  QValueAxis* passAxis() const { return passAxis_; }
  QString statusLine() const;

 private:
  const TrainingRunner& runner_;
  QChart* chart_;
  QLineSeries* series_;
  QValueAxis* passAxis_;
  QCategoryAxis* errorAxis_;
  QLabel* status_;
};

}  // namespace stridewell::gui
