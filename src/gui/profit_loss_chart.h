// The profit chart of a profit/loss run: one bar per strategy family (win,
// place, show, combinations, exotics) showing the money won or lost per
// dollar bet, from the run's own totals table, with the dollars behind each
// bar listed under the chart. User-interface thread only.
#pragma once

#include <QDialog>
#include <array>

#include "analysis/strategy_family.h"

class QLabel;

class QBarSet;
class QChartView;

namespace stridewell::gui {

class ProfitChartDialog final : public QDialog {
  Q_OBJECT

 public:
  // `caption` names the run (dataset and SIM) above the bars.
  ProfitChartDialog(const StrategyTotalsTable& totals, const QString& caption, QWidget* parent = nullptr);

  // The bars' values: the profit percentage of each family in
  // StrategyFamily order.
  QBarSet* profitBars() const { return bars_; }
  QChartView* view() const { return view_; }
  QLabel* figures() const { return figures_; }

 private:
  QBarSet* bars_ = nullptr;
  QChartView* view_ = nullptr;
  QLabel* figures_ = nullptr;
};

}  // namespace stridewell::gui
