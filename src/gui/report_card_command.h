// Train > "SIM Report Card...": the dialog, the evaluation under the
// progress window (Cancel stops it and shows nothing), then the card in the
// report viewer with "&Print" and "Co&py". The card's headline goes into
// the SIM's training record. User-interface thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/program_name.h"
#include "operations/evaluate_run.h"

class QWidget;

namespace stridewell::gui {

class MainWindow;

inline constexpr const char* kReportCardTitle = "SIM Report Card";
inline const std::string kReportCardPrintTitle = programTitle(kReportCardTitle);
inline constexpr const char* kReportCardCaption = "Making the SIM Report Card...";
inline constexpr const char* kReportCardFile = "card.txt";  // in TEMP while the viewer shows it
inline constexpr const char* kNoRaceCounted = "No race of the dataset meets the criteria and can be counted.";

// The parts of the command that reach outside the program, so that tests
// can stand in for them; the defaults are the program's own.
struct ReportCardServices {
  // Shows the dialog; the run's request after OK, nothing after Cancel.
  std::function<std::optional<EvaluateRequest>(MainWindow&)> choose;
  // Prints the report file; false when the print failed.
  std::function<bool(const std::string& path, const std::string& title, QWidget* parent)> print;
};
ReportCardServices defaultReportCardServices();

void runReportCardCommand(MainWindow& window, const ReportCardServices& services);
void runReportCardCommand(MainWindow& window);

}  // namespace stridewell::gui
