#include "gui/profit_loss_chart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "gui/fixed_font.h"

namespace stridewell::gui {

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
