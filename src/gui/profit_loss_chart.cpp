#include "gui/profit_loss_chart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <string>

#include "gui/fixed_font.h"

namespace stridewell::gui {
namespace {

QString fromView(std::string_view text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// A value axis from `low` to `high` that always shows the zero line, with
// some room beyond the longest bars; figures that are not finite (a
// damaged dataset can sum to infinity) are left out of the range.
void fitRange(QValueAxis& values, double low, double high) {
  if (!std::isfinite(low)) low = 0.0;
  if (!std::isfinite(high)) high = 0.0;
  const double span = std::max(high - low, 10.0);
  values.setRange(low < 0 ? low - span * 0.12 : 0.0, high > 0 ? high + span * 0.12 : 0.0);
  if (low == 0.0 && high == 0.0) values.setRange(-10.0, 10.0);
  values.applyNiceNumbers();
}

}  // namespace

ProfitChartDialog::ProfitChartDialog(const StrategyTotalsTable& totals, const QString& caption,
                                     QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Profit/Loss Chart"));
  const auto families = familyTotals(totals);

  bars_ = new QBarSet(tr("Profit (% of money bet)"));
  QStringList names;
  QString lines;
  double low = 0.0;
  double high = 0.0;
  for (int i = 0; i < kStrategyFamilyCount; ++i) {
    const auto family = static_cast<StrategyFamily>(i);
    const double profit = profitPercent(families[static_cast<size_t>(i)]);
    *bars_ << profit;
    low = std::min(low, profit);
    high = std::max(high, profit);
    names << QString::fromLatin1(familyName(family).data(), qsizetype(familyName(family).size()));
    if (!lines.isEmpty()) lines += QLatin1Char('\n');
    lines += QString::fromStdString(familySummaryLine(family, families[static_cast<size_t>(i)]));
  }
  bars_->setColor(QColor(0x2e, 0x6f, 0x9e));

  auto* series = new QBarSeries;
  series->append(bars_);

  auto* chart = new QChart;
  chart->addSeries(series);
  chart->setTitle(tr("Profit per strategy family (%1)").arg(caption));
  chart->legend()->setVisible(false);
  auto* categories = new QBarCategoryAxis;
  categories->append(names);
  chart->addAxis(categories, Qt::AlignBottom);
  series->attachAxis(categories);
  auto* values = new QValueAxis;
  // The zero line always in view, with some room beyond the longest bars.
  // Only finite figures count: a damaged dataset could sum
  // to infinity, and the axis cannot show that.
  if (!std::isfinite(low)) low = 0.0;
  if (!std::isfinite(high)) high = 0.0;
  const double span = std::max(high - low, 10.0);
  values->setRange(low < 0 ? low - span * 0.12 : 0.0, high > 0 ? high + span * 0.12 : 0.0);
  if (low == 0.0 && high == 0.0) values->setRange(-10.0, 10.0);
  values->setLabelFormat(QStringLiteral("%.0f%%"));
  values->setTitleText(tr("Profit (% of money bet)"));
  values->applyNiceNumbers();
  chart->addAxis(values, Qt::AlignLeft);
  series->attachAxis(values);

  view_ = new QChartView(chart, this);
  view_->setObjectName(QStringLiteral("chartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(640, 400);

  figures_ = new QLabel(lines, this);
  figures_->setObjectName(QStringLiteral("figures"));
  figures_->setFont(fixedPitchFont());
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName(QStringLiteral("close"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addWidget(figures_);
  layout->addLayout(buttons);
}

}  // namespace stridewell::gui

namespace stridewell::gui {
namespace {

constexpr int kBreakdownColumns = 8;

void setCell(QTableWidget& table, int row, int column, const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  table.setItem(row, column, item);
}

void fillRow(QTableWidget& table, int row, const QString& label, const StrategyTotals& totals) {
  const QString cells[kBreakdownColumns] = {
      label,
      QString::number(totals.betCount),
      QString::number(totals.hitCount),
      QString::number(hitPercent(totals), 'f', 2),
      QString::number(totals.amountBet, 'f', 2),
      QString::number(static_cast<double>(totals.amountPaid), 'f', 2),
      QString::number(netAmount(totals), 'f', 2),
      QString::number(returnPercent(totals), 'f', 2),
  };
  for (int column = 0; column < kBreakdownColumns; ++column) setCell(table, row, column, cells[column]);
}

}  // namespace

ProfitBreakdownDialog::ProfitBreakdownDialog(std::span<const SettledRace> races, const QString& caption,
                                             bool morningLineOdds, QWidget* parent)
    : QDialog(parent), races_(races), caption_(caption), morningLineOdds_(morningLineOdds) {
  setWindowTitle(tr("Profit/Loss Breakdown"));

  strategy_ = new QComboBox(this);
  strategy_->setObjectName(QStringLiteral("strategyBox"));
  for (int i = 0; i < kStrategyCount; ++i) strategy_->addItem(fromView(strategyName(i)));
  strategy_->setCurrentIndex(kDefaultBreakdownStrategy);
  strategy_->setMaxVisibleItems(20);
  key_ = new QComboBox(this);
  key_->setObjectName(QStringLiteral("keyBox"));
  for (int i = 0; i < kSegmentKeyCount; ++i) {
    const QString title = fromView(segmentKeyTitle(static_cast<SegmentKey>(i)));
    key_->addItem(title.left(1).toUpper() + title.mid(1));
  }
  auto* choices = new QFormLayout;
  choices->addRow(tr("&Strategy:"), strategy_);
  choices->addRow(tr("&Break down by:"), key_);

  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("note"));
  note_->setWordWrap(true);

  table_ = new QTableWidget(0, kBreakdownColumns, this);
  table_->setObjectName(QStringLiteral("segments"));
  table_->setHorizontalHeaderLabels({tr("Segment"), tr("Races bet"), tr("Hits"), tr("Hit %"), tr("$ Bet"),
                                     tr("$ Returned"), tr("$ Net"), tr("ROI %")});
  table_->verticalHeader()->setVisible(false);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // The figures keep their width; the segment names take the room left.
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  // Room for the odds bands and their total without scrolling.
  const int rowHeight = fontMetrics().height() + 6;
  table_->verticalHeader()->setDefaultSectionSize(rowHeight);
  table_->setMinimumHeight(rowHeight * 9 + 8);

  auto* chart = new QChart;
  chart->legend()->setVisible(false);
  auto* series = new QBarSeries(chart);
  chart->addSeries(series);
  auto* categories = new QBarCategoryAxis(chart);
  chart->addAxis(categories, Qt::AlignBottom);
  series->attachAxis(categories);
  auto* values = new QValueAxis(chart);
  values->setLabelFormat(QStringLiteral("%.0f%%"));
  values->setTitleText(tr("Return (% of money bet)"));
  chart->addAxis(values, Qt::AlignLeft);
  series->attachAxis(values);
  view_ = new QChartView(chart, this);
  view_->setObjectName(QStringLiteral("chartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(640, 320);

  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName(QStringLiteral("close"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addWidget(note_);
  layout->addWidget(table_);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);

  connect(strategy_, &QComboBox::currentIndexChanged, this, &ProfitBreakdownDialog::refresh);
  connect(key_, &QComboBox::currentIndexChanged, this, &ProfitBreakdownDialog::refresh);
  refresh();
}

void ProfitBreakdownDialog::refresh() {
  const int strategy = std::max(strategy_->currentIndex(), 0);
  const auto key = static_cast<SegmentKey>(std::max(key_->currentIndex(), 0));
  breakdown_ = breakDown(races_, key, strategy);

  QString note = QString::fromStdString(breakdownHeading(key, strategy, morningLineOdds_)).trimmed();
  note.replace(QLatin1Char('\n'), QLatin1Char(' '));
  note_->setText(note);

  const int rows = static_cast<int>(breakdown_.rows.size());
  table_->setRowCount(rows + 1);
  QStringList names;
  bars_ = new QBarSet(tr("Return (% of money bet)"));
  bars_->setColor(QColor(0x2e, 0x6f, 0x9e));
  double low = 0.0;
  double high = 0.0;
  for (int i = 0; i < rows; ++i) {
    const SegmentRow& row = breakdown_.rows[static_cast<size_t>(i)];
    const QString label = QString::fromStdString(row.segment.label);
    fillRow(*table_, i, label, row.totals);
    names << label;
    const double percent = returnPercent(row.totals);
    *bars_ << percent;
    low = std::min(low, percent);
    high = std::max(high, percent);
  }
  fillRow(*table_, rows, tr("Total"), breakdown_.total);
  QFont bold = table_->font();
  bold.setBold(true);
  for (int column = 0; column < kBreakdownColumns; ++column) table_->item(rows, column)->setFont(bold);

  QChart* chart = view_->chart();
  auto* series = qobject_cast<QBarSeries*>(chart->series().value(0));
  series->clear();  // deletes the previous bars
  series->append(bars_);
  auto* categories = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
  categories->clear();
  categories->append(names);
  auto* values = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
  fitRange(*values, low, high);
  chart->setTitle(
      tr("Return of %1 by %2 (%3)").arg(strategy_->currentText(), fromView(segmentKeyTitle(key)), caption_));
}

}  // namespace stridewell::gui
