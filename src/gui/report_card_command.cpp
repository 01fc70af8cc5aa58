#include "gui/report_card_command.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QPushButton>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/workspace.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/report_card_dialog.h"
#include "gui/report_viewer.h"
#include "gui/run_progress.h"
#include "gui/text_printing.h"

namespace stridewell::gui {
namespace {

// The box layout that holds `widget`, searched through `layout`.
QBoxLayout* layoutHolding(QLayout* layout, QWidget* widget) {
  if (layout == nullptr) return nullptr;
  if (layout->indexOf(widget) >= 0) return qobject_cast<QBoxLayout*>(layout);
  for (int i = 0; i < layout->count(); ++i) {
    if (QBoxLayout* found = layoutHolding(layout->itemAt(i)->layout(), widget)) return found;
  }
  return nullptr;
}

// "Co&py" beside "&Print": the whole card on the clipboard, to paste into
// a note or a spreadsheet.
void addCopyButton(ReportViewer& viewer, const QString& text) {
  auto* copy = new QPushButton(QObject::tr("Co&py"), &viewer);
  copy->setObjectName(QStringLiteral("copyButton"));
  copy->setAutoDefault(false);
  if (QBoxLayout* buttons = layoutHolding(viewer.layout(), viewer.printButton())) {
    buttons->insertWidget(buttons->indexOf(viewer.printButton()) + 1, copy);
  } else if (viewer.layout() != nullptr) {
    viewer.layout()->addWidget(copy);
  }
  QObject::connect(copy, &QPushButton::clicked, &viewer,
                   [text] { QApplication::clipboard()->setText(text); });
}

}  // namespace

ReportCardServices defaultReportCardServices() {
  ReportCardServices services;
  services.choose = [](MainWindow& window) -> std::optional<EvaluateRequest> {
    ReportCardDialog dialog(window.settings(), window.workspace(), window.ui(), &window);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.request();
  };
  services.print = [](const std::string& path, const std::string& title, QWidget* parent) {
    return printTextFile(path, title, parent);
  };
  return services;
}

void runReportCardCommand(MainWindow& window, const ReportCardServices& services) {
  const std::optional<EvaluateRequest> request = services.choose(window);
  if (!request) return;
  std::ostringstream report;
  EvaluateOutcome outcome;
  {
    // The same window rules as the profit/loss run, which reads the same races.
    RunProgress progress(window, QString::fromLatin1(kReportCardCaption), kProfitLossProgress);
    outcome = runEvaluation(*request, window.foregroundModel(), report, window.ui(), progress);
  }
  // A cancelled or failed run has said what it had to; nothing is shown or kept.
  if (outcome.status != EvaluateStatus::kDone) return;
  if (outcome.card.races == 0) {
    window.ui().error(kNoRaceCounted);
    return;
  }
  std::string problem;
  if (recordReportCard(request->simPath, window.workspace().programFolder, request->datasetName, outcome.card,
                       std::time(nullptr), problem) == CardRecording::kFailed) {
    window.ui().warning("The SIM's record keeps no copy of this card: " + problem);
  }
  const std::string text = report.str();
  const std::string reportPath = joinPath(window.workspace().temp, kReportCardFile);
  std::string reason;
  if (!replaceFileContents(reportPath, text.data(), text.size(), reason)) {
    window.ui().error("Cannot write " + reportPath + ": " + reason);
    return;
  }
  {
    ReportViewer viewer(reportPath, kReportCardTitle, ReportLayout::Wide, &window);
    addCopyButton(viewer, QString::fromStdString(text));
    if (viewer.exec() == QDialog::Accepted) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      const bool printed = services.print(reportPath, kReportCardPrintTitle, &window);
      QApplication::restoreOverrideCursor();
      if (!printed) window.ui().error("Error during print.");
    }
  }
  std::error_code ignored;
  std::filesystem::remove(reportPath, ignored);
}

void runReportCardCommand(MainWindow& window) {
  runReportCardCommand(window, defaultReportCardServices());
}

}  // namespace stridewell::gui
