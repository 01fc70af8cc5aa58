// The names of the program's settings and the values they read as when
// they were never written. All live in the "Settings" section of the
// SettingsStore except the SI Maps, which have a section each. Flags hold
// "y" or "n"; read them with SettingsStore::readFlag.
#pragma once

#include <string>
#include <string_view>

#include "base/workspace.h"

namespace stridewell::setting {

// Start-up and main window.
inline constexpr std::string_view kMaximize = "MAXIMIZE";  // flag: the window was maximised at exit
inline constexpr bool kMaximizeDefault = true;
// The main window's size and place on the screen when it last closed, as
// the window system's own record in base64; missing, the window opens at a
// share of the screen.
inline constexpr std::string_view kWindowGeometry = "WINDOWGEOMETRY";

// Last folders chosen for card and results files (dataset creation) and
// for card files (handicap run). They start at the user's home folder.
inline constexpr std::string_view kDatasetFolder = "DATASETDIR";
inline constexpr std::string_view kImportFolder = "IMPORTDIR";
inline std::string defaultFolder() {
  return homeFolder();
}

// The handicap run.
inline constexpr std::string_view kSimMapName = "SIMAP_NAME";
inline constexpr std::string_view kSimMapNameDefault = "SI Map 1";
inline constexpr std::string_view kSingleSim = "SINGLENET";  // flag: one SIM for every race
inline constexpr bool kSingleSimDefault = true;
inline constexpr std::string_view kUseMaps = "USEMAPS";  // flag: SI Map mode
inline constexpr bool kUseMapsDefault = false;
inline constexpr std::string_view kSimName = "NN";  // the SIM of single-SIM mode
inline constexpr std::string_view kSimNameDefault = "Default";
inline constexpr std::string_view kDryOnly = "DRYONLY";  // flag: assume a dry track only
inline constexpr bool kDryOnlyDefault = false;

// Prep SIM: the dataset used last (empty: none).
inline constexpr std::string_view kTrainDataset = "TRAIN_DATASET";

// The profit/loss run: options (flags), SIM and dataset.
inline constexpr std::string_view kAutoScratch = "AUTOSCRATCH";
inline constexpr std::string_view kForceDry = "FORCEDRY";
inline constexpr std::string_view kSkipTurfToDirt = "SKIPTURF2DIRT";
inline constexpr std::string_view kUseMorningLineOdds = "USEMODDS";
inline constexpr std::string_view kShortReport = "SHORTREPORT";
inline constexpr std::string_view kClipboard = "CLIPBOARD";
inline constexpr bool kProfitLossFlagDefault = false;  // USEMODDS, SHORTREPORT, CLIPBOARD
inline constexpr std::string_view kTestSimName = "NNTEST";
inline constexpr std::string_view kTestSimNameDefault = "Default";
inline constexpr std::string_view kTestDataset = "DATASET_TEST";  // empty: none

// The dataset reports: dataset used last (empty: none) and the clipboard flag.
inline constexpr std::string_view kReportDataset = "REPORT_DATASET";
inline constexpr std::string_view kReportClipboard = "REPORT_CLIPBOARD";
inline constexpr bool kReportClipboardDefault = false;

// The folder the last PDF was saved in (printing without a printer); empty
// or gone: the home folder.
inline constexpr std::string_view kPdfFolder = "PDFDIR";

// The SI Maps: sections "SI Map 1" to "SI Map 5" (handicap/sim_map.h
// names them and reads them).
inline constexpr int kSimMapCount = 5;

}  // namespace stridewell::setting
