#include "gui/profit_loss_command.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDir>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>
#include <vector>

#include "base/interaction.h"
#include "base/setting_keys.h"
#include "base/workspace.h"
#include "gui/clipboard_copy.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/profit_loss_chart.h"
#include "gui/report_viewer.h"
#include "gui/run_progress.h"
#include "gui/text_printing.h"
#include "operations/profit_loss_run.h"

namespace stridewell::gui {
namespace {

// The comma lines through a unique file in TEMP onto the clipboard; a
// failure is a warning only.
void copyCommaLines(MainWindow& window, const std::string& lines, const ProfitLossServices& services) {
  QTemporaryFile file(
      QDir(QString::fromStdString(window.workspace().temp)).filePath(QStringLiteral("plcopyXXXXXX.txt")));
  bool copied = false;
  if (file.open()) {
    const bool written = file.write(lines.data(), qint64(lines.size())) == qint64(lines.size());
    file.close();
    copied = written && services.copyToClipboard(file.fileName().toStdString());
  }
  if (!copied) window.ui().warning(kClipboardFailedText);
}

// The box layout that holds `widget`, searched through `layout`.
QBoxLayout* layoutHolding(QLayout* layout, QWidget* widget) {
  if (layout == nullptr) return nullptr;
  if (layout->indexOf(widget) >= 0) return qobject_cast<QBoxLayout*>(layout);
  for (int i = 0; i < layout->count(); ++i) {
    if (QBoxLayout* found = layoutHolding(layout->itemAt(i)->layout(), widget)) return found;
  }
  return nullptr;
}

// A "&Chart" button beside the viewer's "&Print" that opens the profit
// chart of the run.
void addChartButton(ReportViewer& viewer, const StrategyTotalsTable& totals,
                    const ProfitLossRequest& request) {
  auto* chart = new QPushButton(QObject::tr("C&hart"), &viewer);
  chart->setObjectName(QStringLiteral("chartButton"));
  chart->setAutoDefault(false);
  QBoxLayout* buttons = layoutHolding(viewer.layout(), viewer.printButton());
  if (buttons != nullptr) {
    buttons->insertWidget(buttons->indexOf(viewer.printButton()) + 1, chart);
  } else if (viewer.layout() != nullptr) {
    viewer.layout()->addWidget(chart);
  }
  const QString caption =
      QStringLiteral("DataSet: %1, SIM Model: %2")
          .arg(QString::fromStdString(request.datasetName), QString::fromStdString(request.simName));
  QObject::connect(chart, &QPushButton::clicked, &viewer, [&viewer, &totals, caption] {
    ProfitChartDialog dialog(totals, caption, &viewer);
    dialog.exec();
  });
}

// A "&Breakdown" button after the chart button that opens one strategy's
// results by segment over the run's races.
void addBreakdownButton(ReportViewer& viewer, const std::vector<SettledRace>& settled,
                        const ProfitLossRequest& request) {
  auto* breakdown = new QPushButton(QObject::tr("&Breakdown"), &viewer);
  breakdown->setObjectName(QStringLiteral("breakdownButton"));
  breakdown->setAutoDefault(false);
  auto* chart = viewer.findChild<QPushButton*>(QStringLiteral("chartButton"));
  QBoxLayout* buttons = chart != nullptr ? layoutHolding(viewer.layout(), chart) : nullptr;
  if (buttons != nullptr) {
    buttons->insertWidget(buttons->indexOf(chart) + 1, breakdown);
  } else if (viewer.layout() != nullptr) {
    viewer.layout()->addWidget(breakdown);
  }
  const QString caption =
      QStringLiteral("DataSet: %1, SIM Model: %2")
          .arg(QString::fromStdString(request.datasetName), QString::fromStdString(request.simName));
  const bool morningLine = request.options.morningLineOdds;
  QObject::connect(breakdown, &QPushButton::clicked, &viewer, [&viewer, &settled, caption, morningLine] {
    ProfitBreakdownDialog dialog(settled, caption, morningLine, &viewer);
    dialog.exec();
  });
}

}  // namespace

ProfitLossServices defaultProfitLossServices() {
  ProfitLossServices services;
  services.choose = [](MainWindow& window) -> std::optional<ProfitLossChoice> {
    ProfitLossDialog dialog(window.settings(), window.workspace(), window.ui(), &window);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
  };
  services.print = [](const std::string& path, const std::string& title, QWidget* parent) {
    return printTextFile(path, title, parent);
  };
  services.copyToClipboard = [](const std::string& path) { return copyFileToClipboard(path); };
  return services;
}

void runProfitLoss(MainWindow& window, const ProfitLossChoice& choice, const ProfitLossServices& services) {
  const std::string reportPath = joinPath(window.workspace().temp, std::string(kProfitLossReportFile));
  std::ostringstream comma;
  auto totals = std::make_unique<StrategyTotalsTable>();
  std::vector<SettledRace> settled;
  ProfitLossOutcome outcome;
  {
    RunProgress progress(window, QString::fromLatin1(kProfitLossCaption), kProfitLossProgress);
    outcome = stridewell::runProfitLoss(choice.request, window.foregroundModel(), reportPath,
                                        choice.copyToClipboard ? &comma : nullptr, window.ui(), progress,
                                        totals.get(), realFileSystem(), &settled);
  }
  // The SIM becomes the dialog's next choice only once it has loaded.
  if (outcome.simLoaded) window.settings().write(setting::kTestSimName, choice.request.simName);
  if (outcome.status == ProfitLossStatus::kDone) {
    if (choice.copyToClipboard) copyCommaLines(window, comma.str(), services);
    ReportViewer viewer(reportPath, kProfitLossTitle, ReportLayout::Plain, &window);
    addChartButton(viewer, *totals, choice.request);
    addBreakdownButton(viewer, settled, choice.request);
    if (viewer.exec() == QDialog::Accepted) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      const bool printed = services.print(reportPath, kProfitLossPrintTitle, &window);
      QApplication::restoreOverrideCursor();
      if (!printed) window.ui().error(kPrintFailedText);
    }
  }
  std::error_code ignored;
  std::filesystem::remove(reportPath, ignored);
}

void runProfitLossAnalysis(MainWindow& window, const ProfitLossServices& services) {
  const std::optional<ProfitLossChoice> choice = services.choose(window);
  if (choice) runProfitLoss(window, *choice, services);
}

void runProfitLossAnalysis(MainWindow& window) {
  runProfitLossAnalysis(window, defaultProfitLossServices());
}

}  // namespace stridewell::gui
