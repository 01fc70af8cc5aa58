#include "gui/value_betting_window.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "gui/fixed_font.h"

namespace stridewell::gui {
namespace {

double dollarsOf(int64_t cents) {
  return static_cast<double>(cents) / 100.0;
}

}  // namespace

ValueBettingWindow::ValueBettingWindow(const std::string& report, const ValueSummary& summary,
                                       QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Value Betting"));

  report_ = new QPlainTextEdit(this);
  report_->setObjectName(QStringLiteral("report"));
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  report_->setFont(fixedPitchFont());
  report_->setPlainText(QString::fromStdString(report));
  report_->setMinimumWidth(QFontMetrics(report_->font()).horizontalAdvance(QString(78, QLatin1Char('M'))));

  curve_ = new QLineSeries;
  curve_->setName(tr("Bankroll"));
  curve_->setPen(QPen(QColor(0x2e, 0x6f, 0x9e), 2));
  double low = dollarsOf(summary.startBankroll);
  double high = low;
  for (size_t i = 0; i < summary.curve.size(); ++i) {
    const double bankroll = dollarsOf(summary.curve[i].bankroll);
    curve_->append(static_cast<double>(i + 1), bankroll);
    low = std::min(low, bankroll);
    high = std::max(high, bankroll);
  }
  const double lastX = std::max<double>(1.0, static_cast<double>(summary.curve.size()));

  auto* start = new QLineSeries;
  start->setName(tr("Start"));
  QPen dashed(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine);
  start->setPen(dashed);
  start->append(0, dollarsOf(summary.startBankroll));

  drawdown_ = new QScatterSeries;
  drawdown_->setName(tr("Largest drawdown"));
  drawdown_->setColor(QColor(0xc0, 0x20, 0x20));
  drawdown_->setMarkerSize(10);
  const Drawdown& fall = summary.drawdown;
  if (fall.trough >= 0) {
    const double peakX = fall.peak < 0 ? 0.0 : static_cast<double>(fall.peak + 1);
    const int64_t peakCents =
        fall.peak < 0 ? summary.startBankroll : summary.curve[static_cast<size_t>(fall.peak)].bankroll;
    drawdown_->append(peakX, dollarsOf(peakCents));
    drawdown_->append(static_cast<double>(fall.trough + 1),
                      dollarsOf(summary.curve[static_cast<size_t>(fall.trough)].bankroll));
  }

  auto* chart = new QChart;
  chart->addSeries(start);
  chart->addSeries(curve_);
  chart->addSeries(drawdown_);
  chart->setTitle(tr("Bankroll"));
  chart->legend()->setAlignment(Qt::AlignBottom);
  auto* races = new QValueAxis;
  races->setTitleText(tr("Races with bets"));
  races->setLabelFormat(QStringLiteral("%.0f"));
  races->setRange(0, lastX);
  auto* money = new QValueAxis;
  money->setTitleText(tr("Bankroll ($)"));
  money->setLabelFormat(QStringLiteral("%.0f"));
  const double span = std::max(high - low, 1.0);
  money->setRange(std::max(0.0, low - span * 0.08), high + span * 0.08);
  money->applyNiceNumbers();
  races->applyNiceNumbers();
  // Across the whole width the axis ended up with.
  start->append(races->max(), dollarsOf(summary.startBankroll));
  chart->addAxis(races, Qt::AlignBottom);
  chart->addAxis(money, Qt::AlignLeft);
  for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(start), static_cast<QAbstractSeries*>(curve_),
                                  static_cast<QAbstractSeries*>(drawdown_)}) {
    series->attachAxis(races);
    series->attachAxis(money);
  }

  view_ = new QChartView(chart, this);
  view_->setObjectName(QStringLiteral("chartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(560, 400);

  QString note;
  if (summary.curve.empty()) {
    note = tr("No bets were made.");
  } else if (fall.trough < 0) {
    note = tr("The bankroll never fell below an earlier high.");
  } else {
    const BetRace& trough = summary.curve[static_cast<size_t>(fall.trough)];
    const QString from = fall.peak < 0 ? tr("the start")
                                       : tr("race %1 with bets (%2)")
                                             .arg(fall.peak + 1)
                                             .arg(QString::fromStdString(isoDateText(
                                                 summary.curve[static_cast<size_t>(fall.peak)].date)));
    note = tr("Largest drawdown: $%1 (%2% of the peak), from %3 to race %4 with bets (%5).")
               .arg(QString::fromStdString(moneyText(fall.amount)))
               .arg(fall.percent, 0, 'f', 2)
               .arg(from)
               .arg(fall.trough + 1)
               .arg(QString::fromStdString(isoDateText(trough.date)));
  }
  note_ = new QLabel(note, this);
  note_->setObjectName(QStringLiteral("drawdownNote"));
  note_->setWordWrap(true);

  auto* right = new QVBoxLayout;
  right->addWidget(view_, 1);
  right->addWidget(note_);
  auto* body = new QHBoxLayout;
  body->addWidget(report_);
  body->addLayout(right, 1);

  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName(QStringLiteral("close"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
}

}  // namespace stridewell::gui
