#include "gui/text_printing.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>
#include <memory>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "gui/fixed_font.h"
#include "gui/main_window.h"
#include "layout/print_pages.h"

namespace stridewell::gui {
namespace {

// The first of `families` that is installed at `points`; when none is, the
// system's font for `fallback` (fixed pitch for the body, so columns stay
// lined up).
QFont chooseFont(std::initializer_list<const char*> families, int points,
                 QFontDatabase::SystemFont fallback) {
  for (const char* family : families)
    if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
      return QFont(QString::fromLatin1(family), points);
  QFont font = fallback == QFontDatabase::FixedFont ? fixedPitchFont() : QFontDatabase::systemFont(fallback);
  font.setPointSize(points);
  return font;
}

QFont bodyFont() {
  return chooseFont({"Courier New", "Courier"}, 11, QFontDatabase::FixedFont);
}
QFont headerFont() {
  QFont font = chooseFont({"Times New Roman", "Courier"}, 10, QFontDatabase::GeneralFont);
  // Ligatures would turn a title's "fi" into one glyph that text copied from
  // the printout no longer matches.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// Report files are bytes, one column each.
QString text(const std::string& s) {
  return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// Draws `s` with its top-left corner at (x, y).
void drawAt(QPainter& painter, int x, int y, const QString& s) {
  painter.drawText(x, y + painter.fontMetrics().ascent(), s);
}

void drawCentred(QPainter& painter, int printableWidth, int y, const QString& s) {
  drawAt(painter, centredX(printableWidth, painter.fontMetrics().horizontalAdvance(s)), y, s);
}

// The settings of the main window `widget` belongs to; null for a widget of
// no main window.
SettingsStore* windowSettings(QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (auto* window = qobject_cast<MainWindow*>(widget)) return &window->settings();
  }
  return nullptr;
}

// Nothing to print on when no printer is installed: offer a PDF file.
bool readyToPrint(QPrinter& printer, const std::string& title, QWidget* parent) {
  if (!QPrinterInfo::availablePrinters().isEmpty() && printer.outputFormat() == QPrinter::NativeFormat)
    return true;
  const auto answer =
      QMessageBox::question(parent, QString::fromLatin1(kQueryCaption.data(), kQueryCaption.size()),
                            QStringLiteral("No printer is installed. Save the pages as a PDF file instead?"),
                            QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes) return false;
  QString name = text(title).replace(QLatin1Char('/'), QLatin1Char('-'));
  SettingsStore* store = windowSettings(parent);
  const QString offer =
      store ? pdfFileOffer(*store, name) : QDir::home().filePath(name + QStringLiteral(".pdf"));
  const QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("Save as PDF"), offer,
                                                    QStringLiteral("PDF files (*.pdf)"));
  if (file.isEmpty()) return false;
  if (store) rememberPdfFolder(*store, file);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  return true;
}

}  // namespace

QString pdfFileOffer(const SettingsStore& store, const QString& name) {
  const QString last = QString::fromStdString(store.read(setting::kPdfFolder, ""));
  const QDir folder = !last.isEmpty() && QFileInfo(last).isDir() ? QDir(last) : QDir::home();
  return folder.filePath(name + QStringLiteral(".pdf"));
}

void rememberPdfFolder(SettingsStore& store, const QString& savedFile) {
  // A failed write is told by the store; the offer then stays as it was.
  (void)store.write(setting::kPdfFolder, QFileInfo(savedFile).absolutePath().toStdString());
}

QPrinter& sharedPrinter() {
  static QPrinter* printer = [] {
    auto* p = new QPrinter(QPrinter::HighResolution);
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) p->setPrinterName(info.printerName());
    return p;
  }();
  return *printer;
}

bool showPrinterSetup(QWidget* parent) {
  QPrinter& printer = sharedPrinter();
  QPageSetupDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool printTextFile(QPrinter& printer, const std::string& path, const std::string& title) {
  printer.setDocName(text(title));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  painter.setBackgroundMode(Qt::TransparentMode);

  const QFont body = bodyFont();
  const QFont header = headerFont();
  const QFontMetrics cell(body, &printer);
  const int width = printer.width();
  const int height = printer.height();
  const PageGeometry g = pageGeometry(width, height, cell.horizontalAdvance(QLatin1Char('M')), cell.height());
  const QString footer = text(footerNotice(QDate::currentDate().year()));

  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return painter.end();  // an empty document

  LinePieceReader reader(file);
  std::string line;
  int n = 0;
  int page = 0;
  bool pageFailed = false;
  while (reader.next(line)) {
    if (n == 0) {
      // The first page is open from begin(); newPage() ends the one before.
      if (page > 0 && !printer.newPage()) {
        pageFailed = true;
        break;
      }
      ++page;
      painter.setFont(header);
      const int textHeight = painter.fontMetrics().height();
      drawCentred(painter, width, headerY(textHeight), text(pageHeader(title, page)));
      drawCentred(painter, width, footerY(height, textHeight), footer);
      painter.setFont(body);
    }
    const bool endsPage = takeFormFeed(line);
    drawAt(painter, g.leftMargin, bodyLineY(g, n), text(line));
    if (++n == g.bodyLines || endsPage) n = 0;
  }
  std::fclose(file);
  if (pageFailed) {
    printer.abort();
    painter.end();
    return false;
  }
  return painter.end();
}

bool printResultFile(QPrinter& printer, const std::string& path, const std::string& title,
                     const std::string& repaginationPath, FileSystem& fileSystem) {
  std::vector<std::string> lines;
  if (!readLinePieces(path, lines)) return false;
  const QFontMetrics cell(bodyFont(), &printer);
  if (cell.height() <= 0) return false;
  const int capacity = printer.height() / cell.height() - 6;
  const std::string paged = repaginatedText(repaginate(lines, capacity));

  // A short re-pagination file would print as if it were complete.
  std::string reason;
  if (!replaceFileContents(repaginationPath, paged.data(), paged.size(), reason, fileSystem)) return false;
  return printTextFile(printer, repaginationPath, title);
}

bool printTextFile(const std::string& path, const std::string& title, QWidget* parent) {
  QPrinter& printer = sharedPrinter();
  return readyToPrint(printer, title, parent) && printTextFile(printer, path, title);
}

bool printResultFile(const std::string& path, const std::string& title, const std::string& predictFolder,
                     QWidget* parent) {
  // Check the result file first, so nobody is asked for a PDF name in vain.
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
  } else {
    return false;
  }
  QPrinter& printer = sharedPrinter();
  return readyToPrint(printer, title, parent) &&
         printResultFile(printer, path, title, joinPath(predictFolder, "TMP.TXT"));
}

}  // namespace stridewell::gui
