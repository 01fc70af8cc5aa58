// The outcome of a value betting run: its report beside the bankroll curve
// as a line chart (the bankroll after each race with bets, numbered from 1;
// the starting bankroll is a dashed line), with the largest drawdown's peak
// and low marked in red (a peak at the start sits at race 0) and stated
// under the chart. User-interface thread only.
#pragma once

#include <QDialog>
#include <string>

#include "analysis/value_betting.h"

class QChartView;
class QLabel;
class QLineSeries;
class QPlainTextEdit;
class QScatterSeries;

namespace stridewell::gui {

class ValueBettingWindow final : public QDialog {
  Q_OBJECT

 public:
  // `report` is the run's text; `summary` its figures and curve.
  ValueBettingWindow(const std::string& report, const ValueSummary& summary, QWidget* parent = nullptr);

  QPlainTextEdit* report() const { return report_; }
  QLineSeries* curve() const { return curve_; }
  // The drawdown's peak and low; empty without a drawdown.
  QScatterSeries* drawdown() const { return drawdown_; }
  QChartView* view() const { return view_; }
  QLabel* note() const { return note_; }

 private:
  QPlainTextEdit* report_ = nullptr;
  QLineSeries* curve_ = nullptr;
  QScatterSeries* drawdown_ = nullptr;
  QChartView* view_ = nullptr;
  QLabel* note_ = nullptr;
};

}  // namespace stridewell::gui
