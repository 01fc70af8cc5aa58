// The profit chart of a profit/loss run: one bar per strategy family (win,
// place, show, combinations, exotics) showing the money won or lost per
// dollar bet, from the run's own totals table, with the dollars behind each
// bar listed under the chart. User-interface thread only.
#pragma once

#include <QDialog>
#include <array>
#include <span>
#include <vector>

#include "analysis/segment_breakdown.h"
#include "analysis/strategy_family.h"

class QComboBox;
class QLabel;
class QTableWidget;

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

// One strategy's results broken down by segment (odds band, field size,
// surface, distance, class, track or month) over the races a run settled:
// the strategy and the key are chosen in the window, and a table and a bar
// chart of the return on investment per segment follow each choice. The
// table ends in a total row, the strategy's line of the report.
class ProfitBreakdownDialog final : public QDialog {
  Q_OBJECT

 public:
  // `races` must outlive the dialog.
  ProfitBreakdownDialog(std::span<const SettledRace> races, const QString& caption, bool morningLineOdds,
                        QWidget* parent = nullptr);

  QComboBox* strategyBox() const { return strategy_; }
  QComboBox* keyBox() const { return key_; }
  QTableWidget* table() const { return table_; }
  // The bars' values: the return (percent) of each segment, in table order.
  QBarSet* returnBars() const { return bars_; }
  QChartView* view() const { return view_; }
  const SegmentBreakdown& breakdown() const { return breakdown_; }

 private:
  void refresh();

  std::span<const SettledRace> races_;
  QString caption_;
  bool morningLineOdds_ = false;
  SegmentBreakdown breakdown_;
  QComboBox* strategy_ = nullptr;
  QComboBox* key_ = nullptr;
  QLabel* note_ = nullptr;
  QTableWidget* table_ = nullptr;
  QBarSet* bars_ = nullptr;
  QChartView* view_ = nullptr;
};

}  // namespace stridewell::gui
