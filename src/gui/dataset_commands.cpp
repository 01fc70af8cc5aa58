// The Database menu's dataset commands: Delete, Rename, Split and Combine
// with their dialogs, and the three dataset reports (exotics, daily double,
// contents) through the shared Report dialog, the progress window, the
// clipboard, the report viewer and the printer. The work itself is the
// core's: the same operations the command line runs.
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <cstdio>
#include <string>

#include "base/interaction.h"
#include "base/program_name.h"
#include "base/workspace.h"
#include "datasets/dataset_name.h"
#include "gui/clipboard_copy.h"
#include "gui/dataset_combine_dialog.h"
#include "gui/dataset_delete_dialog.h"
#include "gui/dataset_rename_dialog.h"
#include "gui/dataset_split_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/report_dialog.h"
#include "gui/report_viewer.h"
#include "gui/run_progress.h"
#include "gui/text_printing.h"
#include "operations/contents_report.h"
#include "operations/dataset_combine.h"
#include "operations/dataset_management.h"
#include "operations/dataset_split.h"
#include "operations/payout_report.h"

namespace stridewell::gui {
namespace {

constexpr std::string_view kClipboardFailed = "Cannot copy data to clipboard.";
constexpr std::string_view kPrintFailed = "Error during print.";

using LongRun = MainWindow::LongRun;

void deleteDatasetsCommand(MainWindow& window) {
  DatasetDeleteDialog dialog(window.workspace(), window.ui(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  // A dataset that stays is named, with the system's reason.
  for (const std::string& name : dialog.selectedNames())
    deleteDatasetOrSay(window.workspace(), name, window.ui());
}

void renameDatasetCommand(MainWindow& window) {
  DatasetRenameDialog dialog(window.workspace(), window.ui(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  renameDataset(window.workspace(), dialog.oldName(), dialog.newName(), window.ui());
}

void splitDatasetCommand(MainWindow& window) {
  DatasetSplitDialog dialog(window.workspace(), window.ui(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  RunProgress progress(window, QStringLiteral("Splitting dataset..."), kSplitOrCombineProgress);
  splitDataset(window.workspace(), dialog.sourceName(), dialog.trainName(), dialog.testName(), dialog.step(),
               progress, progress);
}

void combineDatasetsCommand(MainWindow& window) {
  DatasetCombineDialog dialog(window.workspace(), window.ui(), &window);
  if (dialog.exec() != QDialog::Accepted) return;
  RunProgress progress(window, QStringLiteral("Combining datasets..."), kSplitOrCombineProgress);
  combineDatasets(window.workspace(), dialog.selectedNames(), dialog.newName(), progress, progress);
}

enum class DatasetReport { kExotics, kDailyDouble, kContents };

QString reportTitle(DatasetReport report) {
  switch (report) {
    case DatasetReport::kExotics:
      return QStringLiteral("Exotics Report");
    case DatasetReport::kDailyDouble:
      return QStringLiteral("Daily Double Report");
    case DatasetReport::kContents:
      return QStringLiteral("DataSet Contents Report");
  }
  return {};
}

void removeFile(const std::string& path) {
  if (!path.empty()) std::remove(path.c_str());
}

void datasetReportCommand(MainWindow& window, DatasetReport report) {
  const QString title = reportTitle(report);
  ReportDialog dialog(title, window.workspace(), window.settings(), &window);
  if (dialog.exec() != QDialog::Accepted) return;

  const Workspace& workspace = window.workspace();
  const std::string name = dialog.datasetName();
  // The contents report has one file, which is also the clipboard's copy;
  // the payout reports have a text table and a comma table.
  std::string textPath;
  std::string commaPath;
  if (report == DatasetReport::kContents) {
    textPath = joinPath(workspace.temp, std::string(kContentsFile));
  } else {
    textPath = joinPath(workspace.temp, std::string(kPayoutTextFile));
    commaPath = joinPath(workspace.temp, std::string(kPayoutCommaFile));
  }

  LongRun run(window);  // until the viewer has closed
  RunProgress progress(window, title + QStringLiteral("..."), kDatasetReportProgress);
  ReportOutcome outcome = ReportOutcome::kFailed;
  if (report == DatasetReport::kContents) {
    outcome = runContentsReport(name, datasetPath(workspace, name), textPath, progress, progress);
  } else {
    const PayoutReportKind kind =
        report == DatasetReport::kExotics ? PayoutReportKind::kExotics : PayoutReportKind::kDailyDouble;
    outcome =
        runPayoutReport(kind, name, datasetPath(workspace, name), textPath, commaPath, progress, progress);
  }
  // A Cancel pressed after the last race still counts.
  const bool cancelled = progress.cancelled();
  progress.close();
  if (outcome != ReportOutcome::kDone || cancelled) {
    // The core has shown the error of a failed run; the report files in
    // TEMP (complete ones, after a Cancel past the end) go with the run.
    removeFile(textPath);
    removeFile(commaPath);
    return;
  }

  if (dialog.copyToClipboard() && !copyFileToClipboard(commaPath.empty() ? textPath : commaPath)) {
    window.ui().warning(kClipboardFailed);
  }
  if (showReport(textPath, title.toStdString(), ReportLayout::Wide, &window)) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool printed = printTextFile(textPath, programTitle(title.toStdString()), &window);
    QApplication::restoreOverrideCursor();
    if (!printed) window.ui().error(kPrintFailed);
  }
  removeFile(textPath);
  removeFile(commaPath);
}

}  // namespace

void runDatasetCommand(MainWindow& window, MenuCommand command) {
  switch (command) {
    case MenuCommand::kDeleteDataset:
      deleteDatasetsCommand(window);
      break;
    case MenuCommand::kRenameDataset:
      renameDatasetCommand(window);
      break;
    case MenuCommand::kSplitDataset:
      splitDatasetCommand(window);
      break;
    case MenuCommand::kCombineDatasets:
      combineDatasetsCommand(window);
      break;
    case MenuCommand::kExoticsReport:
      datasetReportCommand(window, DatasetReport::kExotics);
      break;
    case MenuCommand::kDailyDoubleReport:
      datasetReportCommand(window, DatasetReport::kDailyDouble);
      break;
    case MenuCommand::kContentsReport:
      datasetReportCommand(window, DatasetReport::kContents);
      break;
    default:
      break;
  }
}

}  // namespace stridewell::gui
