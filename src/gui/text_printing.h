// Printing of the program's text reports and handicap result files: each
// page carries the title (with its page number from page 2 on) at the top
// and the maker's notice at the bottom, with up to 80 columns of the report
// centred between. Everything runs on the user-interface thread.
#pragma once

#include <string>

#include "base/file_system.h"

class QPrinter;
class QString;
class QWidget;

namespace stridewell {
class SettingsStore;
}

namespace stridewell::gui {

// Where Save as PDF starts: `name`.pdf in the folder the last PDF was saved
// in, when that folder is still there, else in the home folder.
QString pdfFileOffer(const SettingsStore& store, const QString& name);
// Remembers the folder of `savedFile` for the next Save as PDF.
void rememberPdfFolder(SettingsStore& store, const QString& savedFile);

// The printer every print goes to: the system's default printer, created on
// first use and kept for the program's lifetime so that Printer Setup's
// choices (paper, orientation) hold for later prints.
QPrinter& sharedPrinter();

// Qt's page-setup dialog on the shared printer; true when accepted.
bool showPrinterSetup(QWidget* parent);

// Prints a text file on `printer` with `title` as the page header and the
// job's name. A line ending in a form feed ends its page. A file that cannot
// be opened prints as an empty document and counts as success; a printer
// that cannot start the document or a page that cannot be ended gives false.
bool printTextFile(QPrinter& printer, const std::string& path, const std::string& title);

// Re-paginates a handicap result file into `repaginationPath` so that page
// breaks fall between races, then prints that with printTextFile. A missing
// result file or a re-pagination file that cannot be written completely
// (through `fileSystem`, replacing the one before) gives false.
bool printResultFile(QPrinter& printer, const std::string& path, const std::string& title,
                     const std::string& repaginationPath, FileSystem& fileSystem = realFileSystem());

// The same on the shared printer. When no printer is installed the user is
// offered to save the pages as a PDF file instead (starting where the last
// one went, remembered in the settings of `parent`'s main window);
// declining gives false.
// printResultFile re-paginates into TMP.TXT of `predictFolder`.
bool printTextFile(const std::string& path, const std::string& title, QWidget* parent);
bool printResultFile(const std::string& path, const std::string& title, const std::string& predictFolder,
                     QWidget* parent);

}  // namespace stridewell::gui
